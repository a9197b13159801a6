// sgRegionSet construction, copying, mutators, measures and their caches.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cntr/moments.h"
#include "cntr/regionsetshapes.h"
#include "cntr/regionst.h"

namespace {

using namespace regionsettest;

sgXform<2> scaled(double s) { return sgXform<2>(sgMatrix<2>(s, 0.0, 0.0, s), sgVector<2>()); }

sgRegionSet twoDisjointSquares() { return sgRegionSet({square(0.0, 0.0), square(4.0, 0.0)}); }

// --- construction, copying, mutators -------------------------------------------------------

TEST(RegionSetConstruction, DefaultSetIsEmptyWithBoundThree) {
  const sgRegionSet set;
  EXPECT_TRUE(set.regions().empty());
  EXPECT_EQ(set.cachedVectorSize(), 3);
  EXPECT_DOUBLE_EQ(set.area(false), 0.0);
  EXPECT_FALSE(set.inside(sgVector<2>(0.0, 0.0), false));
  EXPECT_FALSE(set.isSelfIntersecting());
  EXPECT_THROW(set.centerOfMass(false), sgContourDefs::EmptyRegionSet);
  EXPECT_THROW(set.inertiaMatrix(false), sgContourDefs::EmptyRegionSet);
  EXPECT_THROW(set.distToPoint(sgVector<2>(), false, false, false), sgContourDefs::EmptyRegionSet);
  EXPECT_THROW(set.encloseRect(sgXform<2>()), sgContourDefs::EmptyRegionSet);
  try {
    set.centerOfMass(true);
    FAIL() << "no exception";
  } catch (const sgContourDefs::EmptyRegionSet& e) {
    EXPECT_TRUE(e.message().empty());
  }
}

TEST(RegionSetConstruction, RegionsAreSharedInOrderAndACleanListSurvivesEveryMode) {
  const sgPtrHandle<sgRegion> a(new sgRegion(rectanglePoints(0, 0, 1, 1)));
  const sgPtrHandle<sgRegion> b(new sgRegion(rectanglePoints(5, 0, 6, 1)));
  // 7 is no mode: it acts as eIgnore.
  for (auto mode : {sgContourDefs::eIgnore, sgContourDefs::eRegularize, sgContourDefs::eOuterHull,
                    static_cast<sgContourDefs::IntersectionMode>(7)}) {
    sgRegionSet set(std::vector<sgPtrHandle<sgRegion>>{a, b}, mode);
    ASSERT_EQ(set.regions().size(), 2u) << mode;
    EXPECT_EQ(set.regions()[0].get(), a.get());
    EXPECT_EQ(set.regions()[1].get(), b.get());
    EXPECT_EQ(sgRegionSet(set).regions()[1].get(), b.get()) << "copies share too";
    set.regions(std::vector<sgPtrHandle<sgRegion>>{b}, mode);
    ASSERT_EQ(set.regions().size(), 1u);
    EXPECT_EQ(set.regions()[0].get(), b.get());
  }
  const RegionHandles crossing{rectangle(0, 0, 2, 2), rectangle(1, 1, 3, 3)};
  EXPECT_EQ(sgRegionSet(crossing, static_cast<sgContourDefs::IntersectionMode>(7)).regions()[0].get(),
            crossing[0].get());
}

TEST(RegionSetMutators, AddAcceptsAnEmptyHandleUntilItIsReached) {
  sgRegionSet set({square(0.0, 0.0)});
  set.add(sgPtrHandle_const<sgRegion>(), sgContourDefs::eIgnore);
  ASSERT_EQ(set.regions().size(), 2u);
  EXPECT_THROW(set.area(false), sgBadPointer);
  EXPECT_THROW(set.isSelfIntersecting(), sgBadPointer);
  // inside stops at the first region containing the point, before the empty handle.
  EXPECT_TRUE(set.inside(sgVector<2>(0.0, 0.0), false));
  EXPECT_THROW(set.inside(sgVector<2>(9.0, 9.0), false), sgBadPointer);
}

TEST(RegionSetMutators, CachedVectorSizeRefusesNegativeValues) {
  sgRegionSet set;
  set.cachedVectorSize(5);
  try {
    set.cachedVectorSize(-1);
    FAIL() << "no exception";
  } catch (const sgContourDefs::BadParams& e) {
    EXPECT_TRUE(e.message().empty());
  }
  EXPECT_EQ(set.cachedVectorSize(), 5);
  set.cachedVectorSize(0);
  EXPECT_EQ(set.cachedVectorSize(), 0);
}

TEST(RegionSetMutators, EveryListChangeDiscardsTheMeasures) {
  sgRegionSet set({square(0.0, 0.0)});
  NotificationCounter changes(set);
  EXPECT_DOUBLE_EQ(set.area(false), 1.0);
  EXPECT_EQ(changes.take(), 1);
  EXPECT_DOUBLE_EQ(set.area(false), 1.0);
  EXPECT_EQ(changes.take(), 0) << "the second call must come from the cache";

  set.add(square(4.0, 0.0, 2.0), sgContourDefs::eIgnore);
  EXPECT_GE(changes.take(), 1);
  EXPECT_DOUBLE_EQ(set.area(false), 5.0);
  EXPECT_TRUE(sfRealEq(set.centerOfMass(false), sgVector<2>(3.2, 0.0), 1e-12));

  set.regions(RegionHandles{square(1.0, 1.0)}, sgContourDefs::eIgnore);
  EXPECT_DOUBLE_EQ(set.area(false), 1.0);
  EXPECT_TRUE(sfRealEq(set.centerOfMass(false), sgVector<2>(1.0, 1.0), 1e-12));
  EXPECT_FALSE(set.inside(sgVector<2>(4.0, 0.0), false));
}

TEST(RegionSetCopy, AssignmentCarriesMeasuresAndTheBound) {
  sgRegionSet source = twoDisjointSquares();
  source.cachedVectorSize(9);
  source.area(false);
  sgRegionSet target;
  target = source;
  NotificationCounter changes(target);
  EXPECT_EQ(target.cachedVectorSize(), 9);
  EXPECT_DOUBLE_EQ(target.area(false), 2.0);
  EXPECT_EQ(changes.take(), 0) << "the area cache is copied with its flag";
  EXPECT_TRUE(target == source);
  sgRegionSet& alias = target;
  target = alias;
  EXPECT_DOUBLE_EQ(target.area(false), 2.0);
  EXPECT_EQ(changes.take(), 0) << "self-assignment keeps the caches";
  EXPECT_EQ(target.regions().size(), 2u);
}

TEST(RegionSetCopy, RectangleCacheIsCopiedDeeply) {
  sgRegionSet source = twoDisjointSquares();
  source.encloseRect(scaled(2.0));
  sgRegionSet target;
  target = source;
  // Clearing the source's caches must not reach the target's entries.
  source.add(square(10.0, 0.0), sgContourDefs::eIgnore);
  NotificationCounter changes(target);
  EXPECT_EQ(target.encloseRect(scaled(2.0)), sgRect(sgVector<2>(-1.0, -1.0), sgVector<2>(10.0, 2.0)));
  EXPECT_EQ(changes.take(), 0);
  // And an entry added to the target is not seen by a copy made earlier.
  const sgRegionSet earlier(target);
  target.encloseRect(scaled(3.0));
  sgRegionSet probe(earlier);
  NotificationCounter probeChanges(probe);
  probe.encloseRect(scaled(3.0));
  EXPECT_EQ(probeChanges.take(), 1);
}

TEST(RegionSetCopy, AssigningASetWithoutRectangleCacheDropsTheTargetsCache) {
  sgRegionSet target = twoDisjointSquares();
  target.encloseRect(sgXform<2>());
  const sgRegionSet source = twoDisjointSquares();
  target = source;
  NotificationCounter changes(target);
  target.encloseRect(sgXform<2>());
  EXPECT_EQ(changes.take(), 1);
}

// --- measures ----------------------------------------------------------------------------------

TEST(RegionSetMeasures, SumsOverRegions) {
  const sgRegionSet set = twoDisjointSquares();
  EXPECT_DOUBLE_EQ(set.area(false), 2.0);
  EXPECT_DOUBLE_EQ(set.area(true), 2.0);
  EXPECT_TRUE(sfRealEq(set.centerOfMass(false), sgVector<2>(2.0, 0.0), 1e-12));
  const sgMatrix<2> m = set.inertiaMatrix(false);
  EXPECT_NEAR(m(0, 0), 2.0 / 12.0 + 8.0, 1e-12);
  EXPECT_NEAR(m(1, 1), 2.0 / 12.0, 1e-12);
  EXPECT_NEAR(m(0, 1), 0.0, 1e-12);
  EXPECT_NEAR(m(1, 0), 0.0, 1e-12);
  EXPECT_NEAR(m.determinant(), m(0, 0) * m(1, 1), 1e-9);
  // The centre is weighted by area; overlaps count twice.
  EXPECT_TRUE(sfRealEq(sgRegionSet({square(0.0, 0.0, 1.0), square(5.0, 1.0, 2.0)}).centerOfMass(false),
                       sgVector<2>(4.0, 0.8), 1e-12));
  EXPECT_DOUBLE_EQ(sgRegionSet({rectangle(0, 0, 2, 2), rectangle(1, 1, 3, 3)}).area(false), 8.0);
}

TEST(RegionSetMeasures, HolesCountOnlyWhenAsked) {
  auto outer = new sgRegion(rectanglePoints(0, 0, 4, 4));
  const sgPtrHandle<sgRegion> outerHandle(outer);
  outer->holes(RegionHandles{rectangle(1, 1, 2, 2)});
  const sgRegionSet set({sgPtrHandle_const<sgRegion>(outerHandle), square(10.0, 0.0)});
  EXPECT_DOUBLE_EQ(set.area(false), 17.0);
  EXPECT_DOUBLE_EQ(set.area(true), 16.0);
  EXPECT_FALSE(set.inside(sgVector<2>(1.5, 1.5), true));
  EXPECT_TRUE(set.inside(sgVector<2>(1.5, 1.5), false));
  // With holes: the two squares less the hole, here combined in another order.
  const sg_InertiaData hole(-1.0, sgVector<2>(1.5, 1.5), sgMatrix<2>(1.0 / 12, 0, 0, 1.0 / 12));
  const sg_InertiaData figure = sf_InertiaDataPolygon(rectanglePoints(9.5, -0.5, 10.5, 0.5)) +
                                sf_InertiaDataPolygon(rectanglePoints(0, 0, 4, 4)) + hole;
  EXPECT_TRUE(sfRealEq(set.inertiaMatrix(true), figure.inertiaMatrix(), 1e-9));
  EXPECT_TRUE(sfRealEq(set.centerOfMass(true), figure.centerOfMass(), 1e-12));
  EXPECT_FALSE(sfRealEq(set.inertiaMatrix(false), figure.inertiaMatrix(), 1e-3));
}

TEST(RegionSetMeasures, ZeroAreaRegionAddsNoMoments) {
  const auto flat = makeRegion({{10.0, 10.0}, {11.0, 10.0}, {12.0, 10.0}});
  const sgMatrix<2> alone = sgRegionSet({square(0.0, 0.0)}).inertiaMatrix(false);
  const sgMatrix<2> after = sgRegionSet({square(0.0, 0.0), flat}).inertiaMatrix(false);
  const sgMatrix<2> before = sgRegionSet({flat, square(0.0, 0.0)}).inertiaMatrix(false);
  EXPECT_TRUE(sfRealEq(after, alone, 1e-15));
  EXPECT_TRUE(sfRealEq(before, alone, 1e-15));
  EXPECT_TRUE(sfRealEq(sgRegionSet({flat}).centerOfMass(false), sgVector<2>(), 0.0));
}

TEST(RegionSetMeasures, FailingRegionLeavesTheCacheInvalid) {
  const sgRegionSet set({square(0.0, 0.0), makeRegion({{0.0, 0.0}, {1.0, 0.0}})});
  EXPECT_THROW(set.area(false), sgContourDefs::EmptyContour);
  // A wrongly cached partial sum would be returned here instead of the error.
  EXPECT_THROW(set.area(false), sgContourDefs::EmptyContour);
  EXPECT_THROW(set.centerOfMass(false), sgContourDefs::EmptyContour);
  EXPECT_THROW(set.centerOfMass(false), sgContourDefs::EmptyContour);
}

TEST(RegionSetQueries, SelfIntersection) {
  EXPECT_TRUE(sgRegionSet({rectangle(0, 0, 2, 2), rectangle(1, 1, 3, 3)}).isSelfIntersecting());
  EXPECT_FALSE(sgRegionSet({rectangle(0, 0, 4, 4), rectangle(1, 1, 2, 2)}).isSelfIntersecting())
      << "nested regions whose boundaries stay apart do not count";
  EXPECT_TRUE(sgRegionSet({makeRegion({{0, 0}, {4, 4}, {4, 0}, {0, 4}})}).isSelfIntersecting());
  // Only the last pair crosses: every pair must be looked at.
  EXPECT_TRUE(
      sgRegionSet({square(0, 0), square(10, 0), square(20, 0), square(20.5, 0.5)}).isSelfIntersecting());

  sgRegionSet set({square(0.0, 0.0), square(4.0, 0.0)});
  EXPECT_FALSE(set.isSelfIntersecting());
  set.add(square(4.5, 0.5), sgContourDefs::eIgnore);
  EXPECT_TRUE(set.isSelfIntersecting()) << "the cached answer must not survive add";
}

TEST(RegionSetQueries, DistanceIsTheSmallestOverRegions) {
  const sgRegionSet set = twoDisjointSquares();
  EXPECT_DOUBLE_EQ(set.distToPoint(sgVector<2>(2.5, 0.0), false, false, false), 1.0);
  EXPECT_DOUBLE_EQ(set.distToPoint(sgVector<2>(1.5, 0.0), false, false, false), 1.0);
  EXPECT_NEAR(set.distToPoint(sgVector<2>(2.5, 0.0), true, false, false), std::hypot(1.0, 0.5), 1e-12);
  EXPECT_DOUBLE_EQ(set.distToPoint(sgVector<2>(4.0, 0.0), false, false, true), 0.0);
  EXPECT_DOUBLE_EQ(set.distToPoint(sgVector<2>(4.0, 0.0), false, false, false), 0.5);
}

TEST(RegionSetQueries, EqualityComparesRegionsInOrder) {
  const sgRegionSet a = twoDisjointSquares();
  sgRegionSet b({square(0.0, 0.0), square(4.0, 0.0)});
  b.cachedVectorSize(11);
  EXPECT_TRUE(a == b) << "distinct but equal regions, bound not compared";
  EXPECT_FALSE(a == sgRegionSet({square(4.0, 0.0), square(0.0, 0.0)}));
  EXPECT_FALSE(a == sgRegionSet({square(0.0, 0.0)}));
  EXPECT_TRUE(sgRegionSet() == sgRegionSet());
}

TEST(RegionSetQueries, EncloseRectUnderTransforms) {
  const sgRegionSet set = twoDisjointSquares();
  EXPECT_EQ(set.encloseRect(sgXform<2>()), sgRect(sgVector<2>(-0.5, -0.5), sgVector<2>(5.0, 1.0)));
  // Differing only in the last matrix element: a separate key with its own rectangle.
  const sgXform<2> a(sgMatrix<2>(1.0, 0.0, 0.0, 2.0), sgVector<2>());
  const sgXform<2> b(sgMatrix<2>(1.0, 0.0, 0.0, 3.0), sgVector<2>());
  EXPECT_EQ(set.encloseRect(a), sgRect(sgVector<2>(-0.5, -1.0), sgVector<2>(5.0, 2.0)));
  EXPECT_EQ(set.encloseRect(b), sgRect(sgVector<2>(-0.5, -1.5), sgVector<2>(5.0, 3.0)));
  EXPECT_EQ(set.encloseRect(a), sgRect(sgVector<2>(-0.5, -1.0), sgVector<2>(5.0, 2.0)));
}

// Whether a copy of the set answers the transform from its rectangle cache.
bool cachedIn(const sgRegionSet& set, const sgXform<2>& xform) {
  sgRegionSet copy(set);
  NotificationCounter changes(copy);
  copy.encloseRect(xform);
  return changes.take() == 0;
}

TEST(RegionSetQueries, EncloseRectCacheHoldsBoundPlusOneEntries) {
  sgRegionSet set = twoDisjointSquares();
  NotificationCounter changes(set);
  set.encloseRect(scaled(1.0));
  EXPECT_EQ(changes.take(), 1);
  set.encloseRect(scaled(1.0));
  EXPECT_EQ(changes.take(), 0);

  std::vector<sgXform<2>> keys;
  for (int k = 1; k <= 5; ++k) keys.push_back(scaled(static_cast<double>(k)));
  for (const auto& key : keys) set.encloseRect(key);
  int held = 0;
  for (const auto& key : keys) held += cachedIn(set, key) ? 1 : 0;
  EXPECT_EQ(held, 4) << "bound 3: four entries, one of the earlier ones replaced";
  EXPECT_TRUE(cachedIn(set, keys.back())) << "the newest entry is always kept";

  sgRegionSet tiny = twoDisjointSquares();
  tiny.cachedVectorSize(0);
  tiny.encloseRect(keys[0]);
  tiny.encloseRect(keys[1]);
  EXPECT_TRUE(cachedIn(tiny, keys[1]));
  EXPECT_FALSE(cachedIn(tiny, keys[0]));
}

// A region whose drawing slot records its calls.
class RecordedRegion : public sgRegion {
 public:
  RecordedRegion(const std::vector<sgVector<2>>& points, std::vector<const sgRegion*>& log)
      : sgContour(points, true, 0), sgRegion(points), log_(&log) {}
  void draw(sgUITablet& tablet, const sgColor& color, const sgUITablet::Layers& layer) const override {
    log_->push_back(this);
    tablet.drawLineSeg(sgPair<double>(0.0, 0.0), sgPair<double>(1.0, 1.0), color, layer);
  }

 private:
  std::vector<const sgRegion*>* log_;
};

TEST(RegionSetDraw, CallsEachRegionInOrder) {
  std::vector<const sgRegion*> log;
  const sgPtrHandle_const<sgRegion> a(new RecordedRegion(rectanglePoints(0, 0, 1, 1), log));
  const sgPtrHandle_const<sgRegion> b(new RecordedRegion(rectanglePoints(3, 0, 4, 1), log));
  const sgRegionSet set({b, a, b});
  sgRecordingTablet tablet;
  const sgColor red(255, 0, 0);
  set.draw(tablet, red, sgUITablet::eOverlay);
  EXPECT_EQ(log, (std::vector<const sgRegion*>{b.get(), a.get(), b.get()}));
  ASSERT_EQ(tablet.segments().size(), 3u);
  EXPECT_EQ(tablet.segments()[0].color, red);
  EXPECT_EQ(tablet.segments()[0].layer, sgUITablet::eOverlay);

  sgRecordingTablet plainTablet;
  twoDisjointSquares().draw(plainTablet, red, sgUITablet::eGraphics);
  EXPECT_TRUE(plainTablet.segments().empty()) << "a plain region's own drawing slot draws nothing";
}

}  // namespace
