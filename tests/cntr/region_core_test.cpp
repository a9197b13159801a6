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

// Hole lists against the 10 x 10 square: given as points (either orientation), expected to be
// accepted or refused, and what the case catches.
struct HoleCase {
  const char* what;
  std::vector<Points> holes;
  bool accepted;
};

const HoleCase kHoleCases[] = {
    {"inside, apart from everything", {rectangle(2, 2, 4, 4)}, true},
    {"clockwise hole", {{V(2, 2), V(2, 4), V(4, 4), V(4, 2)}}, true},
    {"touching the outline at a vertex", {{V(0, 5), V(3, 4), V(3, 6)}}, true},
    {"touching at the outline's corner", {{V(0, 0), V(2, 1), V(1, 2)}}, true},
    {"sharing part of an edge", {rectangle(0, 2, 3, 4)}, true},
    {"sharing a corner and two edges", {rectangle(0, 0, 3, 3)}, true},
    {"the whole square", {square10()}, true},
    {"two holes touching at a vertex", {rectangle(2, 2, 4, 4), rectangle(4, 4, 6, 6)}, true},
    {"two holes sharing an edge", {rectangle(2, 2, 4, 4), rectangle(4, 2, 6, 4)}, true},
    {"crossing the outline", {rectangle(8, 8, 12, 12)}, false},
    {"wholly outside", {rectangle(20, 20, 22, 22)}, false},
    {"outside, touching along an edge", {rectangle(10, 2, 12, 4)}, false},
    {"outside, touching at a vertex", {{V(10, 5), V(12, 4), V(12, 6)}}, false},
    {"inside but for one vertex beyond an edge", {{V(5, 5), V(7, 5), V(10.5, 6)}}, false},
    {"vertex on the outline, edge running outside", {{V(5, 10), V(6, 11), V(4, 9)}}, false},
    {"two overlapping holes", {rectangle(2, 2, 5, 5), rectangle(4, 4, 6, 6)}, false},
    {"a hole inside another", {rectangle(2, 2, 6, 6), rectangle(3, 3, 4, 4)}, false},
    {"the same hole twice", {rectangle(2, 2, 4, 4), rectangle(2, 2, 4, 4)}, false},
    {"two holes overlapping along a shared edge", {rectangle(2, 2, 4, 4), rectangle(3, 2, 5, 4)}, false},
};

TEST(RegionHoles, InsideHolesMayTouchOthersAreRefusedAndOldHolesStay) {
  for (const HoleCase& c : kHoleCases) {
    sgRegion region(square10());
    const auto old = shared(rectangle(7, 1, 8, 2));
    region.holes(Holes{old});
    Holes holes;
    for (const Points& p : c.holes) holes.push_back(shared(p));
    if (c.accepted) {
      EXPECT_NO_THROW(region.holes(holes)) << c.what;
      EXPECT_EQ(region.holes().size(), c.holes.size()) << c.what;
    } else {
      expectThrowWithMessage<sgContourDefs::BadParams>([&] { region.holes(holes); },
                                                       L"holes cannot intersect region");
      ASSERT_EQ(region.holes().size(), 1u) << c.what;
      EXPECT_EQ(region.holes()[0].get(), old.get()) << c.what;
    }
  }
}

TEST(RegionHoles, HoleEdgeThroughAReflexCornerMustStayInside) {
  // The L's reflex corner (1, 1) lies inside the hole's edge: no edge crosses another, only the
  // sides of the corner tell whether the hole leaves the L.
  sgRegion region({V(0, 0), V(4, 0), V(4, 1), V(1, 1), V(1, 3), V(0, 3)});
  EXPECT_NO_THROW(region.holes(Holes{shared({V(0.5, 1.5), V(0.2, 0.2), V(1.5, 0.5)})}));
  EXPECT_THROW(region.holes(Holes{shared({V(0.5, 0.5), V(1.5, 1.5), V(0.2, 0.8)})}),
               sgContourDefs::BadParams);
  // A hole vertex on the corner, the hole on either side.
  EXPECT_NO_THROW(region.holes(Holes{shared({V(1, 1), V(0.5, 2), V(0.5, 0.5)})}));
  EXPECT_THROW(region.holes(Holes{shared({V(1, 1), V(2, 2), V(1.5, 1.2)})}), sgContourDefs::BadParams);
}

TEST(RegionHoles, TouchesAreDecidedExactlyAtAnyScale) {
  // A hole's vertex on a tiny outline's edge far from the origin, or one rounding step beyond.
  const double o = 1e6;
  const double tiny = 1e-9;
  sgRegion region({V(o, o), V(o + tiny, o), V(o + tiny, o + tiny), V(o, o + tiny)});
  const double step = std::nextafter(o + tiny, 2 * o) - (o + tiny);
  const V mid(o + tiny / 2, o + tiny / 2);
  EXPECT_NO_THROW(region.holes(Holes{shared({mid, V(o + tiny, o + tiny / 4), mid + V(0, tiny / 4)})}));
  EXPECT_THROW(region.holes(Holes{shared({mid, V(o + tiny + step, o + tiny / 4), mid + V(0, tiny / 4)})}),
               sgContourDefs::BadParams);
}

TEST(RegionHoles, SecondFailingHoleLeavesFirstNotAdded) {
  sgRegion region(square10());
  const Holes holes{shared(rectangle(2, 2, 4, 4)), shared(rectangle(-1, 5, 1, 6))};
  EXPECT_THROW(region.holes(holes), sgContourDefs::BadParams);
  EXPECT_TRUE(region.holes().empty());
}

TEST(RegionHoles, HolesAreKeptInOrderAndMutableHandlesShareTheRegions) {
  sgRegion region(square10());
  const auto first = shared(rectangle(6, 6, 8, 8));
  const auto inside = shared(rectangle(2, 2, 4, 4));
  region.holes(std::vector<sgPtrHandle<sgRegion>>{first, inside});
  ASSERT_EQ(region.holes().size(), 2u);
  EXPECT_EQ(region.holes()[0].get(), first.get());
  EXPECT_EQ(region.holes()[1].get(), inside.get());
  EXPECT_EQ(inside->refCount(), 2);
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
