// Crossings of a contour with a segment, with another contour, and with itself.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "cntr/contour.h"
#include "edgesweep.h"
#include "edgetree.h"
#include "edgewalk.h"
#include "segmentreach.h"
#include "vertexcrossing.h"

namespace sgcntr {

struct Crossing {
  sgVector<2> position;
  int edge;
  double key;  // position along the query segment, (X - a) . (b - a)
};

}  // namespace sgcntr

namespace {

using sgcntr::Crossing;

/// Distance within which a point counts as lying on a segment, and an edge as touching an end
/// of the query segment: well above the rounding of a computed crossing, well below a pixel.
constexpr double kOnSegment = 1e-6;

/// From this many edges on, the self-intersection test starts with the plane sweep.
constexpr std::size_t kSweepFromEdges = 128;

/// Orders the crossings along the segment. A crossing at a vertex is found on both edges that
/// meet there with (nearly) equal keys; this exchange sort fixes their order independently of
/// any library sort, so that callers tracing edges see the same sequence everywhere.
void sortAlongSegment(std::vector<Crossing>& crossings) {
  const std::size_t m = crossings.size();
  for (std::size_t i = 0; i + 1 < m; ++i)
    for (std::size_t j = i + 1; j < m; ++j)
      if (crossings[j].key < crossings[i].key) std::swap(crossings[i], crossings[j]);
}

/// Per-thread buffers of the segment query, so that the many short queries of a trace or a
/// self-intersection test allocate nothing. Safe because nothing called while a buffer is in use
/// runs another segment query, and one object is used by one thread at a time.
struct QueryBuffers {
  std::vector<int> edges;
  std::vector<Crossing> crossings;
};

// Not inlined: GCC would otherwise fetch the thread-local address again inside the callers'
// loops, a library call each time in a shared library.
[[gnu::noinline]] QueryBuffers& queryBuffers() {
  thread_local QueryBuffers buffers;
  return buffers;
}

}  // namespace

const sgcntr::EdgeTree* sgContour::edgeIndex() const {
  // Built on first use: one linear pass over the vertices costs less than one query scanning
  // every edge, so even a single query gains nothing by waiting.
  if (!edgeTreeValid_) {
    edgeTree_ = sgcntr::EdgeTree::build(points_, isClosed());
    edgeTreeValid_ = true;
  }
  return edgeTree_.get();
}

void sgContour::candidateEdges(const sgLineSeg& seg, std::vector<int>& edges) const {
  computeLineSegs();
  const sgcntr::SegmentReach reach(seg);
  // Both paths apply this same exact test to every edge they reach, and the tree reaches every
  // edge the test can accept, so it only saves work and never changes the list or its order.
  const auto keep = [&](int k) {
    const auto e = static_cast<std::size_t>(k);
    return validLine_[e] && reach.mayMeet(segRects_[e], lineSegs_[e]);
  };
  if (const sgcntr::EdgeTree* tree = edgeIndex()) {
    const std::size_t first = edges.size();
    tree->search([&](const sgcntr::Box& box) { return !reach.mayMeetWithin(box.x0, box.y0, box.x1, box.y1); },
                 [](const sgcntr::Box&) { return 0.0; },
                 [&](int k) {
                   if (keep(k)) edges.push_back(k);
                 });
    // Boxes are visited in edge order, but edges without a finite box come first.
    std::sort(edges.begin() + static_cast<std::ptrdiff_t>(first), edges.end());
    return;
  }
  for (std::size_t k = 0; k < segRects_.size(); ++k)
    if (keep(static_cast<int>(k))) edges.push_back(static_cast<int>(k));
}

void sgContour::collectCrossings(const sgLineSeg& seg, bool endPoints,
                                 std::vector<Crossing>& crossings) const {
  checkEmptyContour();
  crossings.clear();
  const sgVector<2> a = seg.p1(), b = seg.p2();
  const sgcntr::SegmentReach reach(seg);
  // The cached bounding box turns away a far segment before any edge is looked at.
  if (!reach.mayReach(encloseRect(sgXform<2>()))) return;

  const sgLine segLine = seg.line();
  std::vector<int>& edges = queryBuffers().edges;
  edges.clear();
  candidateEdges(seg, edges);
  const sgVector<2> direction = b - a;
  for (const int k : edges) {
    const sgLineSeg& edge = lineSegs_[static_cast<std::size_t>(k)];
    const sgLine& edgeLine = lines_[static_cast<std::size_t>(k)];
    // A collinear edge has no single crossing point; parallel ones have none at all.
    if (edgeLine.isParallel(segLine)) continue;
    const sgRect& box = segRects_[static_cast<std::size_t>(k)];
    const auto touches = [&](const sgVector<2>& end) {
      return !sgcntr::liesClearOf(box, end) && edge.distToPoint(end) <= kOnSegment;
    };
    if (!endPoints && (touches(a) || touches(b))) continue;
    const sgVector<2> x = edgeLine.intersect(segLine).position();
    // Strict tests: a NaN distance (non-finite input) records nothing.
    if (edge.distToPoint(x) < kOnSegment && seg.distToPoint(x) < kOnSegment)
      crossings.push_back({x, k, (x - a) * direction});
  }
}

std::vector<sgVector<2>> sgContour::intersections(const sgLineSeg& seg, std::vector<int>& segmentIndices,
                                                  bool endPoints) const {
  checkEmptyContour();
  segmentIndices.clear();
  return orderedCrossings(seg, endPoints, &segmentIndices);
}

std::vector<sgVector<2>> sgContour::orderedCrossings(const sgLineSeg& seg, bool endPoints,
                                                     std::vector<int>* segmentIndices) const {
  std::vector<Crossing>& crossings = queryBuffers().crossings;
  collectCrossings(seg, endPoints, crossings);
  sortAlongSegment(crossings);
  std::vector<sgVector<2>> positions;
  positions.reserve(crossings.size());
  for (const Crossing& c : crossings) positions.push_back(c.position);
  if (segmentIndices) {
    segmentIndices->reserve(crossings.size());
    for (const Crossing& c : crossings) segmentIndices->push_back(c.edge);
  }
  return positions;
}

std::size_t sgContour::crossingCount(const sgLineSeg& seg, bool endPoints) const {
  std::vector<Crossing>& crossings = queryBuffers().crossings;
  collectCrossings(seg, endPoints, crossings);
  return crossings.size();
}

std::vector<sgVector<2>> sgContour::intersections(const sgLineSeg& seg, bool endPoints) const {
  return orderedCrossings(seg, endPoints, nullptr);
}

std::vector<sgVector<2>> sgContour::intersections(const sgContour& other) const {
  checkEmptyContour();
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
  // endPoints false leaves out the edge itself and its two neighbours, which always meet it at
  // the shared vertices; any other edge met by it is a real self-intersection.
  const auto meetsAnother = [&](std::size_t k) {
    return validLine_[k] && crossingCount(lineSegs_[k], false) > 0;
  };
  // The sweep proves most outlines free of crossings in n log n. Otherwise its suspects are asked
  // first, and only then every edge in turn; either way the crossing queries give the answer.
  // Few edges are asked directly: sorting and building the sweep's trees would cost more.
  const sgcntr::SweepVerdict verdict = lineSegs_.size() < kSweepFromEdges
                                           ? sgcntr::SweepVerdict{sgcntr::SweepVerdict::Undecided}
                                           : sgcntr::sweepEdges(lineSegs_, validLine_);
  bool crossing = false;
  if (verdict.kind != sgcntr::SweepVerdict::Clear) {
    crossing = verdict.kind == sgcntr::SweepVerdict::Suspect &&
               (meetsAnother(static_cast<std::size_t>(verdict.first)) ||
                meetsAnother(static_cast<std::size_t>(verdict.second)));
    for (std::size_t k = 0; k < lineSegs_.size() && !crossing; ++k) crossing = meetsAnother(k);
  }
  if (!crossing) crossing = sgcntr::strandsCrossAtRepeatedVertex(points_, isClosed());
  selfIntersectingResult_ = crossing;
  selfIntersectingValid_ = true;
  return crossing;
}
