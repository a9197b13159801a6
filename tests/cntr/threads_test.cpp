// Distinct objects used from several threads at once. Objects are single-threaded by design, but
// distinct regions and sets share holes and cached repaired forms through handles: queries on
// them must not touch each other's state, and the handle counts, which change from every thread,
// must stay exact. Built under ThreadSanitizer by ./test.sh.
//
// The queries leave the holes out (considerHoles false): a query that considers holes asks the
// holes themselves, which fill caches of their own, so regions sharing a hole are used by one
// thread at a time when they ask about it.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>
#include <utility>
#include <vector>

#include "cntr/regionst.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;
using Holes = std::vector<sgPtrHandle_const<sgRegion>>;

constexpr int kThreads = 4;
constexpr int kRounds = 30;

Points rectangle(double x0, double y0, double x1, double y1) {
  return {V(x0, y0), V(x1, y0), V(x1, y1), V(x0, y1)};
}

// A star-shaped outline of `n` vertices around (10 + shift, 10), wide enough to hold the shared
// holes; `phase` makes the outlines of different objects differ.
Points star(int n, double phase, double shift = 0.0) {
  Points points;
  for (int k = 0; k < n; ++k) {
    const double a = 2.0 * std::numbers::pi * k / n + phase;
    const double r = 14.0 + 3.0 * std::sin(5.0 * a + phase);
    points.emplace_back(10.0 + shift + r * std::cos(a), 10.0 + r * std::sin(a));
  }
  return points;
}

// An outline that crosses itself, so that regularize and outerHull have work to do.
Points bowtie(double phase) {
  Points points = star(24, phase);
  std::swap(points[3], points[9]);
  return points;
}

// Everything a thread asks of one region; compared between a single-threaded and a concurrent run.
struct Answers {
  double area = 0.0;
  V centre;
  bool insideHole = false;
  bool insideRing = false;
  V nearest;
  long vertex = 0;
  std::size_t nearVertices = 0;
  std::size_t crossings = 0;
  bool crossesItself = false;
  std::size_t repairedPoints = 0;
  std::size_t hullPoints = 0;
  std::size_t outerHullPoints = 0;
  long extremal = 0;
  double width = 0.0;

  bool operator==(const Answers&) const = default;
};

Answers ask(const sgRegion& region) {
  Answers a;
  a.area = region.area(false);
  a.centre = region.centerOfMass(false);
  a.insideHole = region.inside(V(5.0, 5.0), false);
  a.insideRing = region.inside(V(10.0, 10.0), false);
  a.nearest = region.closestPoint(V(6.5, 4.0), false, false);
  a.vertex = region.closestVertexIndex(V(6.2, 6.1));
  a.nearVertices = region.vertexIndex(V(10.0, 10.0), 15.0).size();
  a.crossings = region.intersections(sgLineSeg(V(-20.0, 5.5), V(40.0, 5.5)), true, false).size();
  a.crossesItself = region.isSelfIntersecting();
  sgRegion repaired;
  region.regularize(repaired);
  a.repairedPoints = repaired.points().size();
  sgRegion outer;
  region.outerHull(outer);
  a.outerHullPoints = outer.points().size();
  sgRegion hull;
  region.convexHull(hull);
  a.hullPoints = hull.points().size();
  // More angles than the keyed cache holds, so that entries are replaced at random positions.
  for (int k = 0; k < 8; ++k) a.extremal += region.extremalVertexIndex(sgRadian(0.7 * k));
  a.width = region.encloseRect(sgXform<2>()).size().x();
  return a;
}

// Holes inside every outline: two squares, the first with an island.
Holes makeHoles() {
  auto withIsland = sgPtrHandle<sgRegion>(new sgRegion(rectangle(4.0, 4.0, 7.0, 7.0)));
  withIsland->holes(Holes{sgPtrHandle_const<sgRegion>(new sgRegion(rectangle(4.5, 4.5, 5.5, 5.5)))});
  return {withIsland, sgPtrHandle_const<sgRegion>(new sgRegion(rectangle(12.0, 12.0, 15.0, 13.0)))};
}

// The region of thread `t`, round `r`: an outline of its own around the shared holes.
sgRegion regionOf(int t, int r, const Holes& holes) {
  sgRegion region(r % 2 ? bowtie(0.1 * t) : star(16 + t, 0.1 * t));
  region.holes(holes);
  return region;
}

void expectOnlyTheseHandles(const Holes& holes) {
  EXPECT_EQ(holes[0]->refCount(), 1);
  EXPECT_EQ(holes[1]->refCount(), 1);
  EXPECT_EQ(holes[0]->holes()[0]->refCount(), 1);  // held by its hole only
}

// Runs body(t) on kThreads threads at once.
template <class Body>
void onThreads(Body body) {
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(body, t);
  for (auto& thread : threads) thread.join();
}

TEST(Threads, DistinctRegionsSharingHolesAnswerAsInOneThread) {
  // Expected answers from regions with private holes.
  std::vector<std::vector<Answers>> expected(kThreads);
  for (int t = 0; t < kThreads; ++t)
    for (int r = 0; r < 2; ++r) expected[t].push_back(ask(regionOf(t, r, makeHoles())));

  const Holes shared = makeHoles();
  std::vector<int> mismatches(kThreads, 0);
  onThreads([&](int t) {
    for (int r = 0; r < kRounds; ++r)
      if (!(ask(regionOf(t, r, shared)) == expected[t][r % 2])) ++mismatches[t];
  });
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
  expectOnlyTheseHandles(shared);
}

}  // namespace

/// Reaches the cached repaired regions, which copies of a region share.
class sgRegionTestAccess {
 public:
  static const sgRegion* regularizedCache(const sgRegion& region) { return region.regularizedCache_.get(); }
  static const sgRegion* outerHullCache(const sgRegion& region) { return region.outerHullCache_.get(); }
};

namespace {

// Copies share the holes and the cached repaired regions of their original. Each thread copies,
// changes, repairs and drops its own copies while the others do the same with theirs.
TEST(Threads, CopiesSharingCachedRepairsChangeIndependently) {
  const Holes holes = makeHoles();
  sgRegion original(bowtie(0.3));
  original.holes(holes);
  const Answers expected = ask(original);
  const sgRegion* regularized = sgRegionTestAccess::regularizedCache(original);
  const sgRegion* outerHull = sgRegionTestAccess::outerHullCache(original);
  ASSERT_NE(regularized, nullptr);
  ASSERT_NE(outerHull, nullptr);
  std::vector<sgRegion> copies(kThreads, original);

  std::vector<int> mismatches(kThreads, 0);
  onThreads([&](int t) {
    sgRegion& mine = copies[t];
    for (int r = 0; r < kRounds; ++r) {
      sgRegion copy(mine);
      if (sgRegionTestAccess::regularizedCache(copy) != regularized || !(ask(copy) == expected))
        ++mismatches[t];
      // A change invalidates the shared cached regions (the handles stay until replaced); a
      // repair of the changed outline then caches regions of the copy's own.
      copy.points(bowtie(0.2 * r + t));
      sgRegion repaired;
      copy.regularize(repaired);
      copy.outerHull(repaired);
      // The odd threads end holding regions of their own; the even ones keep their copy.
      if (r + 1 == kRounds && t % 2) mine = copy;
    }
  });
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
  EXPECT_EQ(regularized->refCount(), 1 + kThreads / 2);
  EXPECT_EQ(outerHull->refCount(), 1 + kThreads / 2);
  copies.clear();
  original.points(star(10, 0.0));
  original.holes(Holes{});
  expectOnlyTheseHandles(holes);
}

struct SetAnswers {
  double area = 0.0;
  V centre;
  bool inside = false;
  bool crossing = false;
  double repairedArea = 0.0;
  std::size_t repairedRegions = 0;

  bool operator==(const SetAnswers&) const = default;
};

SetAnswers measure(const sgRegionSet& set) {
  SetAnswers a{set.area(false), set.centerOfMass(false), set.inside(V(5.0, 5.0), false),
               set.isSelfIntersecting()};
  sgRegionSet repaired;
  set.regularize(repaired);
  const sgRegionSet copy(repaired);
  a.repairedArea = copy.area(false);
  a.repairedRegions = copy.regions().size();
  return a;
}

// Sets of regions that share holes: each thread builds, regularizes and copies sets of its own.
TEST(Threads, DistinctSetsOfRegionsSharingHolesAnswerAsInOneThread) {
  // Two overlapping outlines around the holes, so that regularize splices them.
  const auto setOf = [](int t, const Holes& holes) {
    std::vector<sgPtrHandle_const<sgRegion>> regions;
    for (const double shift : {0.0, 2.5}) {
      auto region = sgPtrHandle<sgRegion>(new sgRegion(star(16 + t, 0.1 * t, shift)));
      region->holes(holes);
      regions.push_back(region);
    }
    return sgRegionSet(regions);
  };
  std::vector<SetAnswers> expected;
  for (int t = 0; t < kThreads; ++t) expected.push_back(measure(setOf(t, makeHoles())));

  const Holes shared = makeHoles();
  std::vector<int> mismatches(kThreads, 0);
  onThreads([&](int t) {
    for (int r = 0; r < kRounds; ++r)
      if (measure(setOf(t, shared)) != expected[t]) ++mismatches[t];
  });
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
  expectOnlyTheseHandles(shared);
}

}  // namespace
