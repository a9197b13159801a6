#pragma once
// GEOS through its C interface, for the oracle tests: geometries built from our points and the few
// questions asked of them. GEOS reports a failure by a null result (2 from a predicate); no test
// may compare with an answer GEOS did not give, so those throw.
#include <geos_c.h>

#include <memory>
#include <stdexcept>

#include "support/randomshapes.h"

namespace geosoracle {

using shapes::Points;
using shapes::V;

inline GEOSContextHandle_t context() {
  static const std::unique_ptr<GEOSContextHandle_HS, void (*)(GEOSContextHandle_t)> handle(GEOS_init_r(),
                                                                                           GEOS_finish_r);
  return handle.get();
}
struct Destroy {
  void operator()(GEOSGeometry* g) const { GEOSGeom_destroy_r(context(), g); }
};
using Geometry = std::unique_ptr<GEOSGeometry, Destroy>;

inline Geometry own(GEOSGeometry* g) {
  if (!g) throw std::runtime_error("GEOS failed");
  return Geometry(g);
}
/// A predicate's answer.
inline bool answer(char a) {
  if (a == 2) throw std::runtime_error("GEOS failed");
  return a == 1;
}
inline double area(const GEOSGeometry* g) {
  double a = 0.0;
  if (!GEOSArea_r(context(), g, &a)) throw std::runtime_error("GEOS area failed");
  return a;
}

/// The points as a sequence, the first repeated at the end when `closed`.
inline GEOSCoordSequence* sequence(const Points& p, bool closed) {
  const unsigned n = static_cast<unsigned>(p.size() + (closed ? 1 : 0));
  GEOSCoordSequence* s = GEOSCoordSeq_create_r(context(), n, 2);
  for (unsigned i = 0; i < n; ++i)
    GEOSCoordSeq_setXY_r(context(), s, i, p[i % p.size()].x(), p[i % p.size()].y());
  return s;
}
inline Geometry line(const Points& p, bool closed) {
  return own(GEOSGeom_createLineString_r(context(), sequence(p, closed)));
}
inline Geometry polygon(const Points& outer) {
  GEOSGeometry* shell = GEOSGeom_createLinearRing_r(context(), sequence(outer, true));
  return own(GEOSGeom_createPolygon_r(context(), shell, nullptr, 0));
}
/// The union of the polygons through the point lists.
inline Geometry unionOf(const std::vector<Points>& polygons) {
  std::vector<GEOSGeometry*> parts;
  for (const Points& p : polygons) parts.push_back(polygon(p).release());
  return own(GEOSUnaryUnion_r(
      context(), own(GEOSGeom_createCollection_r(context(), GEOS_GEOMETRYCOLLECTION, parts.data(),
                                                 static_cast<unsigned>(parts.size())))
                     .get()));
}
/// The faces of a closed outline noded at its crossings, as polygons.
inline Geometry facesOf(const Points& outline) {
  const Geometry noded = own(GEOSNode_r(context(), line(outline, true).get()));
  const GEOSGeometry* lines[] = {noded.get()};
  return own(GEOSPolygonize_r(context(), lines, 1));
}
/// The area inside the exterior rings of a polygonal geometry: holes filled.
inline double exteriorArea(const GEOSGeometry* g) {
  double sum = 0.0;
  for (int k = 0; k < GEOSGetNumGeometries_r(context(), g); ++k) {
    const GEOSGeometry* part = GEOSGetGeometryN_r(context(), g, k);
    if (GEOSGeomTypeId_r(context(), part) != GEOS_POLYGON || GEOSisEmpty_r(context(), part) == 1) continue;
    GEOSGeometry* ring = GEOSGeom_clone_r(context(), GEOSGetExteriorRing_r(context(), part));
    sum += area(own(GEOSGeom_createPolygon_r(context(), ring, nullptr, 0)).get());
  }
  return sum;
}

/// The area a closed outline that may cross itself encloses with its outer boundary: the faces
/// united, holes filled.
inline double outerBoundaryArea(const Points& outline) {
  return exteriorArea(own(GEOSUnaryUnion_r(context(), facesOf(outline).get())).get());
}
/// The area of the faces around which the outline winds a nonzero number of times.
inline double nonzeroWindingArea(const Points& outline) {
  const Geometry faces = facesOf(outline);
  double sum = 0.0;
  for (int k = 0; k < GEOSGetNumGeometries_r(context(), faces.get()); ++k) {
    const GEOSGeometry* face = GEOSGetGeometryN_r(context(), faces.get(), k);
    const Geometry inside = own(GEOSPointOnSurface_r(context(), face));
    double x = 0.0, y = 0.0;
    GEOSGeomGetX_r(context(), inside.get(), &x), GEOSGeomGetY_r(context(), inside.get(), &y);
    sum += shapes::windingNumber(outline, V(x, y)) != 0 ? area(face) : 0.0;
  }
  return sum;
}
}  // namespace geosoracle
