// Behaviours of contours, regions and sets that are not one answer: sharing, caches, errors, drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "cntr/contourprobe.h"
#include "support/casetable.h"
#include "support/notificationcounter.h"

namespace {

using namespace casetable;
using Holes = std::vector<sgPtrHandle_const<sgRegion>>;
const sgXform<2> kI = sgXform<2>::I;

// Answers from the contour's caches; moving vertex 2 of the square to (-2, 1) changes every one.
std::vector<double> answersOf(const ContourProbe& c) {
  return {c.length(),
          c.meanPosition().x(),
          c.medianFeatureSize(),
          double(c.isSelfIntersecting()),
          c.encloseRect(kI).size().x(),
          double(c.extremalVertexIndex(sgRadian(M_PI))),
          double(c.vertexIndex({-2, 1}, 0.5).size()),
          double(c.intersections(sgLineSeg({-3, 1}, {3, 1}), true).size())};
}

TEST(ContourCore, EveryVertexMutatorClearsEveryCacheAndTheOtherSettersKeepThem) {
  const Points moved = {{0, 0}, {2, 0}, {-2, 1}, {0, 2}};
  const std::vector<double> before = answersOf(ContourProbe(square2())),
                            after = answersOf(ContourProbe(moved));
  for (std::size_t i = 0; i < before.size(); ++i) ASSERT_NE(before[i], after[i]) << i;
  // What each does, whether it clears the caches, and how often it calls the hook.
  const std::tuple<std::function<void(ContourProbe&)>, bool, int> mutators[] = {
      {[&](ContourProbe& c) { c.points(moved); }, true, 1},
      {[&](ContourProbe& c) { c.setPoints(moved); }, true, 0},
      {[](ContourProbe& c) { c.isClosed(true); }, true, 0},
      {[](ContourProbe& c) { c.label(7); }, false, 0},
      {[](ContourProbe& c) { c.cachedVectorSize(1); }, false, 0}};
  for (const auto& [apply, clears, hookCalls] : mutators) {
    ContourProbe c(square2());
    ASSERT_EQ(answersOf(c), before);
    c.moveVertexUnnoticed(2, {-2, 1});
    NotificationCounter changes(c);
    apply(c);
    EXPECT_GE(changes.take(), 1) << "every mutator notifies";
    EXPECT_EQ(answersOf(c), clears ? after : before);
    EXPECT_EQ(c.vertexIndex({-2, 1}, 0.6), std::vector<int>{2}) << "a new tolerance gets a new grid";
    EXPECT_EQ(c.hookCalls, hookCalls) << "only points(...) calls the hook";
    const int bound = c.cachedVectorSize();
    expectThrowWithMessage<sgContourDefs::BadParams>([&] { c.cachedVectorSize(-3); }, "");
    EXPECT_EQ(c.cachedVectorSize(), bound);
    c.notifyOnChange(false);
    c.label(5);
    EXPECT_EQ(changes.take(), 0) << "neither a refused value nor a change while the flag is off notifies";
  }
}

TEST(ContourCore, CopiesCarryTheSourcesCachesWithoutSharingThem) {
  EXPECT_EQ(sgContour(sgPolygon(square2(), sgPolygon::eEvenOdd), 9).label(), 9u);
  ContourProbe source(square2(), true, 5), copy;
  ASSERT_TRUE(source.extremalVertexIndex(sgRadian(0.0)) == 1 && source.length() == 8.0 &&
              source.encloseRect(kI) == sgRect({0, 0}, {2, 2}));
  copy = static_cast<const sgContour&>(source);
  EXPECT_TRUE(copy == source && copy.label() == 5);
  copy.label(6);
  EXPECT_TRUE(copy == source) << "equality does not look at the label";
  copy.cachedVectorSize(4);
  EXPECT_FALSE(copy == source) << "but at the cache bound";
  copy.moveVertexUnnoticed(3, {9, 9});
  EXPECT_TRUE(copy.length() == 8 && copy.extremalVertexIndex(sgRadian(0.0)) == 1) << "copied caches";
  ASSERT_EQ(source.extremalVertexIndex(sgRadian(1.0)), 2);
  EXPECT_EQ(copy.extremalVertexIndex(sgRadian(1.0)), 3) << "a key the source learns later is not shared";
  source.points(Points{{5, 5}, {6, 7}});
  EXPECT_EQ(source.encloseRect(kI), sgRect({5, 5}, {1, 2}));
  EXPECT_EQ(copy.encloseRect(kI), sgRect({0, 0}, {2, 2})) << "the source's change leaves the copy alone";
  copy = ContourProbe(square2());
  copy.moveVertexUnnoticed(2, {5, 2});
  EXPECT_EQ(copy.encloseRect(kI), sgRect({0, 0}, {5, 2})) << "assigning a contour without caches drops them";
}

TEST(RegionCore, ConstructionClosednessAndDrawing) {
  // From an open contour: closed, the closing edge counted in length and area and drawn.
  sgRegion fromOpen(sgContour({{0, 0}, {4, 0}, {4, 3}}, false, 5), sgContourDefs::eIgnore);
  EXPECT_TRUE(fromOpen.isClosed() && fromOpen.sgContour::isClosed() == false && fromOpen.label() == 5);
  EXPECT_TRUE(fromOpen.length() == 12.0 && fromOpen.area(false) == 6.0);
  NotificationCounter changes(fromOpen);
  fromOpen.isClosed(true);
  expectThrowWithMessage<sgContourDefs::RegionCannotBeSetOpen>([&] { fromOpen.isClosed(false); }, "");
  EXPECT_EQ(changes.take(), 0) << "neither changes anything";
  fromOpen.holes(Holes{regionOf("POLYGON((3 0.5,3.5 0.5,3.5 1))")});
  sgRecordingTablet tablet;
  fromOpen.draw(tablet, sgColor(), sgUITablet::eOverlay);
  EXPECT_TRUE(tablet.segments().empty()) << "the region's own drawing slot draws nothing";
  fromOpen.draw(tablet, sgContourDefs::eDrawOutline, sgColor(), sgUITablet::eGraphics);
  ASSERT_EQ(tablet.segments().size(), 3u) << "the outer outline only";
  EXPECT_TRUE(tablet.segments()[0].from == sgPair<double>(4, 3)) << "the closing edge first";
  const sgPolygon polygon({{0, 0}, {4, 0}, {4, 4}, {0, 0}}, sgPolygon::eEvenOdd);
  EXPECT_EQ(sgRegion(polygon, sgContourDefs::eIgnore).points(), polygon.points()) << "both ends kept";
  const Points bowTie = {{0, 0}, {2, 2}, {2, 0}, {0, 2}};
  EXPECT_EQ(sgRegion(bowTie, static_cast<sgContourDefs::IntersectionMode>(7)).points(), bowTie) << "no mode";
  fromOpen.points(square2());
  EXPECT_DOUBLE_EQ(fromOpen.area(false), 4.0) << "the contour's mutators reach the region's caches";
}

TEST(RegionCore, HolesAreSharedKeptInOrderAndLeftAloneWhenRefused) {
  sgRegion region(Points{{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  const sgPtrHandle<sgRegion> first = regionOf("POLYGON((6 6,8 6,8 8,6 8))");
  const sgPtrHandle<sgRegion> second = regionOf("POLYGON((2 2,4 2,4 4,2 4))");
  region.holes(std::vector<sgPtrHandle<sgRegion>>{first, second});
  const sgRegion copy(region);
  sgRegion assigned;
  assigned = region;
  EXPECT_TRUE(copy.holes()[1].get() == second.get() && assigned.holes()[0].get() == first.get());
  EXPECT_EQ(second->refCount(), 4) << "the caller, region, copy and assigned share it";
  const sgRegion& alias = region;
  region = alias;
  EXPECT_DOUBLE_EQ(region.area(true), 92.0) << "self-assignment keeps everything";

  NotificationCounter changes(region);
  const sgPtrHandle<sgRegion> outside = regionOf("POLYGON((-1 5,1 5,1 6,-1 6))");
  EXPECT_THROW(region.holes(std::vector<sgPtrHandle<sgRegion>>{second, outside}), sgContourDefs::BadParams);
  EXPECT_GT(changes.take(), 0) << "a refused list clears the caches all the same";
  EXPECT_TRUE(region.holes().size() == 2 && region.holes()[0].get() == first.get()) << "old holes kept";
  EXPECT_THROW(region.holes(Holes{sgPtrHandle_const<sgRegion>()}), sgBadPointer);
  EXPECT_THROW(region.holes(std::vector<sgPtrHandle<sgRegion>>{sgPtrHandle<sgRegion>()}), sgBadPointer);
  region.holes(Holes{});
  EXPECT_TRUE(region.holes().empty());
  EXPECT_NO_THROW(sgRegion().holes(Holes{}));
}

const char* const kTwoSquares =
    "MULTIPOLYGON(((-0.5 -0.5,0.5 -0.5,0.5 0.5,-0.5 0.5)),((3.5 -0.5,4.5 -0.5,4.5 0.5,3.5 0.5)))";

sgXform<2> scaled(double s) { return sgXform<2>(sgMatrix<2>(s, 0.0, 0.0, s), sgVector<2>()); }

// Whether a copy of the set answers the transform from its rectangle cache (a miss notifies).
bool cachedIn(const sgRegionSet& set, const sgXform<2>& xform) {
  sgRegionSet copy(set);
  NotificationCounter changes(copy);
  copy.encloseRect(xform);
  return changes.take() == 0;
}

TEST(RegionSetCore, RegionsAreSharedAndEmptyHandlesFailOnlyWhenReached) {
  const sgPtrHandle<sgRegion> a = regionOf("POLYGON((0 0,1 0,1 1,0 1))"),
                              b = regionOf("POLYGON((5 0,6 0,6 1,5 1))");
  for (int mode : std::initializer_list<int>{sgContourDefs::eIgnore, sgContourDefs::eRegularize,
                                             sgContourDefs::eOuterHull, 7}) {
    const sgRegionSet set(std::vector{a, b}, static_cast<sgContourDefs::IntersectionMode>(mode));
    EXPECT_EQ(sgRegionSet(set).regions(), (Holes{a, b}))
        << "a clean list survives mode " << mode << ", shared";
  }
  const auto crossing = regionSetOf("MULTIPOLYGON(((0 0,2 0,2 2,0 2)),((1 1,3 1,3 3,1 3)))").regions();
  EXPECT_EQ(sgRegionSet(crossing, static_cast<sgContourDefs::IntersectionMode>(7)).regions()[0], crossing[0]);

  sgRegionSet set = regionSetOf("MULTIPOLYGON(((-1 -1,1 -1,1 1,-1 1)))");
  set.add(sgPtrHandle_const<sgRegion>(), sgContourDefs::eIgnore);
  EXPECT_THROW(set.area(false), sgBadPointer);
  EXPECT_THROW(set.isSelfIntersecting(), sgBadPointer);
  EXPECT_TRUE(set.inside({0, 0}, false)) << "found in the first region, before the empty handle";
  EXPECT_THROW(set.inside({9, 9}, false), sgBadPointer);
  set.cachedVectorSize(5);
  expectThrowWithMessage<sgContourDefs::BadParams>([&] { set.cachedVectorSize(-1); }, "");
  EXPECT_EQ(set.cachedVectorSize(), 5);
}

TEST(RegionSetCore, ListChangesClearTheCachesAndCopiesCarryThem) {
  sgRegionSet set = regionSetOf(kTwoSquares);
  NotificationCounter changes(set);
  for (int misses : {1, 0}) EXPECT_TRUE(set.area(false) == 2.0 && changes.take() == misses) << "then cached";
  EXPECT_FALSE(set.isSelfIntersecting());
  set.add(regionOf("POLYGON((4 0,5 0,5 1,4 1))"), sgContourDefs::eIgnore);
  EXPECT_TRUE(set.area(false) == 3.0 && set.isSelfIntersecting()) << "no cached answer survives add";
  set.regions(std::vector{regionOf("POLYGON((1 1,2 1,2 2,1 2))")}, sgContourDefs::eIgnore);
  EXPECT_TRUE(set.area(false) == 1.0 && sfRealEq(set.centerOfMass(false), sgVector<2>(1.5, 1.5), 1e-12));

  sgRegionSet source = regionSetOf(kTwoSquares), target;
  source.cachedVectorSize(9);
  source.area(false);
  source.encloseRect(scaled(2.0));
  target = source;
  NotificationCounter targetChanges(target);
  const sgRegionSet& alias = target;
  target = alias;
  EXPECT_TRUE(target.cachedVectorSize() == 9 && target.area(false) == 2.0);
  EXPECT_TRUE(target == regionSetOf(kTwoSquares)) << "equality does not look at the bound";
  EXPECT_EQ(targetChanges.take(), 0) << "the area cache is copied with its flag and kept by self-assignment";
  source.add(regionOf("POLYGON((10 0,11 0,11 1,10 1))"), sgContourDefs::eIgnore);
  EXPECT_TRUE(cachedIn(target, scaled(2.0))) << "the rectangle cache is copied deeply";
  const sgRegionSet earlier(target);
  target.encloseRect(scaled(3.0));
  EXPECT_FALSE(cachedIn(earlier, scaled(3.0))) << "nor shared with earlier copies";
  target = regionSetOf(kTwoSquares);
  EXPECT_FALSE(cachedIn(target, scaled(2.0))) << "assigning a set without the cache drops it";
  // It holds cachedVectorSize + 1 entries, the newest always among them.
  for (int k = 1; k <= 5; ++k) target.encloseRect(scaled(k));
  int held = 0;
  for (int k = 1; k <= 5; ++k) held += cachedIn(target, scaled(k)) ? 1 : 0;
  EXPECT_TRUE(held == 4 && cachedIn(target, scaled(5)));
}

}  // namespace
