// Region construction, copying, comparison, closed-ness and the hole list with its checks.
#include <gtest/gtest.h>

#include <cmath>

#include "regionshapes.h"

namespace {

using namespace regiontest;

const Points kBowTie = {V(0, 0), V(2, 2), V(2, 0), V(0, 2)};

TEST(RegionConstruction, DefaultRegionIsEmptyClosedAndHasNoArea) {
  const sgRegion region;
  EXPECT_TRUE(region.points().empty());
  EXPECT_TRUE(region.holes().empty());
  EXPECT_TRUE(region.isClosed());
  EXPECT_THROW(region.area(true), sgContourDefs::EmptyContour);
}

TEST(RegionConstruction, OpenContourBecomesClosedBoundaryWithItsLabel) {
  const sgContour open({V(0, 0), V(10, 0), V(10, 10)}, false, 5);
  const sgRegion region(open, sgContourDefs::eIgnore);
  EXPECT_TRUE(region.isClosed());
  EXPECT_EQ(region.label(), 5u);
  EXPECT_EQ(region.points(), open.points());
  // The closing edge counts in contour queries that ask isClosed().
  EXPECT_NEAR(region.length(), 20.0 + std::sqrt(200.0), 1e-12);
  EXPECT_NEAR(region.area(false), 50.0, 1e-12);
  // A polygon keeps all its vertices, the repeated first one too.
  const sgRegion fromPolygon(sgPolygon({V(0, 0), V(4, 0), V(4, 4), V(0, 0)}, sgPolygon::eEvenOdd),
                             sgContourDefs::eIgnore);
  EXPECT_EQ(fromPolygon.points().size(), 4u);
  EXPECT_EQ(fromPolygon.label(), 0u);
  EXPECT_NEAR(fromPolygon.area(false), 8.0, 1e-12);
}

TEST(RegionConstruction, RepairModesRemoveSelfCrossingAndAnUnknownModeKeepsIt) {
  const sgRegion unknown(kBowTie, static_cast<sgContourDefs::IntersectionMode>(7));
  EXPECT_EQ(unknown.points(), kBowTie);
  EXPECT_TRUE(unknown.isSelfIntersecting());
  for (auto mode : {sgContourDefs::eRegularize, sgContourDefs::eOuterHull}) {
    const sgRegion repaired(kBowTie, mode);
    EXPECT_FALSE(repaired.isSelfIntersecting()) << mode;
    EXPECT_NE(repaired.points(), kBowTie);
  }
}

TEST(RegionClosedness, SettingClosedKeepsCachesAndRefusingOpenChangesNothing) {
  sgRegion region(square10());
  NotificationCounter changes(region);
  region.isClosed(true);
  EXPECT_EQ(changes.count(), 0);  // no cache clear
  EXPECT_THROW(region.isClosed(false), sgContourDefs::RegionCannotBeSetOpen);
  try {
    region.isClosed(false);
  } catch (const sgContourDefs::RegionCannotBeSetOpen& e) {
    EXPECT_TRUE(e.string().empty());
  }
  EXPECT_EQ(changes.count(), 0);
  EXPECT_TRUE(region.isClosed());
  EXPECT_TRUE(region.sgContour::isClosed());  // the stored flag is untouched too
  EXPECT_EQ(region.points(), square10());
}

TEST(RegionClosedness, ContourMutatorsReachRegionCaches) {
  sgRegion region(square10());
  EXPECT_DOUBLE_EQ(region.area(false), 100.0);
  region.points(rectangle(0, 0, 5, 5));
  EXPECT_DOUBLE_EQ(region.area(false), 25.0);
  EXPECT_DOUBLE_EQ(region.area(true), 25.0);
}

TEST(RegionCopy, CopiesShareHolesAndCompareEqual) {
  sgRegion region(square10());
  region.label(3);
  const auto hole = shared(rectangle(2, 2, 4, 4));
  region.holes(Holes{hole});
  const sgRegion copy(region);
  ASSERT_EQ(copy.holes().size(), 1u);
  EXPECT_EQ(copy.holes()[0].get(), hole.get());
  EXPECT_EQ(copy.label(), 3u);
  EXPECT_TRUE(copy == region);

  sgRegion assigned;
  assigned = region;
  ASSERT_EQ(assigned.holes().size(), 1u);
  EXPECT_EQ(assigned.holes()[0].get(), hole.get());
  EXPECT_EQ(hole->refCount(), 4);  // the caller, region, copy and assigned
  EXPECT_EQ(assigned.points(), square10());
  const sgRegion& alias = region;
  region = alias;
  EXPECT_EQ(region.holes().size(), 1u) << "self-assignment keeps everything";
  EXPECT_DOUBLE_EQ(region.area(true), 96.0);
}

TEST(RegionCopy, EqualityComparesOuterContoursOnly) {
  sgRegion withHole(square10());
  withHole.holes(Holes{shared(rectangle(2, 2, 4, 4))});
  sgRegion plain(square10());
  plain.label(9);
  EXPECT_TRUE(withHole == plain);
  EXPECT_FALSE(withHole == sgRegion(rectangle(0, 0, 10, 11)));
  plain.cachedVectorSize(5);
  EXPECT_FALSE(withHole == plain);
}

TEST(RegionHoles, CrossingOrTouchingHoleIsRefusedAndOldHolesStay) {
  sgRegion region(square10());
  const auto inner = shared(rectangle(2, 2, 4, 4));
  region.holes(Holes{inner});
  const auto crossing = shared(rectangle(8, 8, 12, 12));
  expectThrowWithMessage<sgContourDefs::BadParams>([&] { region.holes(Holes{crossing}); },
                                                   L"holes cannot intersect region");
  ASSERT_EQ(region.holes().size(), 1u);
  EXPECT_EQ(region.holes()[0].get(), inner.get());

  // A vertex on the outer boundary is an intersection point too.
  const auto touching = shared({V(0, 5), V(3, 4), V(3, 6)});
  expectThrowWithMessage<sgContourDefs::BadParams>([&] { region.holes(Holes{touching}); },
                                                   L"holes cannot intersect region");
  EXPECT_EQ(region.holes()[0].get(), inner.get());
}

TEST(RegionHoles, SecondFailingHoleLeavesFirstNotAdded) {
  sgRegion region(square10());
  const Holes holes{shared(rectangle(2, 2, 4, 4)), shared(rectangle(-1, 5, 1, 6))};
  EXPECT_THROW(region.holes(holes), sgContourDefs::BadParams);
  EXPECT_TRUE(region.holes().empty());
}

TEST(RegionHoles, HoleOutsideIsAcceptedInOrderAndMutableHandlesShareTheRegions) {
  sgRegion region(square10());
  const auto outside = shared(rectangle(20, 20, 22, 22));
  const auto inside = shared(rectangle(2, 2, 4, 4));
  region.holes(std::vector<sgPtrHandle<sgRegion>>{outside, inside, inside});
  ASSERT_EQ(region.holes().size(), 3u);
  EXPECT_EQ(region.holes()[0].get(), outside.get());
  EXPECT_EQ(region.holes()[2].get(), inside.get());
  EXPECT_EQ(inside->refCount(), 3);
}

TEST(RegionHoles, EmptyHandleThrowsBadPointerAndAnEmptyListClearsHolesEvenWithoutPoints) {
  sgRegion region(square10());
  EXPECT_THROW(region.holes(Holes{sgPtrHandle_const<sgRegion>()}), sgBadPointer);
  EXPECT_THROW(region.holes(std::vector<sgPtrHandle<sgRegion>>{sgPtrHandle<sgRegion>()}), sgBadPointer);
  EXPECT_TRUE(region.holes().empty());
  region.holes(Holes{shared(rectangle(2, 2, 4, 4))});
  region.holes(Holes{});
  EXPECT_TRUE(region.holes().empty());
  sgRegion empty;
  EXPECT_NO_THROW(empty.holes(Holes{}));
  EXPECT_THROW(empty.holes(Holes{shared(rectangle(2, 2, 4, 4))}), sgContourDefs::EmptyContour);
}

TEST(RegionHoles, SettingHolesClearsCachesEvenWhenRefused) {
  sgRegion region(square10());
  NotificationCounter changes(region);
  EXPECT_THROW(region.holes(Holes{shared(rectangle(8, 8, 12, 12))}), sgContourDefs::BadParams);
  EXPECT_GT(changes.count(), 0);
}

TEST(RegionVertices, OneArgumentClosestVertexIgnoresHoles) {
  sgRegion region(square10());
  region.holes(Holes{shared(rectangle(2, 2, 4, 4))});
  EXPECT_EQ(region.closestVertexIndex(V(3.9, 3.9)), 0);
  EXPECT_EQ(region.closestVertexIndex(V(9, 8)), 2);
}

}  // namespace
