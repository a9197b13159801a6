// What several threads share: thread-local slots and identities, exit callbacks, seeded random
// sources, handle counts, and regions whose holes and cached repairs are shared through handles.
// Objects are single-threaded by design, but queries on distinct objects must not touch each
// other's state. Built under ThreadSanitizer by ./test.sh.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <numbers>
#include <random>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "cntr/regionst.h"

// The random index source is internal to the library and not exported: its source is compiled in.
#include "../../cntr/randomsource.cpp"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;
using Holes = std::vector<sgPtrHandle_const<sgRegion>>;
constexpr int kThreads = 4;
constexpr int kRounds = 30;

// Runs body(t) on kThreads threads at once.
template <class Body>
void onThreads(Body body) {
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(body, t);
  for (auto& thread : threads) thread.join();
}

void recordThread(const sgThreadID& t, void* log) {
  static_cast<std::vector<std::uint64_t>*>(log)->push_back(t.value());
}
void recordZero(const sgThreadID&, void* log) { static_cast<std::vector<std::uint64_t>*>(log)->push_back(0); }

TEST(Threads, SlotsIdentitiesAndExitCallbacksBelongToOneThread) {
  sg_ThreadLocal slot, other;
  int mine = 1, theirs = 2;
  slot.set(&mine);
  const sgThreadID main = sfGetCurrentThreadID();
  std::vector<std::uint64_t> ids(kThreads), log;
  std::vector<void*> seen(kThreads, &mine);
  onThreads([&](int t) {
    seen[t] = slot.get();
    slot.set(&theirs);
    ids[t] = sfGetCurrentThreadID().value();
  });
  EXPECT_TRUE(seen == std::vector<void*>(kThreads, nullptr) && slot.get() == &mine && !other.get());
  ids.push_back(main.value());
  EXPECT_TRUE(main == sfGetCurrentThreadID() && std::set<std::uint64_t>(ids.begin(), ids.end()).size() == 5);
  std::thread([&] {
    sgThreadID::atexit(sfGetCurrentThreadID(), &recordThread, &log);
    sgThreadID::atexit(sfGetCurrentThreadID(), &recordZero, &log);
    EXPECT_THROW(sgThreadID::atexit(main, &recordZero, &log), std::invalid_argument);
    EXPECT_THROW(sgThreadID::atexit(sfGetCurrentThreadID(), nullptr, &log), std::invalid_argument);
    ids.assign(1, sfGetCurrentThreadID().value());
    EXPECT_TRUE(log.empty());
  }).join();
  EXPECT_EQ(log, (std::vector<std::uint64_t>{ids[0], 0}));  // once each, in order of registration
}

TEST(Threads, RandomSourcesAreSeededPerThreadAndStayInRange) {
  const auto draws = [](sgRandomUniform r) {
    std::vector<double> out(20);
    for (double& x : out) x = r.next(-5.0, 5.0);
    return out;
  };
  sgRandomUniform a(42);
  EXPECT_TRUE(draws(a) == draws(sgRandomUniform(42)) && draws(a) != draws(sgRandomUniform(43)));
  for (int i = 0; i < 1000; ++i) {
    const double x = a.next(-3.0, 5.0), y = a.next(-DBL_MAX, DBL_MAX);
    ASSERT_TRUE(x >= -3.0 && x < 5.0 && std::isfinite(y) && y < DBL_MAX) << x << " " << y;
  }
  EXPECT_EQ(draws(a), draws(a));  // copies continue alike
  // Each thread draws from a generator of its own, seeded with 1: mt19937_64's top 53 bits scaled.
  std::vector<std::vector<int>> drawn(kThreads, std::vector<int>(50)), expected = drawn;
  onThreads([&](int t) {
    for (int& i : drawn[t]) i = sgcntr::randomIndex(t % 2 ? 1 << 20 : 1000);
  });
  for (int t = 0; t < kThreads; ++t) {
    std::mt19937_64 engine(1);
    for (int& i : expected[t])
      i = int(std::floor(double(engine() >> 11) * 0x1.0p-53 * (t % 2 ? 1 << 20 : 1000)));
  }
  EXPECT_EQ(drawn, expected);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(sgcntr::randomIndex(1), 0);
}

class Shape : public sgRepBase {
 public:
  static inline int live = 0;
  explicit Shape(int id = 0) : id(id) { ++live; }
  Shape(const Shape& o) : sgRepBase(o), id(o.id) { ++live; }
  Shape& operator=(const Shape&) = default;
  ~Shape() override { --live; }
  int id;
};
class Square : public Shape {
  using Shape::Shape;
};

TEST(Threads, HandlesCountExactlyAndTheLastReleaseDeletes) {
  {
    sgPtrHandle<Square> square(new Square(4));
    sgPtrHandle<Shape> shape = square, self = square;
    const sgPtrHandle_const<Shape> constShape = shape;
    shape->id = 7;
    self = self;
    EXPECT_TRUE(constShape.get() == square.get() && constShape->id == 7 && square->refCount() == 4);
    const sgPtrHandle<Shape> moved = std::move(shape), copied(new Shape(*moved));
    *copied = *moved;  // representations copy the value, not the count; moves do not count
    EXPECT_TRUE(shape.isNull() && square->refCount() == 4);  // NOLINT: the moved-from state on purpose
    EXPECT_TRUE(copied->refCount() == 1 && copied->id == 7 && Shape::live == 2);
    static_assert(!std::is_convertible_v<sgPtrHandle_const<Shape>, sgPtrHandle<Shape>>);
    static_assert(!std::is_convertible_v<sgPtrHandle<Shape>, sgPtrHandle<Square>>);
    EXPECT_TRUE(!sgPtrHandle<Shape>() && sgPtrHandle<Shape>() == sgPtrHandle<Shape>());
    EXPECT_THROW(*sgPtrHandle<Shape>(), sgBadPointer);
    EXPECT_THROW((void)sgPtrHandle_const<Shape>()->id, sgBadPointer);
  }
  EXPECT_EQ(Shape::live, 0);
  sgPtrHandle<Shape> shared(new Shape);
  onThreads([&shared](int) {
    std::vector<sgPtrHandle_const<Shape>> held;
    for (int i = 0; i < 2500; ++i) held.assign(8, shared);
  });
  EXPECT_EQ(shared->refCount(), 1);
  std::vector<sgPtrHandle<Shape>> copies(kThreads, shared);
  shared.reset();
  onThreads([&copies](int t) { copies[t].reset(); });  // releases race to zero: one delete
  EXPECT_EQ(Shape::live, 0);
}

// A star-shaped outline around (10 + shift, 10), wide enough for the shared holes; `phase` makes
// the outlines of different objects differ. A swap of two vertices makes it cross itself.
Points star(int n, double phase, double shift = 0.0, bool crossed = false) {
  Points points;
  for (int k = 0; k < n; ++k) {
    const double a = 2.0 * std::numbers::pi * k / n + phase, r = 14.0 + 3.0 * std::sin(5.0 * a + phase);
    points.emplace_back(10.0 + shift + r * std::cos(a), 10.0 + r * std::sin(a));
  }
  if (crossed) std::swap(points[3], points[9]);
  return points;
}
sgPtrHandle<sgRegion> rectangle(double x0, double y0, double x1, double y1) {
  return sgPtrHandle<sgRegion>(new sgRegion(Points{V(x0, y0), V(x1, y0), V(x1, y1), V(x0, y1)}));
}
// Two square holes inside every outline, the first with an island.
Holes makeHoles() {
  auto withIsland = rectangle(4.0, 4.0, 7.0, 7.0);
  withIsland->holes(Holes{rectangle(4.5, 4.5, 5.5, 5.5)});
  return {withIsland, rectangle(12.0, 12.0, 15.0, 13.0)};
}
void expectOnlyTheseHandles(const Holes& holes) {
  EXPECT_TRUE(holes[0]->refCount() == 1 && holes[1]->refCount() == 1);
  EXPECT_EQ(holes[0]->holes()[0]->refCount(), 1);
}

std::ostream& operator<<(std::ostream& os, const V& v) { return os << ' ' << v.x() << ' ' << v.y() << ' '; }

// Everything asked of a region, holes left out (a query about holes fills the holes' own caches).
std::string ask(const sgRegion& region) {
  sgRegion repaired, outer, hull;
  region.regularize(repaired);
  region.outerHull(outer);
  region.convexHull(hull);
  std::ostringstream a;
  a.precision(17);
  a << region.area(false) << region.centerOfMass(false) << region.closestPoint(V(6.5, 4.0), false, false)
    << region.inside(V(5.0, 5.0), false) << region.inside(V(10.0, 10.0), false) << ' '
    << region.closestVertexIndex(V(6.2, 6.1)) << ' ' << region.vertexIndex(V(10.0, 10.0), 15.0).size() << ' '
    << region.intersections(sgLineSeg(V(-20.0, 5.5), V(40.0, 5.5)), true, false).size()
    << region.isSelfIntersecting() << ' ' << repaired.points().size() << ' ' << outer.points().size() << ' '
    << hull.points().size() << ' ' << region.encloseRect(sgXform<2>()).size();
  // More angles than the keyed cache holds, so that entries are replaced at random positions.
  for (int k = 0; k < 8; ++k) a << ' ' << region.extremalVertexIndex(sgRadian(0.7 * k));
  return a.str();
}
std::string ask(const sgRegionSet& set) {
  sgRegionSet repaired;
  set.regularize(repaired);
  const sgRegionSet copy(repaired);
  std::ostringstream a;
  a.precision(17);
  a << set.area(false) << set.centerOfMass(false) << set.inside(V(5.0, 5.0), false)
    << set.isSelfIntersecting() << copy.area(false) << ' ' << copy.regions().size();
  return a.str();
}

// What thread t asks in round r of objects around `holes`: a region, crossed in some rounds, or
// a set of two overlapping outlines, which regularize splices.
std::string answerOf(int t, int r, const Holes& holes) {
  std::vector<sgPtrHandle_const<sgRegion>> regions;
  for (const double shift : {0.0, 2.5}) {
    auto region = sgPtrHandle<sgRegion>(
        new sgRegion(r % 3 == 1 ? star(24, 0.1 * t, 0, true) : star(16 + t, 0.1 * t, shift)));
    region->holes(holes);
    regions.push_back(region);
  }
  return r % 3 == 2 ? ask(sgRegionSet(regions)) : ask(*regions[0]);
}

// Objects sharing holes answer on several threads at once as they do alone with holes of their
// own; afterwards the shared holes are held by their handles only.
TEST(Threads, DistinctRegionsAndSetsSharingHolesAnswerAsAlone) {
  std::vector<std::vector<std::string>> expected(kThreads);
  for (int t = 0; t < kThreads; ++t)
    for (int r = 0; r < 3; ++r) expected[t].push_back(answerOf(t, r, makeHoles()));
  const Holes shared = makeHoles();
  std::vector<int> mismatches(kThreads, 0);
  onThreads([&](int t) {
    for (int r = 0; r < kRounds; ++r) mismatches[t] += answerOf(t, r, shared) != expected[t][r % 3];
  });
  EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
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

// Each thread copies, changes, repairs and drops its own copies while the others do the same.
TEST(Threads, CopiesSharingCachedRepairsChangeIndependently) {
  const Holes holes = makeHoles();
  sgRegion original(star(24, 0.3, 0.0, true));
  original.holes(holes);
  const std::string expected = ask(original);
  const sgRegion* regularized = sgRegionTestAccess::regularizedCache(original);
  const sgRegion* outerHull = sgRegionTestAccess::outerHullCache(original);
  ASSERT_TRUE(regularized && outerHull);
  std::vector<sgRegion> copies(kThreads, original);
  std::vector<int> mismatches(kThreads, 0);
  onThreads([&](int t) {
    for (int r = 0; r < kRounds; ++r) {
      sgRegion copy(copies[t]);
      mismatches[t] += sgRegionTestAccess::regularizedCache(copy) != regularized || ask(copy) != expected;
      // A change drops the shared cached regions; repairing the changed outline caches its own.
      copy.points(star(24, 0.2 * r + t, 0.0, true));
      sgRegion repaired;
      copy.regularize(repaired);
      copy.outerHull(repaired);
      if (r + 1 == kRounds && t % 2) copies[t] = copy;  // odd threads end with regions of their own
    }
  });
  EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
  EXPECT_EQ(regularized->refCount(), 1 + kThreads / 2);
  EXPECT_EQ(outerHull->refCount(), 1 + kThreads / 2);
  copies.clear();
  original.points(star(10, 0.0));
  original.holes(Holes{});
  expectOnlyTheseHandles(holes);
}

}  // namespace
