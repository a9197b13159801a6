#pragma once
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "cntr/contourdefs.h"
#include "lyndispc/tablet.h"
#include "lynstd/archive.h"
#include "lynstd/handle.h"
#include "lynstd/shapes.h"
#include "lynstd/xform.h"

class sgRegion;
namespace sgcntr {
class EdgeTree;
struct Crossing;
}  // namespace sgcntr

/// Orders transforms by their six numbers: translation x, translation y, then the matrix
/// elements (0,0), (0,1), (1,0), (1,1), each compared as a double. Keys of the rectangle caches.
struct LYNCNTR_API sgXformKeyLess {
  bool operator()(const sgXform<2>& a, const sgXform<2>& b) const;
};

/// An ordered list of vertices, open (a polyline) or closed (a polygon), with a user label.
///
/// Edges run from the previous vertex to the current one. In a closed contour of n vertices
/// edge 0 joins vertex n-1 to vertex 0 and edge k >= 1 joins vertex k-1 to k; in an open contour
/// edge k joins vertex k to k+1. Every edge index reported follows this order.
///
/// Queries are const and cache their results until the vertices or the closed flag change, so
/// one contour must be used by one thread at a time; distinct contours are independent.
class LYNCNTR_API sgContour : public virtual sgPersistent, public virtual sgRepBase {
 public:
  /// Stores the vertices, closed flag and label; cachedVectorSize is 3 and no cache is valid.
  sgContour(const std::vector<sgVector<2>>& points = std::vector<sgVector<2>>(), bool closed = true,
            unsigned long label = 0);
  /// Copies the polygon's vertices; the contour is closed exactly when the first and last vertex
  /// coincide within 1e-15 (both are kept). An empty polygon gives an empty open contour.
  sgContour(const sgPolygon& polygon, unsigned long label);
  /// Copies everything, valid caches included.
  sgContour(const sgContour& other);
  /// Copies everything, valid caches included (deep copies of the keyed caches).
  sgContour& operator=(const sgContour& other);
  ~sgContour() override;
  /// Same closed state, same vertices compared exactly (NaN never equal), same cachedVectorSize;
  /// the label is not compared.
  bool operator==(const sgContour& other) const;

  /// The vertices.
  const std::vector<sgVector<2>>& points() const { return points_; }
  /// Replaces the vertices (clears the caches, then makeDataConsistentWithPoints()).
  virtual void points(const std::vector<sgVector<2>>& points);
  /// Whether an edge joins the last vertex to the first.
  virtual bool isClosed() const;
  /// Sets the closed flag and clears the caches.
  virtual void isClosed(bool closed);

  /// Draws every edge, in edge order, as one line segment; `mode` is not consulted.
  virtual void draw(sgUITablet& tablet, sgContourDefs::DrawMode mode, const sgColor& color,
                    const sgUITablet::Layers& layer) const;

 protected:
  /// The archive record of the contour level (versions 0 and 1 are read, 1 is written).
  virtual void serialize_(sgArchive& ar, unsigned char version);
  /// Called after the vertices were replaced through points(set); default: cleanCacheInfo().
  virtual void makeDataConsistentWithPoints();
  /// Called by derived classes after their per-vertex data was replaced; default: cleanCacheInfo().
  virtual void makePointsConsistentWithData();
  /// Discards every cache (and notifies the persistence base first).
  virtual void cleanCacheInfo();

 public:
  /// Free user tag; not compared, not interpreted.
  unsigned long label() const { return label_; }
  void label(unsigned long label);
  /// Bound of the keyed result caches: they grow to cachedVectorSize + 1 entries, then replace a
  /// random entry. Negative values throw BadParams (empty message) and change nothing.
  long cachedVectorSize() const { return cachedVectorSize_; }
  void cachedVectorSize(long size);
  /// Closed: the vertices and the first vertex once more; open: the vertices. Fill mode 0.
  sgPolygon polygon() const;

  /// Sum of the edge lengths; 0.0 for an empty contour.
  double length() const;
  /// Length-weighted mean of the edge midpoints (the centre of a uniform wire). NaN coordinates
  /// when all vertices coincide. Throws EmptyContour for fewer than 2 vertices.
  sgVector<2> meanPosition() const;
  /// Index of the nearest vertex; ties go to the lowest index; 0 when no distance is finite.
  /// Throws EmptyContour for fewer than 2 vertices.
  long closestVertexIndex(const sgVector<2>& point) const;
  /// Nearest vertex (vertexOnly) or nearest point on the edges; ties go to the earliest edge.
  /// Throws EmptyContour for fewer than 2 vertices.
  sgVector<2> closestPoint(const sgVector<2>& point, bool vertexOnly) const;
  /// Distance from the point to closestPoint(point, vertexOnly). Throws EmptyContour.
  double distToPoint(const sgVector<2>& point, bool vertexOnly) const;
  /// Indices of the vertices strictly closer than `tolerance`, ordered by grid cell (columns,
  /// then rows, ascending, over the 3 x 3 cells around the point) and by index within a cell.
  /// One grid per tolerance is kept until the next change. Cell coordinates beyond the 32-bit
  /// range (huge coordinates, a tiny tolerance) are clamped to it, which keeps the answer exact;
  /// NaN coordinates go to cell 0 and never match. Throws EmptyContour.
  std::vector<int> vertexIndex(const sgVector<2>& point, double tolerance) const;

  /// Index of the vertex with the largest projection on (cos angle, sin angle); exact for the
  /// four axis directions; ties go to the lowest index; -1 when no projection is finite.
  /// Cached per angle value (no reduction to one turn). Throws EmptyContour.
  long extremalVertexIndex(const sgRadian& angle) const;
  /// The vertex at extremalVertexIndex(angle); throws BadParams when that index is -1.
  sgVector<2> extremalVertexPosition(const sgRadian& angle) const;
  /// Bounding rectangle of the vertices mapped by `xform`; cached per transform. Throws EmptyContour.
  sgRect encloseRect(const sgXform<2>& xform) const;
  /// eExact: the circle on the first farthest vertex pair, whose diameter is the contour's
  /// diameter; it need not hold every vertex (an equilateral triangle's third corner lies
  /// outside it). eApproximate: the circle about the first vertex through the farthest vertex,
  /// which holds every vertex. A mode other than these throws BadParams "diameterMode is not
  /// one of the valid enums"; an empty contour throws EmptyContour. For the smallest circle
  /// holding every vertex see minEnclosingCircle.
  sgCircle encloseCircle(sgContourDefs::DiameterMode mode) const;
  /// Twice the radius of encloseCircle(mode); same errors.
  double diameter(sgContourDefs::DiameterMode mode) const;
  /// The smallest circle holding every vertex (exact up to rounding: no vertex lies outside the
  /// returned radius); cached. Draws its vertex order from the thread's random source. Throws
  /// EmptyContour for a contour without vertices.
  sgCircle minEnclosingCircle() const;

  /// Crossings of the segment with the edges, ordered along the segment from its first end.
  /// With endPoints false, edges passing within 1e-6 of either end of the segment are skipped.
  /// Throws EmptyContour.
  std::vector<sgVector<2>> intersections(const sgLineSeg& seg, bool endPoints) const;
  /// Crossings of this contour with every edge of `other`, grouped by `other`'s edges in its
  /// edge order. Throws EmptyContour when this contour has fewer than 2 vertices.
  std::vector<sgVector<2>> intersections(const sgContour& other) const;
  /// Whether some edge crosses another edge that it does not meet at their shared vertices, or
  /// two strands cross where the contour passes one point (within 1e-6) twice: their four
  /// directions interleave, or they run along each other the same way. Strands that only touch
  /// there, or fold back along each other, do not count. False for an empty contour.
  bool isSelfIntersecting() const;

  /// The convex hull of the vertices as a region (cached and shared). Throws EmptyContour.
  void convexHull(sgRegion& hull) const;
  /// Least-squares ellipse (falling back to a circle, then to the default ellipse with error
  /// -1.0); cached. Throws EmptyContour.
  void fitEllipse(sgEllipse& ellipse, double& error) const;
  /// `result` becomes this contour with every vertex mapped (same closed state and label,
  /// cachedVectorSize 3). `result` may be this contour.
  void map(const sgXform<2>& xform, sgContour& result) const;

 protected:
  /// Replaces the vertices and clears the caches without calling a hook.
  void setPoints(const std::vector<sgVector<2>>& points);
  /// Throws EmptyContour (empty message) for fewer than 2 vertices.
  void checkEmptyContour() const;
  /// Fills the per-edge caches (segments, lines, bounding rectangles, validity).
  void computeLineSegs() const;
  const std::vector<sgLineSeg>& lineSegs() const;
  const std::vector<bool>& validLine() const;
  /// Median edge length (the upper middle value for an even count). Throws EmptyContour.
  double medianFeatureSize() const;
  /// Crossings with the segment as the public form, plus the index of the edge of each.
  std::vector<sgVector<2>> intersections(const sgLineSeg& seg, std::vector<int>& segmentIndices,
                                         bool endPoints) const;
  /// The only place that chooses which edges a segment can meet: appends, in ascending edge
  /// order, valid edges whose bounding rectangle overlaps the segment's bounding box, that do not
  /// lie wholly on one side of the segment's line, farther than a few 1e-6 from it, and whose
  /// line the segment does not keep that far from either. The edge index only saves looking at
  /// the others: the list is the same with and without it. Every edge that can give a crossing
  /// is always among them.
  void candidateEdges(const sgLineSeg& seg, std::vector<int>& edges) const;
  /// Calls mutating_() when the persistence base's notification flag is set.
  void notifyMutation();
  void dispatchSerialize(sgArchive& ar) override;

 private:
  friend class sgRegion;
  using RectCache = std::map<sgXform<2>, sgRect, sgXformKeyLess>;
  using AngleCache = std::map<double, long>;
  using VertexGrid = std::map<sgPair<long>, std::vector<int>>;
  using VertexGrids = std::vector<std::pair<double, VertexGrid>>;

  static sgPersistent* make();
  static sg_Instantiator sExemplar;

  /// The crossings with the segment, in edge order (emptied first); throws EmptyContour.
  void collectCrossings(const sgLineSeg& seg, bool endPoints, std::vector<sgcntr::Crossing>& crossings) const;
  /// The positions ordered along the segment and, when asked for, their edge indices appended.
  std::vector<sgVector<2>> orderedCrossings(const sgLineSeg& seg, bool endPoints,
                                            std::vector<int>* segmentIndices) const;
  /// How many crossings intersections(seg, endPoints) reports, without ordering or copying them.
  std::size_t crossingCount(const sgLineSeg& seg, bool endPoints) const;
  /// The edge tree, or null when a linear scan is cheaper (see edgeTree_).
  const sgcntr::EdgeTree* edgeIndex() const;
  /// The indices of the vertices edge k runs from and to.
  std::pair<std::size_t, std::size_t> edgeEnds(int k) const;
  /// Whether the parity of the crossings of a ray from the point can be read from the edge tree:
  /// false (and `odd` untouched) when there is no tree or the point lies near an edge.
  bool insideParity(const sgVector<2>& point, bool& odd) const;

  unsigned long label_ = 0;
  bool closed_ = true;
  std::vector<sgVector<2>> points_;
  long cachedVectorSize_ = 3;

  mutable bool meanPositionValid_ = false;
  mutable sgVector<2> meanPositionCache_;
  mutable bool lengthValid_ = false;
  mutable double lengthCache_ = 0.0;
  mutable bool convexHullValid_ = false;
  mutable sgPtrHandle_const<sgRegion> convexHullCache_;
  mutable std::unique_ptr<RectCache> encloseRectCache_;
  mutable std::vector<bool> encloseCircleValid_;
  mutable std::vector<sgCircle> encloseCircleCache_;
  mutable bool minEnclosingCircleValid_ = false;
  mutable sgCircle minEnclosingCircleCache_;
  mutable std::unique_ptr<AngleCache> extremalVertexCache_;
  mutable bool fitEllipseValid_ = false;
  mutable sgEllipse fitEllipseCache_;
  mutable double fitEllipseError_ = 0.0;
  mutable bool selfIntersectingResult_ = false;
  mutable bool selfIntersectingValid_ = false;
  mutable bool lineSegsValid_ = false;
  mutable std::vector<sgLineSeg> lineSegs_;
  mutable bool linesValid_ = false;
  mutable std::vector<sgLine> lines_;
  mutable bool segRectsValid_ = false;
  mutable std::vector<sgRect> segRects_;
  mutable std::vector<bool> validLine_;
  // Bounding boxes over runs of consecutive edges, for candidateEdges and the point queries,
  // built on first use; null when the edges are too few to pay for it. Immutable once built, so
  // copies share it.
  mutable bool edgeTreeValid_ = false;
  mutable std::shared_ptr<const sgcntr::EdgeTree> edgeTree_;
  mutable bool medianFeatureSizeValid_ = false;
  mutable double medianFeatureSizeCache_ = 0.0;
  mutable std::unique_ptr<VertexGrids> vertexGridCache_;
};
