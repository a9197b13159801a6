// Region regularization and outer hull: a self-crossing outer boundary is traced along its
// outermost edges; the outer hull then cuts the traced outline where it touches itself, drops the
// loops that lie inside other loops and joins the loops that still touch.
#include <set>
#include <tuple>
#include <vector>

#include "cntr/region.h"
#include "cyclicrange.h"

namespace {

using PointList = std::vector<sgVector<2>>;

// The probes across an edge sit this share of the median edge length off its midpoint: far
// enough to leave rounding noise behind, near enough to meet no other edge of a clean boundary.
constexpr double kProbeOffsetFactor = 0.01;
constexpr double kMidpointFactor = 0.5;
// Traced points closer than this are one point at which loops touch.
constexpr double kTouchTolerance = 1e-6;

long wrapIndex(long i, long n) {
  if (i < 0) return i + n;
  if (i >= n) return i - n;
  return i;
}

// The first edge ps -> p(s+1), s < n - 1, that is met only by its two neighbours, whose short
// probe across its middle meets nothing else, and one of whose sides sees the unbounded outside.
// The closing edge is never a start edge. -1 when none qualifies.
template <class CrossingCount, class SeesOutside>
long findStartEdge(const PointList& points, double eps, CrossingCount crossingCount,
                   SeesOutside seesOutside) {
  const long n = static_cast<long>(points.size());
  for (long s = 0; s + 1 < n; ++s) {
    const sgVector<2>& from = points[s];
    const sgVector<2>& to = points[s + 1];
    const sgVector<2> mid = (from + to) * kMidpointFactor;
    const sgVector<2> u = (from - to).unit();
    const sgVector<2> offset = sgVector<2>(-u.y(), u.x()) * eps;
    const sgVector<2> probe1 = mid + offset;
    const sgVector<2> probe2 = mid - offset;
    if (crossingCount(sgLineSeg(probe1, probe2)) == 1 && crossingCount(sgLineSeg(from, to)) == 2 &&
        (seesOutside(probe1) || seesOutside(probe2)))
      return s;
  }
  return -1;
}

// Where the walk stands: the position, the edge it follows and which way along it.
using WalkState = std::tuple<double, double, long, bool>;

// Walks from the start vertex along the boundary and, at every crossing, onto the crossing edge
// in the opposite sense, until the start vertex is reached again. Returns the points visited, the
// start vertex last.
template <class EdgeCrossings>
PointList traceOutline(const PointList& points, long startEdge, EdgeCrossings edgeCrossings) {
  const long n = static_cast<long>(points.size());
  const sgVector<2> start = points[startEdge];
  sgVector<2> cur = start;
  long j = startEdge + 1;
  bool forward = true;
  PointList out;
  // The walk has no end of its own but its return to the start vertex; degenerate boundaries
  // (overlapping edges, crossings that rounding places on the wrong side) can trap it in a cycle
  // that never gets there. Each step depends only on (position, edge, sense), so a state seen twice
  // means a cycle: that catches such walks after one lap. The step limit catches walks whose
  // crossing positions drift by rounding and so never repeat exactly. A walk that returns visits
  // each state at most once, and there are at most 2n(n + 1) states: a vertex with the 2 edges
  // that end there, each in 2 senses (4n), and each crossing of 2 of the n edges, at most
  // n(n - 1) / 2 of them, with either edge in either sense.
  const long maxSteps = 2 * n * (n + 1);
  std::set<WalkState> seen;
  std::vector<int> crossedEdges;
  for (long step = 0; step == 0 || cur != start; ++step) {
    if (step >= maxSteps || !seen.emplace(cur.x(), cur.y(), j, forward).second)
      throw sgContourDefs::BadParams(
          L"regularization failed: the outline trace does not return to its start");
    const sgVector<2> target = points[wrapIndex(forward ? j : j - 1, n)];
    const PointList crossings = edgeCrossings(sgLineSeg(cur, target), crossedEdges);
    if (crossings.empty()) {
      cur = target;
      j = wrapIndex(forward ? j + 1 : j - 1, n);
    } else {
      cur = crossings.front();
      j = crossedEdges.front();
      forward = !forward;
    }
    out.push_back(cur);
  }
  return out;
}

sgRegion regionOf(const PointList& points) { return sgRegion(points, sgContourDefs::eIgnore); }

// The first index of another vertex of the loop at the position of vertex i, or -1.
long otherVertexAt(const sgRegion& loop, long i) {
  for (const int q : loop.vertexIndex(loop.points()[i], kTouchTolerance))
    if (q != i) return q;
  return -1;
}

// Cuts the first loop that passes twice through one point into the two loops on either side of
// it. Every cut adds a loop and keeps the number of points, so cutting ends after fewer cuts than
// there are points (a one-point loop is refused by vertexIndex).
bool splitFirstTouchingLoop(std::vector<sgRegion>& loops) {
  for (sgRegion& loop : loops) {
    const PointList points = loop.points();
    const long n = static_cast<long>(points.size());
    for (long i = 0; i < n; ++i) {
      long q = otherVertexAt(loop, i);
      if (q < 0) continue;
      if (q < i) q += n;
      PointList before;
      PointList after;
      sgcntr::appendCyclicRange(before, points, i, q - i);
      sgcntr::appendCyclicRange(after, points, q, n - (q - i));
      loop = regionOf(before);
      loops.push_back(regionOf(after));
      return true;
    }
  }
  return false;
}

// Removes the first loop whose first edge midpoint lies inside another loop (the last loop takes
// its place). A loop is removed only while another remains, so the list never empties.
bool dropFirstNestedLoop(std::vector<sgRegion>& loops) {
  for (std::size_t i = 0; i < loops.size(); ++i) {
    const PointList& points = loops[i].points();
    const sgVector<2> mid = (points[0] + points[1]) * kMidpointFactor;
    for (std::size_t j = 0; j < loops.size(); ++j) {
      if (j == i || !loops[j].inside(mid, true)) continue;
      loops[i] = loops.back();
      loops.pop_back();
      return true;
    }
  }
  return false;
}

// Joins the first two loops that share a point into one boundary running around the first loop
// and then around the second, both from that point. Every join removes a loop.
bool joinFirstTouchingPair(std::vector<sgRegion>& loops) {
  for (std::size_t i = 0; i + 1 < loops.size(); ++i) {
    for (std::size_t j = i + 1; j < loops.size(); ++j) {
      const PointList& first = loops[i].points();
      const PointList& second = loops[j].points();
      for (std::size_t a = 0; a < first.size(); ++a) {
        const std::vector<int> shared = loops[j].vertexIndex(first[a], kTouchTolerance);
        if (shared.empty()) continue;
        PointList joined;
        sgcntr::appendCyclicRange(joined, first, a, first.size());
        sgcntr::appendCyclicRange(joined, second, shared.front(), second.size());
        loops[i] = regionOf(joined);
        loops[j] = loops.back();
        loops.pop_back();
        return true;
      }
    }
  }
  return false;
}

sgRegion outerLoopOf(const PointList& outline) {
  std::vector<sgRegion> loops{regionOf(outline)};
  while (splitFirstTouchingLoop(loops)) {
  }
  while (dropFirstNestedLoop(loops)) {
  }
  while (joinFirstTouchingPair(loops)) {
  }
  return loops.front();
}

// regularize and outerHull answer alike, each from its own cache. The engine writes into a new
// region already held by the cache; the flag is set only once it has succeeded.
template <class Engine>
void answerFromCache(const sgRegion& self, bool& valid, sgPtrHandle_const<sgRegion>& cache, sgRegion& result,
                     Engine runEngine) {
  if (!self.isSelfIntersecting()) {
    result = self;
    return;
  }
  if (!valid) {
    sgRegion* fresh = new sgRegion();
    cache = sgPtrHandle_const<sgRegion>(fresh);
    runEngine(*fresh);
    valid = true;
  }
  // When result is self, the assignment replaces the cache handle; this one keeps the cached
  // region alive while it is copied.
  const sgPtrHandle_const<sgRegion> keep = cache;
  result = *keep;
}

}  // namespace

void sgRegion::regularize(sgRegion& result) const {
  answerFromCache(*this, regularizedCacheValid_, regularizedCache_, result,
                  [this](sgRegion& fresh) { outerHullRegularize(fresh, false); });
}

void sgRegion::outerHull(sgRegion& result) const {
  answerFromCache(*this, outerHullCacheValid_, outerHullCache_, result,
                  [this](sgRegion& fresh) { outerHullRegularize(fresh, true); });
}

void sgRegion::outerHullRegularize(sgRegion& result, bool outerHullOnly) const {
  checkEmptyContour();
  const double eps = kProbeOffsetFactor * medianFeatureSize();

  const long startEdge = findStartEdge(
      points(), eps, [this](const sgLineSeg& seg) { return intersections(seg, true, false).size(); },
      [this](const sgVector<2>& probe) { return insideCount(probe, true) == 0; });
  if (startEdge < 0) throw sgContourDefs::BadParams(L"invalid contour");

  const PointList outline =
      traceOutline(points(), startEdge, [this](const sgLineSeg& seg, std::vector<int>& crossedEdges) {
        return sgContour::intersections(seg, crossedEdges, false);
      });
  result = outerHullOnly ? outerLoopOf(outline) : regionOf(outline);
}
