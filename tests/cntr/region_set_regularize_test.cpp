// sgRegionSet regularize and outerHull: merging, repair and caching on hand-checked sets.
#include <gtest/gtest.h>

#include <vector>

#include "cntr/regionsetshapes.h"
#include "cntr/regionst.h"

namespace {

using namespace regionsettest;

using Repair = void (sgRegionSet::*)(sgRegionSet&) const;
const Repair kRepairs[] = {&sgRegionSet::regularize, &sgRegionSet::outerHull};

TEST(RegionSetRegularize, CleanSetComesBackUnchanged) {
  const RegionHandles list{square(0.0, 0.0), square(4.0, 0.0), rectangle(-3, -3, 8, 3)};
  // The large rectangle encloses the others without its boundary meeting theirs.
  for (Repair repair : kRepairs) {
    sgRegionSet set(list);
    set.cachedVectorSize(7);
    sgRegionSet result;
    (set.*repair)(result);
    ASSERT_EQ(result.regions().size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(result.regions()[k].get(), list[k].get());
    EXPECT_EQ(result.cachedVectorSize(), 7) << "a clean set gives a plain copy";
  }
}

// The merged regions become one outline around their union: the overlap counts once and lies
// inside, like every other covered point.
void expectOneOutlineAround(const sgRegionSet& result, const sgRect& box,
                            const std::vector<sgVector<2>>& covered, double unionArea) {
  ASSERT_EQ(result.regions().size(), 1u);
  EXPECT_FALSE(result.isSelfIntersecting());
  EXPECT_TRUE(sfRealEq(result.encloseRect(sgXform<2>()).origin(), box.origin(), 1e-12));
  EXPECT_TRUE(sfRealEq(result.encloseRect(sgXform<2>()).size(), box.size(), 1e-12));
  for (const auto& p : covered) EXPECT_TRUE(result.inside(p, false)) << p.x() << ", " << p.y();
  EXPECT_NEAR(result.area(false), unionArea, 1e-12 * unionArea);
}

TEST(RegionSetRegularize, OverlappingSquaresBecomeOneOutline) {
  const sgRect box(sgVector<2>(0, 0), sgVector<2>(3, 3));
  for (Repair repair : kRepairs) {
    sgRegionSet set({rectangle(0, 0, 2, 2), rectangle(1, 1, 3, 3)});
    set.cachedVectorSize(7);
    sgRegionSet result;
    (set.*repair)(result);
    expectOneOutlineAround(result, box, {{0.5, 0.5}, {2.5, 2.5}, {1.5, 1.5}, {2.5, 1.5}}, 7.0);
    EXPECT_FALSE(result.inside(sgVector<2>(2.5, 0.5), false));
    EXPECT_EQ(result.cachedVectorSize(), 3) << "an engine result is a fresh set";
    EXPECT_EQ(set.regions().size(), 2u) << "the set itself is not changed";
  }
  // A square and the same square run the other way: their splice winds around nothing.
  sgRegionSet twice({rectangle(0, 0, 2, 2), makeRegion({{0, 0}, {0, 2}, {2, 2}, {2, 0}})});
  sgRegionSet once;
  twice.regularize(once);
  expectOneOutlineAround(once, sgRect(sgVector<2>(0, 0), sgVector<2>(2, 2)), {{1, 1}}, 4.0);
  // Three squares, each overlapping the other two, and all three in one corner.
  sgRegionSet three({rectangle(0, 0, 2, 2), rectangle(1.5, 0.5, 3.5, 2.5), rectangle(0.5, 1.5, 2.5, 3.5)});
  sgRegionSet result;
  three.regularize(result);
  expectOneOutlineAround(result, sgRect(sgVector<2>(0, 0), sgVector<2>(3.5, 3.5)), {{1.75, 1.75}}, 9.75);
}

TEST(RegionSetRegularize, MergedRegionTakesTheFirstSlotAndTheLastMovesIn) {
  const auto middle = square(10.0, 0.0);
  const sgRegionSet set({rectangle(0, 0, 2, 2), middle, rectangle(1, 1, 3, 3)});
  sgRegionSet result;
  set.regularize(result);
  ASSERT_EQ(result.regions().size(), 2u);
  EXPECT_EQ(result.regions()[0]->encloseRect(sgXform<2>()), sgRect(sgVector<2>(0, 0), sgVector<2>(3, 3)));
  EXPECT_TRUE(*result.regions()[1] == *middle);
  EXPECT_FALSE(result.isSelfIntersecting());
}

// After a merge of slots 0 and 1, the region moved from the end into slot 1 overlaps only the
// part of the merged region that came from slot 1; it must still be merged. In the order
// (a, c, b) the merge of a and b happens after c was compared with a, so only a second pass
// finds that c meets the merged region.
TEST(RegionSetRegularize, RegionMovedIntoAMergedSlotIsMergedToo) {
  const auto a = rectangle(0, 0, 2, 2);
  const auto b = rectangle(1, 0.5, 3, 2.5);
  const auto c = rectangle(2.5, 1, 4, 1.5);
  ASSERT_TRUE(a->intersections(*c, false).empty());
  const sgRect box(sgVector<2>(0, 0), sgVector<2>(4, 2.5));
  for (const RegionHandles& order :
       {RegionHandles{a, b, c}, RegionHandles{a, c, b}, RegionHandles{c, a, b}}) {
    for (Repair repair : kRepairs) {
      sgRegionSet result;
      (sgRegionSet(order).*repair)(result);
      expectOneOutlineAround(result, box, {{0.5, 0.5}, {1.5, 1.5}, {2.5, 2.25}, {3.5, 1.25}}, 7.0);
    }
  }
}

TEST(RegionSetRegularize, SelfCrossingRegionIsRepairedEvenAlone) {
  const sgRegionSet set({makeRegion({{0, 0}, {4, 4}, {4, 0}, {0, 4}})});
  sgRegionSet result;
  set.regularize(result);
  ASSERT_EQ(result.regions().size(), 1u);
  EXPECT_NEAR(result.area(false), 8.0, 1e-9);
}

TEST(RegionSetRegularize, ConstructionModesHoldTheRepairedRegions) {
  const RegionHandles list{rectangle(0, 0, 2, 2), rectangle(1, 1, 3, 3)};
  for (auto mode : {sgContourDefs::eRegularize, sgContourDefs::eOuterHull}) {
    const sgRegionSet set(list, mode);
    sgRegionSet expected;
    (sgRegionSet(list).*(mode == sgContourDefs::eRegularize ? kRepairs[0] : kRepairs[1]))(expected);
    ASSERT_EQ(set.regions().size(), 1u);
    EXPECT_TRUE(set == expected);
    EXPECT_FALSE(set.isSelfIntersecting());
  }
  sgRegionSet grown({rectangle(0, 0, 2, 2)});
  grown.add(rectangle(1, 1, 3, 3), sgContourDefs::eRegularize);
  ASSERT_EQ(grown.regions().size(), 1u);
  EXPECT_FALSE(grown.isSelfIntersecting());
}

TEST(RegionSetRegularize, ResultIsCachedSharedWithCopiesAndDroppedOnChange) {
  sgRegionSet set({rectangle(0, 0, 2, 2), rectangle(1, 1, 3, 3)});
  sgRegionSet first;
  sgRegionSet second;
  set.regularize(first);
  set.regularize(second);
  ASSERT_EQ(first.regions().size(), 1u);
  EXPECT_EQ(first.regions()[0].get(), second.regions()[0].get()) << "the engine ran twice";

  const sgRegionSet copy(set);
  sgRegionSet fromCopy;
  copy.regularize(fromCopy);
  EXPECT_EQ(fromCopy.regions()[0].get(), first.regions()[0].get()) << "copies share the cached set";

  sgRegionSet hull;
  set.outerHull(hull);
  EXPECT_NE(hull.regions()[0].get(), first.regions()[0].get()) << "each repair has its own cache";

  set.add(square(10.0, 0.0), sgContourDefs::eIgnore);
  sgRegionSet after;
  set.regularize(after);
  ASSERT_EQ(after.regions().size(), 2u);
  EXPECT_NE(after.regions()[0].get(), first.regions()[0].get());
}

TEST(RegionSetRegularize, ResultMayBeTheSetItself) {
  const RegionHandles list{rectangle(0, 0, 2, 2), rectangle(1, 1, 3, 3)};
  for (Repair repair : kRepairs) {
    sgRegionSet set(list);
    EXPECT_DOUBLE_EQ(set.area(false), 8.0);
    (set.*repair)(set);
    sgRegionSet expected;
    (sgRegionSet(list).*repair)(expected);
    ASSERT_EQ(set.regions().size(), 1u);
    EXPECT_TRUE(set == expected);
    EXPECT_DOUBLE_EQ(set.area(false), expected.area(false)) << "stale area of the unmerged set";
    (set.*repair)(set);
    EXPECT_EQ(set.regions().size(), 1u);
  }
}

TEST(RegionSetRegularize, FailureLeavesTheResultUntouched) {
  const sgRegionSet broken({rectangle(0, 0, 2, 2), sgPtrHandle_const<sgRegion>()});
  sgRegionSet result({square(7.0, 7.0)});
  EXPECT_THROW(broken.regularize(result), sgBadPointer);
  ASSERT_EQ(result.regions().size(), 1u);
  EXPECT_NEAR(result.area(false), 1.0, 1e-12);
}

}  // namespace
