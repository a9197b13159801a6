// Crossings of a contour with a segment, with another contour, and with itself.
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "cntr/contour.h"
#include "edgegrid.h"
#include "edgewalk.h"

namespace {

/// Distance within which a point counts as lying on a segment, and an edge as touching an end
/// of the query segment: well above the rounding of a computed crossing, well below a pixel.
constexpr double kOnSegment = 1e-6;

struct Crossing {
  sgVector<2> position;
  int edge;
  double key;  // position along the query segment, (X - a) . (b - a)
};

sgRect pointRect(const sgVector<2>& p) { return sgRect(p, sgVector<2>(0.0, 0.0)); }

/// Orders the crossings along the segment. A crossing at a vertex is found on both edges that
/// meet there with (nearly) equal keys; this exchange sort fixes their order independently of
/// any library sort, so that callers tracing edges see the same sequence everywhere.
void sortAlongSegment(std::vector<Crossing>& crossings) {
  const std::size_t m = crossings.size();
  for (std::size_t i = 0; i + 1 < m; ++i)
    for (std::size_t j = i + 1; j < m; ++j)
      if (crossings[j].key < crossings[i].key) std::swap(crossings[i], crossings[j]);
}

/// Installs a grid over the edges for the lifetime of one query that tests many segments against
/// an unchanged contour, unless an enclosing query already did; removes it again on exit, even by
/// an exception, so that no later change of the contour can meet a stale grid.
class EdgeGridScope {
 public:
  EdgeGridScope(std::shared_ptr<const sgcntr::EdgeGrid>& slot, const std::vector<sgRect>& rects,
                const std::vector<bool>& valid)
      : slot_(slot), owner_(!slot) {
    if (owner_) slot_ = sgcntr::EdgeGrid::build(rects, valid);
  }
  ~EdgeGridScope() {
    if (owner_) slot_.reset();
  }
  EdgeGridScope(const EdgeGridScope&) = delete;
  EdgeGridScope& operator=(const EdgeGridScope&) = delete;

 private:
  std::shared_ptr<const sgcntr::EdgeGrid>& slot_;
  bool owner_;
};

}  // namespace

void sgContour::candidateEdges(const sgRect& box, std::vector<int>& edges) const {
  computeLineSegs();
  const std::size_t first = edges.size();
  if (!edgeGrid_ || !edgeGrid_->appendCandidates(box, edges)) {
    for (std::size_t k = 0; k < segRects_.size(); ++k) edges.push_back(static_cast<int>(k));
  }
  // Both paths end in the same exact test, so the grid only saves work and never changes which
  // edges are returned or their order.
  std::size_t kept = first;
  for (std::size_t i = first; i < edges.size(); ++i) {
    const auto k = static_cast<std::size_t>(edges[i]);
    if (validLine_[k] && sgcntr::rectsOverlap(segRects_[k], box)) edges[kept++] = edges[i];
  }
  edges.resize(kept);
}

std::vector<sgVector<2>> sgContour::intersections(const sgLineSeg& seg, std::vector<int>& segmentIndices,
                                                  bool endPoints) const {
  checkEmptyContour();
  segmentIndices.clear();
  const sgVector<2> a = seg.p1(), b = seg.p2();
  const sgLine segLine = seg.line();
  const sgRect segBox = pointRect(a).enclose(pointRect(b));
  // The cached bounding box turns away a far segment before any edge is looked at.
  if (!sgcntr::rectsOverlap(encloseRect(sgXform<2>()), segBox)) return {};

  std::vector<int> edges;
  candidateEdges(segBox, edges);
  std::vector<Crossing> crossings;
  const sgVector<2> direction = b - a;
  for (const int k : edges) {
    const sgLineSeg& edge = lineSegs_[static_cast<std::size_t>(k)];
    const sgLine& edgeLine = lines_[static_cast<std::size_t>(k)];
    // A collinear edge has no single crossing point; parallel ones have none at all.
    if (edgeLine.isParallel(segLine)) continue;
    if (!endPoints && (edge.distToPoint(a) <= kOnSegment || edge.distToPoint(b) <= kOnSegment)) continue;
    const sgVector<2> x = edgeLine.intersect(segLine).position();
    // Strict tests: a NaN distance (non-finite input) records nothing.
    if (edge.distToPoint(x) < kOnSegment && seg.distToPoint(x) < kOnSegment)
      crossings.push_back({x, k, (x - a) * direction});
  }
  sortAlongSegment(crossings);

  std::vector<sgVector<2>> positions;
  positions.reserve(crossings.size());
  segmentIndices.reserve(crossings.size());
  for (const Crossing& c : crossings) {
    positions.push_back(c.position);
    segmentIndices.push_back(c.edge);
  }
  return positions;
}

std::vector<sgVector<2>> sgContour::intersections(const sgLineSeg& seg, bool endPoints) const {
  std::vector<int> unusedIndices;
  return intersections(seg, unusedIndices, endPoints);
}

std::vector<sgVector<2>> sgContour::intersections(const sgContour& other) const {
  checkEmptyContour();
  computeLineSegs();
  const EdgeGridScope grid(edgeGrid_, segRects_, validLine_);
  std::vector<sgVector<2>> result;
  sgcntr::forEachEdge(other.points(), other.isClosed(), [&](const sgVector<2>& p, const sgVector<2>& c) {
    const std::vector<sgVector<2>> part = intersections(sgLineSeg(p, c), true);
    result.insert(result.end(), part.begin(), part.end());
  });
  return result;
}

bool sgContour::isSelfIntersecting() const {
  if (points_.empty()) return false;
  if (selfIntersectingValid_) return selfIntersectingResult_;
  computeLineSegs();
  const EdgeGridScope grid(edgeGrid_, segRects_, validLine_);
  bool crossing = false;
  // endPoints false leaves out the edge itself and its two neighbours, which always meet it at
  // the shared vertices; any other edge met by it is a real self-intersection.
  for (std::size_t k = 0; k < lineSegs_.size() && !crossing; ++k) {
    if (!validLine_[k]) continue;
    const sgLineSeg edge = lineSegs_[k];
    crossing = !intersections(edge, false).empty();
  }
  selfIntersectingResult_ = crossing;
  selfIntersectingValid_ = true;
  return crossing;
}
