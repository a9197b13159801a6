// What threads share: thread-local slots, exit callbacks, random sources, handle counts, regions
// whose holes and cached repairs are shared through handles. Objects are single-threaded, but
// queries on distinct objects must not touch each other's state (run under ThreadSanitizer).
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <numbers>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "support/casetable.h"

// The random index source is internal to the library and not exported: its source is compiled in.
#include "../../cntr/randomsource.cpp"

/// Reaches the cached repaired regions, which copies of a region share.
class sgRegionTestAccess {
 public:
  static const sgRegion* regularized(const sgRegion& r) { return r.regularizedCache_.get(); }
  static const sgRegion* outerHull(const sgRegion& r) { return r.outerHullCache_.get(); }
};

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;
using Holes = std::vector<sgPtrHandle_const<sgRegion>>;
using Log = std::vector<std::uint64_t>;
constexpr int kThreads = 4;

template <class Body>
void onThreads(Body body) {
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(body, t);
  for (auto& thread : threads) thread.join();
}

// Each thread draws random indices from a generator of its own, held in a thread-local slot and
// freed by an exit callback (a shared slot would interleave the sequences, a missed callback
// leaks): seeded with 1, it scales mt19937_64's top 53 bits.
TEST(Threads, RandomSourcesIdentitiesAndExitCallbacksBelongToOneThread) {
  const sgThreadID main = sfGetCurrentThreadID();
  Log ids(kThreads), log;
  std::vector<std::vector<int>> drawn(kThreads, std::vector<int>(50)), expected = drawn;
  const auto range = [](int t) { return t % 2 ? 1 << 20 : 1000; };
  onThreads([&](int t) {
    ids[t] = sfGetCurrentThreadID().value();
    for (int& i : drawn[t]) i = sgcntr::randomIndex(range(t));
    std::mt19937_64 engine(1);
    for (int& i : expected[t]) i = int(std::floor(double(engine() >> 11) * 0x1.0p-53 * range(t)));
  });
  EXPECT_EQ(drawn, expected);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(sgcntr::randomIndex(1), 0);
  ids.push_back(main.value());
  EXPECT_TRUE(main == sfGetCurrentThreadID() && std::set<std::uint64_t>(ids.begin(), ids.end()).size() == 5);
  const auto record = [](const sgThreadID& t, void* l) { static_cast<Log*>(l)->push_back(t.value()); };
  const auto recordZero = [](const sgThreadID&, void* l) { static_cast<Log*>(l)->push_back(0); };
  std::thread([&] {
    const sgThreadID self = sfGetCurrentThreadID();
    sgThreadID::atexit(self, record, &log);
    sgThreadID::atexit(self, recordZero, &log);
    EXPECT_THROW(sgThreadID::atexit(main, recordZero, &log), std::invalid_argument);
    EXPECT_THROW(sgThreadID::atexit(self, nullptr, &log), std::invalid_argument);
    ids.assign(1, self.value());
    EXPECT_TRUE(log.empty());
  }).join();
  EXPECT_EQ(log, (Log{ids[0], 0}));  // once each, in order of registration
  // Beyond seed 1's next(0, n): other seeds differ, copies continue alike, and any range, even one
  // whose width overflows, holds its draws.
  sgRandomUniform a(42), copy = a, seed43(43);
  EXPECT_TRUE(copy.next(-5.0, 5.0) == a.next(-5.0, 5.0) && seed43.next(-5.0, 5.0) != copy.next(-5.0, 5.0));
  for (int i = 0; i < 1000; ++i) {
    const double x = a.next(-3.0, 5.0), y = a.next(-DBL_MAX, DBL_MAX);
    ASSERT_TRUE(x >= -3.0 && x < 5.0 && std::isfinite(y) && y < DBL_MAX) << x << " " << y;
  }
}

struct Shape : sgRepBase {
  static inline int live = 0;
  explicit Shape(int id = 0) : id(id) { ++live; }
  Shape(const Shape& o) : sgRepBase(o), id(o.id) { ++live; }
  Shape& operator=(const Shape&) = default;
  ~Shape() override { --live; }
  int id;
};
struct Square : Shape {};

TEST(Threads, HandlesCountExactlyAndTheLastReleaseDeletes) {
  {
    sgPtrHandle<Square> square(new Square);
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
  std::vector<sgPtrHandle<Shape>> copies(kThreads, sgPtrHandle<Shape>(new Shape));
  EXPECT_EQ(copies[0]->refCount(), kThreads);
  onThreads([&copies](int t) {  // counts race up and down, then the releases race to zero: one delete
    std::vector<sgPtrHandle_const<Shape>> held;
    for (int i = 0; i < 2500; ++i) held.assign(8, copies[t]);
    copies[t].reset();
  });
  EXPECT_EQ(Shape::live, 0);
}

// A star-shaped outline around (10 + shift, 10), wide enough for the shared holes; `phase` makes
// the outlines of different objects differ; `crossed` swaps two vertices so that it crosses itself.
Points star(int n, double phase, double shift = 0.0, bool crossed = false) {
  Points p;
  for (int k = 0; k < n; ++k) {
    const double a = 2.0 * std::numbers::pi * k / n + phase, r = 14.0 + 3.0 * std::sin(5.0 * a + phase);
    p.emplace_back(10.0 + shift + r * std::cos(a), 10.0 + r * std::sin(a));
  }
  if (crossed) std::swap(p[3], p[9]);
  return p;
}
// Two holes inside every outline, the first with an island.
Holes makeHoles() {
  return {casetable::regionOf("POLYGON ((4 4, 7 4, 7 7, 4 7), (4.5 4.5, 5.5 4.5, 5.5 5.5, 4.5 5.5))"),
          casetable::regionOf("POLYGON ((12 12, 15 12, 15 13, 12 13))")};
}

std::ostream& operator<<(std::ostream& os, const V& v) { return os << ' ' << v.x() << ' ' << v.y() << ' '; }

// Everything asked of a region or a set, holes left out (a query about holes fills the holes' own
// caches); more angles than the keyed cache holds, so that entries are replaced at random positions.
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

// What thread t asks in round r of objects around `holes`: a region, crossed in some rounds, or a
// set of two overlapping outlines, which regularize splices. Sharing the holes across threads must
// change no answer.
std::string answerOf(int t, int r, const Holes& holes) {
  Holes regions;
  for (const double shift : {0.0, 2.5}) {
    sgPtrHandle<sgRegion> region(
        new sgRegion(r % 3 == 1 ? star(24, 0.1 * t, 0, true) : star(16 + t, 0.1 * t, shift)));
    region->holes(holes);
    regions.push_back(region);
  }
  return r % 3 == 2 ? ask(sgRegionSet(regions)) : ask(*regions[0]);
}

// Each thread also copies, changes, repairs and drops its own copies of one region, whose cached
// repairs the copies share until they change.
TEST(Threads, RegionsSharingHolesAnswerAsAloneAndCopiesSharingRepairsChangeIndependently) {
  const Holes holes = makeHoles();
  sgRegion original(star(24, 0.3, 0.0, true));
  original.holes(holes);
  const std::string answer = ask(original);
  const sgRegion *regularized = sgRegionTestAccess::regularized(original),
                 *outerHull = sgRegionTestAccess::outerHull(original);
  ASSERT_TRUE(regularized && outerHull);
  std::vector<sgRegion> copies(kThreads, original);
  std::vector<int> mismatches(kThreads, 0);
  onThreads([&](int t) {
    const std::string alone[] = {answerOf(t, 0, makeHoles()), answerOf(t, 1, makeHoles()),
                                 answerOf(t, 2, makeHoles())};
    for (int r = 0; r < 30; ++r) {
      sgRegion copy(copies[t]), repaired;
      mismatches[t] += answerOf(t, r, holes) != alone[r % 3] ||
                       sgRegionTestAccess::regularized(copy) != regularized || ask(copy) != answer;
      copy.points(star(24, 0.2 * r + t, 0.0, true));  // drops the shared repairs; repairing caches its own
      copy.regularize(repaired);
      copy.outerHull(repaired);
      if (r == 29 && t % 2) copies[t] = copy;  // odd threads end with regions of their own
    }
  });
  EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
  EXPECT_TRUE(regularized->refCount() == 1 + kThreads / 2 && outerHull->refCount() == 1 + kThreads / 2);
  copies.clear();
  original.points(star(10, 0.0));
  original.holes(Holes{});  // the shared holes are now held by their handles only
  EXPECT_TRUE(holes[0]->refCount() == 1 && holes[1]->refCount() == 1 &&
              holes[0]->holes()[0]->refCount() == 1);
}

}  // namespace
