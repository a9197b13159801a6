#pragma once
// A small owner of GEOS geometries for the tests that compare with GEOS (C interface, re-entrant
// form): builds rings, lines and polygons from our points and answers the few questions asked.
#include <geos_c.h>

#include <functional>
#include <memory>
#include <vector>

#include "lynstd/vector.h"

namespace geostest {

using Points = std::vector<sgVector<2>>;

class Geos {
 public:
  Geos();
  Geos(const Geos&) = delete;
  Geos& operator=(const Geos&) = delete;
  ~Geos();

  using Geometry = std::unique_ptr<GEOSGeometry, std::function<void(GEOSGeometry*)>>;

  /// The closed polygon through the points (the first point repeated at the end), with holes.
  Geometry polygon(const Points& points, const std::vector<Points>& holes = {}) const;
  /// The centroid of the area (GEOS's ring orientations do not matter).
  sgVector<2> centroid(const GEOSGeometry* g) const;
  /// The line through the points, closed by repeating the first point when `closed`.
  Geometry line(const Points& points, bool closed) const;
  /// Whether the line or ring has no self-intersection but at its ends (GEOS isSimple).
  bool isSimple(const GEOSGeometry* g) const;
  double area(const GEOSGeometry* g) const;
  /// Number of component geometries (for points of an intersection, the number of points).
  int parts(const GEOSGeometry* g) const;
  Geometry unionOf(const GEOSGeometry* a, const GEOSGeometry* b) const;
  Geometry intersection(const GEOSGeometry* a, const GEOSGeometry* b) const;
  Geometry difference(const GEOSGeometry* a, const GEOSGeometry* b) const;
  Geometry symDifference(const GEOSGeometry* a, const GEOSGeometry* b) const;
  Geometry boundary(const GEOSGeometry* g) const;
  bool intersects(const GEOSGeometry* a, const GEOSGeometry* b) const;
  /// The union of the polygons through the point lists.
  Geometry unionOf(const std::vector<Points>& polygons) const;
  /// What a closed outline that may cross itself encloses: the outline noded, its faces
  /// polygonized and united.
  Geometry enclosedBy(const Points& outline) const;
  /// The area of the faces of a closed outline around which it winds a nonzero number of times.
  double nonzeroWindingArea(const Points& outline) const;
  /// The area inside the exterior rings of a polygonal geometry: holes filled.
  double exteriorArea(const GEOSGeometry* g) const;

 private:
  Geometry own(GEOSGeometry* g) const;
  /// The faces of the noded outline, as polygons.
  Geometry facesOf(const Points& outline) const;
  GEOSCoordSequence* sequence(const Points& points, bool closed) const;

  GEOSContextHandle_t context_;
};

}  // namespace geostest
