// The edgelet region set: typed regions in step with the set's regions in both directions.
#include <gtest/gtest.h>

#include "edgeletshapes.h"

namespace {

using namespace edgelettest;

sgPtrHandle_const<RegionT> typedRegion(double x0, double y0, double x1, double y1) {
  return sgPtrHandle_const<RegionT>(new RegionT(rectangleEdgelets(x0, y0, x1, y1), 0));
}

const sgRegion* asRegion(const sgPtrHandle_const<RegionT>& handle) { return handle.get(); }

TEST(RegionSetTConstruction, FromConstOrMutableTypedHandlesBothListsHoldTheSameObjects) {
  const TypedHandles typed{typedRegion(0, 0, 1, 1), typedRegion(2, 0, 4, 2)};
  const RegionSetT set(typed);
  ASSERT_EQ(set.regions().size(), 2u);
  ASSERT_EQ(set.regionsT().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(set.regionsT()[i].get(), typed[i].get());
    EXPECT_EQ(set.regions()[i].get(), asRegion(typed[i]));
  }
  EXPECT_DOUBLE_EQ(set.area(false), 5.0);
  const sgPtrHandle<RegionT> mutableHandle(new RegionT(rectangleEdgelets(0, 0, 3, 3), 0));
  const RegionSetT fromMutable(std::vector<sgPtrHandle<RegionT>>{mutableHandle});
  ASSERT_EQ(fromMutable.regionsT().size(), 1u);
  EXPECT_EQ(fromMutable.regionsT()[0].get(), mutableHandle.get());
  EXPECT_EQ(fromMutable.regions()[0].get(), static_cast<const sgRegion*>(mutableHandle.get()));
}

TEST(RegionSetTConsistency, AddRebuildsEveryTypedRegionFromOuterPoints) {
  const TypedHandles typed{typedRegion(0, 0, 1, 1), typedRegion(2, 0, 4, 2)};
  RegionSetT set(typed);
  const sgPtrHandle_const<sgRegion> third(new sgRegion({V(5, 5), V(7, 5), V(7, 8)}));
  set.add(third, sgContourDefs::eIgnore);

  const TypedHandles rebuilt = set.regionsT();
  ASSERT_EQ(rebuilt.size(), 3u);
  EXPECT_NE(rebuilt[0].get(), typed[0].get());
  EXPECT_EQ(set.regions()[0].get(), asRegion(typed[0]));  // the region list is left alone
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(rebuilt[i]->points(), set.regions()[i]->points());
    expectDataFromPoints(rebuilt[i]->data());
    EXPECT_EQ(positions(rebuilt[i]->data()), rebuilt[i]->points());
  }
  EXPECT_EQ(rebuilt[2]->label(), 0u);
  EXPECT_DOUBLE_EQ(set.area(false), 8.0);
}

TEST(RegionSetTConsistency, ReplacingTheRegionsRebuildsTheTypedList) {
  RegionSetT set(TypedHandles{typedRegion(0, 0, 1, 1)});
  set.regions(
      std::vector<sgPtrHandle_const<sgRegion>>{
          sgPtrHandle_const<sgRegion>(new sgRegion({V(0, 0), V(2, 0), V(0, 2)})),
          sgPtrHandle_const<sgRegion>(new sgRegion({V(5, 0), V(6, 0), V(5, 1)}))},
      sgContourDefs::eIgnore);
  ASSERT_EQ(set.regionsT().size(), 2u);
  EXPECT_EQ(set.regionsT()[1]->points(), (Points{V(5, 0), V(6, 0), V(5, 1)}));
  set.regions(std::vector<sgPtrHandle_const<sgRegion>>{}, sgContourDefs::eIgnore);
  EXPECT_TRUE(set.regionsT().empty());
}

TEST(RegionSetTConsistency, EmptyRegionHandleThrowsBadPointer) {
  RegionSetT set(TypedHandles{typedRegion(0, 0, 1, 1)});
  EXPECT_THROW(set.add(sgPtrHandle_const<sgRegion>(), sgContourDefs::eIgnore), sgBadPointer);
  EXPECT_EQ(set.regionsT().size(), 2u);
  EXPECT_EQ(set.regionsT()[0]->points(), positions(rectangleEdgelets(0, 0, 1, 1)));
}

TEST(RegionSetTCopy, CopyAndAssignmentShareTheTypedRegions) {
  const RegionSetT source(TypedHandles{typedRegion(0, 0, 1, 1), typedRegion(3, 3, 4, 5)});
  const RegionSetT copy(source);
  RegionSetT assigned(TypedHandles{typedRegion(9, 9, 10, 10)});
  assigned = source;
  for (const RegionSetT* s : std::vector<const RegionSetT*>{&copy, &assigned}) {
    ASSERT_EQ(s->regionsT().size(), 2u);
    EXPECT_EQ(s->regionsT()[1].get(), source.regionsT()[1].get());
    EXPECT_EQ(s->regions()[1].get(), source.regions()[1].get());
    EXPECT_TRUE(*s == source);
  }
}

TEST(RegionSetTEquality, ComparesRegionsNotTypedRegions) {
  const RegionSetT a(TypedHandles{typedRegion(0, 0, 1, 1)});
  RegionSetT b(TypedHandles{typedRegion(0, 0, 1, 1)});
  EXPECT_TRUE(a == b);
  b.add(sgPtrHandle_const<sgRegion>(new sgRegion({V(5, 5), V(7, 5), V(7, 8)})), sgContourDefs::eIgnore);
  EXPECT_FALSE(a == b);
}

TEST(RegionSetTRefusals, TypedMapAndRegularizeThrowBadWindow) {
  const RegionSetT set(TypedHandles{typedRegion(0, 0, 1, 1)});
  RegionSetT out(TypedHandles{typedRegion(5, 5, 6, 6)});
  EXPECT_THROW(set.mapT(sgXform<2>::I, out), sgPel::BadWindow);
  EXPECT_THROW(set.regularizeT(out), sgPel::BadWindow);
  EXPECT_EQ(out.regionsT()[0]->points(), positions(rectangleEdgelets(5, 5, 6, 6)));
}

}  // namespace
