// Region regularization and outer hull: a self-crossing outer boundary is traced along its
// outermost edges; the outer hull then cuts the traced outline where it touches itself, drops the
// loops that lie inside other loops and joins the loops that still touch.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "cntr/region.h"
#include "cyclicrange.h"
#include "lynstd/orientation.h"
#include "outertrace.h"
#include "turnorder.h"

namespace {

using PointList = std::vector<sgVector<2>>;

constexpr double kMidpointFactor = 0.5;
// Traced points closer than this are one point at which loops touch.
constexpr double kTouchTolerance = 1e-6;

// The outline without vertices within the junction tolerance of the vertex kept before them (the
// last one also compared with the first): the trace needs every edge longer than that.
PointList withoutNearRepeats(const PointList& points) {
  PointList kept;
  for (const sgVector<2>& p : points)
    if (kept.empty() || kept.back().distance(p) > sgcntr::kJunctionTolerance) kept.push_back(p);
  while (kept.size() > 1 && kept.back().distance(kept.front()) <= sgcntr::kJunctionTolerance) kept.pop_back();
  return kept;
}

bool hasNonFinite(const PointList& points) {
  return std::any_of(points.begin(), points.end(),
                     [](const sgVector<2>& p) { return !std::isfinite(p.x()) || !std::isfinite(p.y()); });
}

// Fewer than three points or all on one line: nothing is enclosed, so there is no outer boundary
// to trace.
bool boundsNoArea(const PointList& points) {
  if (points.size() < 3) return true;
  for (std::size_t k = 2; k < points.size(); ++k)
    if (sfOrientation(points[0], points[1], points[k]) != 0) return false;
  return true;
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

// The direction from vertex i of the loop to its nearest vertex `step` (+1 or -1) along the loop
// that lies apart from it.
sgVector<2> towardNeighbour(const PointList& loop, std::size_t i, int step) {
  const std::size_t n = loop.size();
  for (std::size_t k = 1; k < n; ++k) {
    const sgVector<2>& q = loop[(i + n + static_cast<std::size_t>(step) * k) % n];
    if (q.distance(loop[i]) > kTouchTolerance) return q - loop[i];
  }
  return sgVector<2>(0.0, 0.0);
}

// Whether running around `second` from vertex b, inserted into `first` at vertex a where both
// pass one point, keeps the two apart. The loops are counter-clockwise, so outside `first` at a
// lies turning counter-clockwise from its way back to its way on; `second`, which touches it
// without overlapping, must leave and return within that turn, leaving first. Where a loop passes
// the point more than once, this picks the pass whose outside holds the other loop.
bool joinKeepsLoopsApart(const PointList& first, std::size_t a, const PointList& second, std::size_t b) {
  const sgVector<2> back = towardNeighbour(first, a, -1), on = towardNeighbour(first, a, 1);
  const sgVector<2> leave = towardNeighbour(second, b, 1), come = towardNeighbour(second, b, -1);
  const auto notAfter = [&back](const sgVector<2>& u, const sgVector<2>& v) {
    return sgcntr::sameDirection(u, v) || sgcntr::turnsBefore(back, u, v);
  };
  return notAfter(leave, come) && notAfter(come, on);
}

// Joins the first two loops that share a point into one boundary running around the first loop
// and then around the second, both from that point: at the first shared vertex pair where the
// join keeps them apart. Every join removes a loop.
bool joinFirstTouchingPair(std::vector<sgRegion>& loops) {
  for (std::size_t i = 0; i + 1 < loops.size(); ++i) {
    for (std::size_t j = i + 1; j < loops.size(); ++j) {
      const PointList& first = loops[i].points();
      const PointList& second = loops[j].points();
      for (std::size_t a = 0; a < first.size(); ++a) {
        for (const int shared : loops[j].vertexIndex(first[a], kTouchTolerance)) {
          const auto b = static_cast<std::size_t>(shared);
          if (!joinKeepsLoopsApart(first, a, second, b)) continue;
          PointList joined;
          sgcntr::appendCyclicRange(joined, first, a, first.size());
          sgcntr::appendCyclicRange(joined, second, b, second.size());
          loops[i] = regionOf(joined);
          loops[j] = loops.back();
          loops.pop_back();
          return true;
        }
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
  // Checked before near repeats are dropped: a NaN vertex is near nothing and would vanish.
  if (hasNonFinite(points())) throw sgContourDefs::BadParams(L"invalid contour");
  const PointList kept = withoutNearRepeats(points());
  if (boundsNoArea(kept)) throw sgContourDefs::BadParams(L"invalid contour");
  // The trace queries the edges of the outline it walks: this one, or the one without near repeats.
  std::optional<sgRegion> shortened;
  if (kept.size() != points().size()) shortened.emplace(kept, sgContourDefs::eIgnore);
  const sgRegion& traced = shortened ? *shortened : *this;
  const PointList outline = sgcntr::traceOuterBoundary(
      traced.lineSegs(),
      [&traced](const sgLineSeg& seg, std::vector<int>& edges) { traced.candidateEdges(seg, edges); });
  result = outerHullOnly ? outerLoopOf(outline) : regionOf(outline);
}
