#pragma once
#include <vector>

#include "cntr/contour.h"
#include "lynstd/matrix.h"

/// An area of the plane: a closed outer boundary (the contour part) minus holes. Each hole is
/// itself a region, shared through a handle, and may have islands of its own.
///
/// Measures, the inside test and the repaired forms (regularization, outer hull) are cached until
/// the boundary or the hole list changes. A region and the regions it shares as holes must be
/// used by one thread at a time.
class LYNCNTR_API sgRegion : public virtual sgContour {
 public:
  /// A closed outer boundary through the points, no holes; then the mode: eOuterHull replaces
  /// the region by its outer hull, eRegularize by its regularization, anything else keeps it.
  sgRegion(const std::vector<sgVector<2>>& points = std::vector<sgVector<2>>(),
           sgContourDefs::IntersectionMode mode = sgContourDefs::eIgnore);
  /// The outer boundary from a polygon (label 0), then the mode.
  sgRegion(const sgPolygon& polygon, sgContourDefs::IntersectionMode mode);
  /// The outer boundary as a copy of the contour (points, label, stored closed flag), then the mode.
  sgRegion(const sgContour& contour, sgContourDefs::IntersectionMode mode);
  /// Copies the boundary, shares the holes and the cached repaired regions, copies the caches.
  sgRegion(const sgRegion& other);
  sgRegion& operator=(const sgRegion& other);
  ~sgRegion() override;
  /// Equal outer contours (sgContour::operator==); holes are not compared.
  bool operator==(const sgRegion& other) const;

  /// Always true.
  bool isClosed() const override;
  /// true changes nothing; false throws RegionCannotBeSetOpen and changes nothing.
  void isClosed(bool closed) override;

  /// The one new drawing slot of a region: draws nothing. The outer boundary is drawn through
  /// the contour form draw(tablet, mode, color, layer).
  virtual void draw(sgUITablet& tablet, const sgColor& color, const sgUITablet::Layers& layer) const;
  using sgContour::draw;

  /// The holes, in the order given.
  const std::vector<sgPtrHandle_const<sgRegion>>& holes() const { return holes_; }
  /// Replaces the holes. Each hole must lie inside the outer boundary and no two may share
  /// interior; boundaries may touch at vertices and along edges (as traced pixel outlines do).
  /// Throws sgBadPointer for an empty handle, EmptyContour when there are holes and the outer
  /// boundary has fewer than 2 vertices, and BadParams "holes cannot intersect region" for a
  /// hole reaching outside or crossing the outer boundary, or overlapping another hole (also a
  /// hole given twice, and any hole with a non-finite coordinate). Holes of fewer than 2 vertices
  /// are not checked. On failure the old holes stay (the caches are cleared either way).
  void holes(const std::vector<sgPtrHandle_const<sgRegion>>& holes);
  void holes(const std::vector<sgPtrHandle<sgRegion>>& holes);

  /// Nearest vertex of the outer boundary (holes are not looked at). Throws EmptyContour.
  long closestVertexIndex(const sgVector<2>& point) const;
  /// Nearest vertex of the outer boundary or, with considerHoles, of any hole; `holeIndex` is -1
  /// for the outer boundary, else the hole's position. Ties keep the earlier boundary.
  long closestVertexIndex(const sgVector<2>& point, bool considerHoles, long& holeIndex) const;

  /// Unsigned area of the outer boundary, less each hole's outer area when considerHoles.
  /// Throws EmptyContour for fewer than 3 outer points.
  double area(bool considerHoles) const;
  /// Centroid of the outer boundary, or of the region with its holes taken out.
  /// Throws EmptyContour for fewer than 3 outer points.
  sgVector<2> centerOfMass(bool considerHoles) const;
  /// Central second moments (unnormalised) of the outer boundary or, with considerHoles, of the
  /// region with each hole's outer figure taken out, about that figure's own centre of mass
  /// (centerOfMass(considerHoles)). Non-negative diagonal for either orientation. Throws
  /// EmptyContour for fewer than 3 outer points or a hole of fewer than 3 points.
  sgMatrix<2> inertiaMatrix(bool considerHoles) const;
  /// Whether the point lies in the region (a point within 1e-6 of an outer vertex does); with
  /// considerHoles, points in a hole (and not on an island of it) do not.
  bool inside(const sgVector<2>& point, bool considerHoles) const;
  /// Nearest boundary point (or vertex, with vertexOnly) of the outer boundary and, with
  /// considerHoles, of the holes; ties keep the earlier boundary.
  sgVector<2> closestPoint(const sgVector<2>& point, bool vertexOnly, bool considerHoles) const;
  /// Distance to closestPoint; 0.0 for an inside point when fillInterior is set.
  double distToPoint(const sgVector<2>& point, bool vertexOnly, bool considerHoles, bool fillInterior) const;
  /// Crossings with the outer boundary, then (considerHoles) with each hole's outer boundary.
  std::vector<sgVector<2>> intersections(const sgLineSeg& segment, bool endPoints, bool considerHoles) const;
  std::vector<sgVector<2>> intersections(const sgContour& other, bool considerHoles) const;

  /// The outer boundary of a self-crossing boundary: the outline of everything it encloses, loops
  /// inside it filled, counter-clockwise, traced from the lowest-leftmost vertex with the
  /// outside on its right (no holes, label 0). Where it touches itself, the point appears once
  /// per pass. A boundary that does not cross itself (any boundary of fewer than 4 points)
  /// gives a copy. Cached. `result` may be this region. Throws BadParams "invalid contour" when
  /// the boundary encloses nothing (fewer than three distinct points, all points on one line, a
  /// coordinate that is not finite), and BadParams "regularization failed: the outline trace
  /// does not return to its start" should the trace be caught in a cycle (degenerate input).
  void regularize(sgRegion& result) const;
  /// As regularize, then cut where the outline touches itself, drop loops nested in others and
  /// join the loops that touch (between the passes that keep them apart). Cached. `result` may
  /// be this region.
  void outerHull(sgRegion& result) const;
  /// A region of the mapped outer points (no holes) with this region's label.
  void map(const sgXform<2>& xform, sgRegion& result) const;

 protected:
  void serialize_(sgArchive& ar, unsigned char version) override;
  void cleanCacheInfo() override;
  void dispatchSerialize(sgArchive& ar) override;
  /// Throws EmptyContour (empty message) for fewer than 3 outer points.
  void checkEmptyContour() const;

 private:
  friend class sgRegionSet;
  /// Lets the tests reach splice and the cached repaired regions; the library does not use it.
  friend class sgRegionTestAccess;

  /// Crossings of a probe ray from the point with the outer boundary (1 for a point on a vertex);
  /// with twoWay, the smaller count of the two opposite rays.
  long insideCount(const sgVector<2>& point, bool twoWay) const;
  void outerHullRegularize(sgRegion& result, bool outerHullOnly) const;
  /// Throws what holes(...) throws for a hole list that does not fit this region.
  void checkHoles(const std::vector<sgPtrHandle_const<sgRegion>>& holes) const;
  /// A boundary running once around this region and once around `other`, joined where they
  /// first cross. Throws BadParams "spliced regions do not intersect".
  void splice(const sgRegion& other, sgRegion& result) const;
  void initializeCaches();

  static sgPersistent* make();
  static sg_Instantiator sExemplar;

  std::vector<sgPtrHandle_const<sgRegion>> holes_;
  mutable bool centerOfMassHolesValid_ = false;
  mutable sgVector<2> centerOfMassHoles_;
  mutable bool centerOfMassOuterValid_ = false;
  mutable sgVector<2> centerOfMassOuter_;
  mutable bool areaHolesValid_ = false;
  mutable double areaHoles_ = 0.0;
  mutable bool areaOuterValid_ = false;
  mutable double areaOuter_ = 0.0;
  mutable bool inertiaHolesValid_ = false;
  mutable sgMatrix<2> inertiaHoles_;
  mutable bool inertiaOuterValid_ = false;
  mutable sgMatrix<2> inertiaOuter_;
  mutable bool regularizedCacheValid_ = false;
  mutable sgPtrHandle_const<sgRegion> regularizedCache_;
  mutable bool outerHullCacheValid_ = false;
  mutable sgPtrHandle_const<sgRegion> outerHullCache_;
};
