// Crossings of a contour with a segment, with another contour, and with itself.
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "cntr/contour.h"
#include "edgegrid.h"
#include "edgesweep.h"
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
  // Edge k was looked at in the current grid walk when seen[k] == walk; an edge filed in several
  // of the cells walked is then tested once.
  std::vector<unsigned> seen;
  unsigned walk = 0;

  /// Starts a walk over `edgeCount` edges: a new mark, the marks cleared when it wraps around.
  void startWalk(std::size_t edgeCount) {
    if (seen.size() < edgeCount) seen.resize(edgeCount, 0);
    if (++walk == 0) {
      std::fill(seen.begin(), seen.end(), 0);
      walk = 1;
    }
  }
  /// Whether edge k is new to the current walk; marks it seen.
  bool firstSight(int k) {
    unsigned& mark = seen[static_cast<std::size_t>(k)];
    if (mark == walk) return false;
    mark = walk;
    return true;
  }
};

// Not inlined: GCC would otherwise fetch the thread-local address again inside the callers'
// loops, a library call each time in a shared library.
[[gnu::noinline]] QueryBuffers& queryBuffers() {
  thread_local QueryBuffers buffers;
  return buffers;
}

}  // namespace

const sgcntr::EdgeGrid* sgContour::edgeIndex() const {
  if (!edgeGridValid_) {
    // An index pays only when it is used again: the first query after a change scans the edges,
    // the second one builds it.
    if (!edgeScanned_) {
      edgeScanned_ = true;
      return nullptr;
    }
    edgeGrid_ = sgcntr::EdgeGrid::build(lineSegs_, segRects_, validLine_);
    edgeGridValid_ = true;
  }
  return edgeGrid_.get();
}

void sgContour::candidateEdges(const sgLineSeg& seg, std::vector<int>& edges) const {
  computeLineSegs();
  const sgcntr::SegmentReach reach(seg);
  // Both paths apply this same exact test, so the grid only saves work and never changes which
  // edges are returned or their order.
  const auto keep = [&](int k) {
    const auto e = static_cast<std::size_t>(k);
    return validLine_[e] && reach.mayMeet(segRects_[e], lineSegs_[e]);
  };
  if (const sgcntr::EdgeGrid* grid = edgeIndex()) {
    QueryBuffers& buffers = queryBuffers();
    buffers.startWalk(segRects_.size());
    if (grid->appendCandidates(
            reach, [&](int k) { return buffers.firstSight(k) && keep(k); }, edges))
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
