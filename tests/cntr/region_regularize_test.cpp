// Region regularization, outer hull and splicing on hand-checked boundaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "cntr/regionshapes.h"

/// Reaches the private splice and the cached repaired regions.
class sgRegionTestAccess {
 public:
  static void splice(const sgRegion& region, const sgRegion& other, sgRegion& result) {
    region.splice(other, result);
  }
  static const sgRegion* regularizedCache(const sgRegion& region) { return region.regularizedCache_.get(); }
  static const sgRegion* outerHullCache(const sgRegion& region) { return region.outerHullCache_.get(); }
};

namespace {

using regiontest::expectThrowWithMessage;
using regiontest::Points;
using regiontest::rectangle;
using regiontest::shared;
using regiontest::V;

Points bowTie() { return {V(0, 0), V(4, 4), V(4, 0), V(0, 4)}; }

// Two lobes crossing at (4, 2), in the middle of two edges; each lobe has area 12.
Points figureEight() { return {V(0, 0), V(2, 0), V(6, 4), V(8, 4), V(8, 0), V(6, 0), V(2, 4), V(0, 4)}; }

// A 10 x 10 square with a notch (area 9) at its lower left, whose last edges run into the square
// and make a 3 x 3 loop inside it, crossing the notch edge at (3, 4).
Points squareWithInnerLoop() {
  return {V(0, 0), V(10, 0), V(10, 10), V(0, 10), V(0, 4), V(6, 4), V(6, 7), V(3, 7), V(3, 2)};
}

// The regular pentagram of circumradius 10, its points visited every second one.
Points pentagram() {
  Points points;
  for (int k = 0; k < 5; ++k)
    points.push_back(V(std::sin(4 * k * std::numbers::pi / 5), std::cos(4 * k * std::numbers::pi / 5)) *
                     10.0);
  return points;
}
// Ten triangles between the centre, a point and a notch; the notches lie at
// 10 cos(2 pi / 5) / cos(pi / 5) from the centre.
const double kPentagramArea = 50.0 * std::cos(2 * std::numbers::pi / 5) / std::cos(std::numbers::pi / 5) *
                              10.0 * std::sin(std::numbers::pi / 5);

// ---- regularize and outerHull: known outlines --------------------------------------------------

struct OutlineCase {
  const char* catches;
  Points outline;
  double area;         // what the outer boundary encloses: both repairs give it
  Points regularized;  // the traced outline, where it is pinned
};

const OutlineCase kOutlines[] = {
    {"bow tie: the walk turns outward at the crossing, through (2,2) twice",
     bowTie(),
     8.0,
     {V(2, 2), V(4, 0), V(4, 4), V(2, 2), V(0, 4), V(0, 0)}},
    {"figure eight: both lobes kept", figureEight(), 24.0, {}},
    {"inner loop of the same sense: the outer boundary skips it",
     squareWithInnerLoop(),
     91.0,
     {V(10, 0), V(10, 10), V(0, 10), V(0, 4), V(3, 4), V(3, 2), V(0, 0)}},
    {"bow tie crossing at a repeated vertex",
     {V(0, 0), V(20, 15), V(40, 30), V(40, 0), V(20, 15), V(0, 30)},
     600.0,
     {V(20, 15), V(40, 0), V(40, 30), V(20, 15), V(0, 30), V(0, 0)}},
    {"outline winding twice round its middle: the inner round lies inside",
     {V(4, 0), V(0, 4), V(-4, 0), V(0, -4), V(1, 1), V(-1, 1), V(-1, -1), V(1, -1)},
     27.4,
     {}},
    {"pentagram: every crossing has strands of the same sense", pentagram(), kPentagramArea, {}},
    {"squares sharing a side, run twice the same way (collinear overlap)",
     {V(0, 0), V(2, 0), V(2, 2), V(4, 2), V(4, 0), V(2, 0), V(2, 2), V(0, 2)},
     8.0,
     {}},
    {"spike back along an edge through a vertex",
     {V(2, 0), V(4, 0), V(2, 0), V(3, 1), V(3, 0), V(0, 1), V(4, 3)},
     4.1477272727272725,
     {}},
};

TEST(RegionRegularize, KnownOutlinesGiveTheirOuterBoundary) {
  for (const OutlineCase& c : kOutlines) {
    SCOPED_TRACE(c.catches);
    const sgRegion region(c.outline);
    ASSERT_TRUE(region.isSelfIntersecting());
    sgRegion regularized, hull;
    region.regularize(regularized);
    region.outerHull(hull);
    if (!c.regularized.empty()) {
      EXPECT_EQ(regularized.points(), c.regularized);
    }
    for (const sgRegion* result : {&regularized, &hull}) {
      EXPECT_FALSE(result->isSelfIntersecting());
      EXPECT_NEAR(result->area(false), c.area, 1e-12 * c.area);
    }
  }
}

// Whether strands cross where an outline passes a point twice; touching is no crossing.
struct VertexCase {
  const char* catches;
  Points outline;
  bool crossing;
};

const VertexCase kVertexPasses[] = {
    {"two triangles of one sense touching at a vertex",
     {V(0, 0), V(2, 1), V(0, 2), V(0, 0), V(-2, -1), V(0, -2)},
     false},
    {"two triangles of opposite sense through one vertex",
     {V(0, 0), V(2, 1), V(0, 2), V(0, 0), V(0, -2), V(-2, -1)},
     true},
    {"loop inside touching the outline, run the other way (a hole)",
     {V(0, 0), V(4, 0), V(4, 4), V(2, 4), V(3, 3), V(1, 3), V(2, 4), V(0, 4)},
     false},
    {"loop inside touching the outline, run the same way",
     {V(0, 0), V(4, 0), V(4, 4), V(2, 4), V(1, 3), V(3, 3), V(2, 4), V(0, 4)},
     true},
    {"triangle run twice", {V(0, 0), V(1, 0), V(0, 1), V(0, 0), V(1, 0), V(0, 1)}, true},
    {"spike out and back from a vertex", {V(0, 0), V(2, 0), V(3, -1), V(2, 0), V(2, 2), V(0, 2)}, false},
    {"hole reached through a channel run both ways",
     {V(0, 0), V(6, 0), V(6, 6), V(0, 6), V(0, 3), V(2, 3), V(2, 4), V(4, 4), V(4, 2), V(2, 2), V(2, 3),
      V(0, 3)},
     false},
};

TEST(RegionRegularize, StrandsThroughOneVertexCrossOnlyWhenTheyInterleave) {
  for (const VertexCase& c : kVertexPasses) {
    EXPECT_EQ(sgContour(c.outline, true, 0).isSelfIntersecting(), c.crossing) << c.catches;
    // An outline that only touches itself is its own repair.
    if (c.crossing) continue;
    sgRegion regularized;
    sgRegion(c.outline).regularize(regularized);
    EXPECT_EQ(regularized.points(), c.outline) << c.catches;
  }
}

TEST(RegionRegularize, CrossingOutlineWithANonFiniteVertexIsAnInvalidContour) {
  for (const double bad : {std::nan(""), HUGE_VAL}) {
    const sgRegion region(Points{V(0, 0), V(2, 2), V(2, 0), V(0, 2), V(bad, 1)});
    sgRegion result(rectangle(0, 0, 1, 1));
    for (int attempt = 0; attempt < 2; ++attempt) {  // a failure is not cached
      expectThrowWithMessage<sgContourDefs::BadParams>([&] { region.regularize(result); }, L"invalid contour");
      expectThrowWithMessage<sgContourDefs::BadParams>([&] { region.outerHull(result); }, L"invalid contour");
    }
    EXPECT_EQ(result.points(), rectangle(0, 0, 1, 1));
  }
}

// ---- what the result carries --------------------------------------------------------------------

TEST(RegionRegularize, BoundaryThatDoesNotCrossItselfGivesACopyWithHoles) {
  sgRegion region(regiontest::square10());
  region.label(7);
  region.holes(std::vector<sgPtrHandle<sgRegion>>{shared(rectangle(2, 2, 4, 4))});
  sgRegion regularized;
  sgRegion hull;
  region.regularize(regularized);
  region.outerHull(hull);
  for (const sgRegion* result : {&regularized, &hull}) {
    EXPECT_EQ(result->points(), region.points());
    EXPECT_EQ(result->label(), 7u);
    ASSERT_EQ(result->holes().size(), 1u);
    EXPECT_EQ(result->holes()[0].get(), region.holes()[0].get());
  }
  EXPECT_EQ(sgRegionTestAccess::regularizedCache(region), nullptr);
}

TEST(RegionRegularize, SelfCrossingResultHasNoHolesAndLabelZero) {
  sgRegion region(Points{V(0, 0), V(8, 8), V(8, 0), V(0, 8)});
  region.label(5);
  region.holes(std::vector<sgPtrHandle<sgRegion>>{shared(rectangle(6, 3, 7, 4))});
  sgRegion regularized;
  sgRegion hull;
  region.regularize(regularized);
  region.outerHull(hull);
  for (const sgRegion* result : {&regularized, &hull}) {
    EXPECT_TRUE(result->holes().empty());
    EXPECT_EQ(result->label(), 0u);
    EXPECT_DOUBLE_EQ(result->area(false), 32.0);
  }
}

TEST(RegionRegularize, ResultMayBeTheRegionItself) {
  sgRegion region(bowTie());
  sgRegion expected;
  region.regularize(expected);
  region.regularize(region);
  EXPECT_EQ(region.points(), expected.points());

  sgRegion eight(figureEight());
  sgRegion expectedHull;
  eight.outerHull(expectedHull);
  eight.outerHull(eight);
  EXPECT_EQ(eight.points(), expectedHull.points());
}

TEST(RegionRegularize, ConstructionModesEqualTheCallsOnAnIgnoredRegion) {
  for (const Points& points : {bowTie(), figureEight(), squareWithInnerLoop()}) {
    const sgRegion plain(points, sgContourDefs::eIgnore);
    EXPECT_EQ(plain.points(), points);
    sgRegion hull;
    sgRegion regularized;
    plain.outerHull(hull);
    plain.regularize(regularized);
    EXPECT_EQ(sgRegion(points, sgContourDefs::eOuterHull).points(), hull.points());
    EXPECT_EQ(sgRegion(points, sgContourDefs::eRegularize).points(), regularized.points());
  }
}

// ---- caching --------------------------------------------------------------------------------------

TEST(RegionRegularize, SecondCallIsAnsweredFromTheCache) {
  sgRegion region(bowTie());
  sgRegion first;
  sgRegion second;
  region.regularize(first);
  const sgRegion* cached = sgRegionTestAccess::regularizedCache(region);
  ASSERT_NE(cached, nullptr);
  region.regularize(second);
  EXPECT_EQ(sgRegionTestAccess::regularizedCache(region), cached);
  EXPECT_EQ(first.points(), second.points());

  // Copies share the cached region; the two repaired forms have their own.
  const sgRegion copy(region);
  sgRegion fromCopy;
  copy.regularize(fromCopy);
  EXPECT_EQ(sgRegionTestAccess::regularizedCache(copy), cached);
  region.outerHull(second);
  EXPECT_NE(sgRegionTestAccess::outerHullCache(region), cached);

  // A change of the boundary computes anew.
  region.points(figureEight());
  region.regularize(second);
  EXPECT_NE(sgRegionTestAccess::regularizedCache(region), cached);
  EXPECT_DOUBLE_EQ(second.area(false), 24.0);
}

// ---- splice ---------------------------------------------------------------------------------------

TEST(RegionSplice, CrossingSquaresAreJoinedAtTheirFirstCrossing) {
  const sgRegion first(rectangle(0, 0, 4, 4));
  const sgRegion second(rectangle(2, 2, 6, 6));
  sgRegion spliced;
  sgRegionTestAccess::splice(first, second, spliced);
  // Edge 2 of the first square, (4,0)->(4,4), is the first to meet the second square: at (4,2), on
  // its edge 1, (2,2)->(6,2).
  const Points expected{V(4, 2), V(4, 4), V(0, 4), V(0, 0), V(4, 0),
                        V(4, 2), V(6, 2), V(6, 6), V(2, 6), V(2, 2)};
  EXPECT_EQ(spliced.points(), expected);
  EXPECT_EQ(spliced.label(), 0u);

  sgRegion intoItself(rectangle(0, 0, 4, 4));
  sgRegionTestAccess::splice(intoItself, second, intoItself);
  EXPECT_EQ(intoItself.points(), expected);
}

TEST(RegionSplice, DisjointRegionsAreRefused) {
  const sgRegion first(rectangle(0, 0, 4, 4));
  sgRegion result(rectangle(0, 0, 1, 1));
  for (const Points& other : {rectangle(5, 5, 6, 6), rectangle(1, 1, 2, 2)}) {  // apart, or nested
    expectThrowWithMessage<sgContourDefs::BadParams>(
        [&] { sgRegionTestAccess::splice(first, sgRegion(other), result); },
        L"spliced regions do not intersect");
  }
  EXPECT_EQ(result.points(), rectangle(0, 0, 1, 1));
}

}  // namespace
