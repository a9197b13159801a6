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

// Self-crossing, and every edge but the closing one fails the start test: the first and last
// open edges are crossed at (2, 2), the two edges between them lie on one line.
Points onlyClosingEdgeOutside() { return {V(0, 0), V(4, 4), V(4, 2), V(4, 0), V(0, 4)}; }

// Vertices of the lemniscate x = cos t, y = sin t cos t, symmetric so that the edges through the
// middle cross exactly at the origin.
Points sampledLemniscate(std::size_t n) {
  Points out;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = 2 * std::numbers::pi * (static_cast<double>(i) + 0.5) / static_cast<double>(n);
    out.push_back(V(std::cos(t), std::sin(t) * std::cos(t)));
  }
  return out;
}

double polygonArea(const Points& points) {
  double twice = 0.0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const V& a = points[i];
    const V& b = points[(i + 1) % points.size()];
    twice += a.x() * b.y() - a.y() * b.x();
  }
  return std::abs(twice) / 2.0;
}

bool containsPoint(const Points& points, const V& p) {
  return std::find(points.begin(), points.end(), p) != points.end();
}

// ---- regularize and outerHull: known outlines --------------------------------------------------

TEST(RegionRegularize, BowTieIsTracedThroughItsCrossingPointAndItsOuterHullTouchesThere) {
  const sgRegion bow(bowTie());
  sgRegion result;
  bow.regularize(result);
  // The walk starts on the edge (4,4)->(4,0), turns at (2,2) onto the other diagonal backwards,
  // and turns there again on the way back.
  EXPECT_EQ(result.points(), (Points{V(4, 0), V(2, 2), V(0, 0), V(0, 4), V(2, 2), V(4, 4)}));
  EXPECT_FALSE(result.isSelfIntersecting());
  EXPECT_DOUBLE_EQ(result.area(false), 8.0);
  // The hull cuts at (2,2) into the left and right triangles, neither inside the other, and joins
  // them again there.
  bow.outerHull(result);
  EXPECT_EQ(result.points(), (Points{V(2, 2), V(0, 0), V(0, 4), V(2, 2), V(4, 4), V(4, 0)}));
  EXPECT_FALSE(result.isSelfIntersecting());
  EXPECT_DOUBLE_EQ(result.area(false), 8.0);
}

TEST(RegionRegularize, FigureEightOuterHullKeepsBothLobes) {
  const sgRegion eight(figureEight());
  sgRegion hull;
  eight.outerHull(hull);
  EXPECT_FALSE(hull.isSelfIntersecting());
  EXPECT_DOUBLE_EQ(hull.area(false), 24.0);
  EXPECT_EQ(std::count(hull.points().begin(), hull.points().end(), V(4, 2)), 2);
  for (const V& p : figureEight()) EXPECT_TRUE(containsPoint(hull.points(), p)) << p.x() << "," << p.y();
}

TEST(RegionRegularize, InnerLoopIsKeptReversedByRegularizeAndDroppedByOuterHull) {
  const sgRegion region(squareWithInnerLoop());
  sgRegion regularized;
  region.regularize(regularized);
  // The trace runs around the inner loop against its sense: the outline touches itself at (3,4)
  // and the inner loop's area counts as cut out.
  EXPECT_EQ(regularized.points(), (Points{V(10, 0), V(10, 10), V(0, 10), V(0, 4), V(3, 4), V(3, 7), V(6, 7),
                                          V(6, 4), V(3, 4), V(3, 2), V(0, 0)}));
  EXPECT_FALSE(regularized.isSelfIntersecting());
  EXPECT_DOUBLE_EQ(regularized.area(false), 82.0);

  sgRegion hull;
  region.outerHull(hull);
  EXPECT_EQ(hull.points(), (Points{V(3, 4), V(3, 2), V(0, 0), V(10, 0), V(10, 10), V(0, 10), V(0, 4)}));
  EXPECT_DOUBLE_EQ(hull.area(false), 91.0);
}

TEST(RegionRegularize, LongFigureEightIsTracedAroundBothLobes) {
  // A quarter of the way round, t passes pi / 2 and the outline passes the origin to the left lobe.
  const std::size_t n = 1600;
  const Points eight = sampledLemniscate(n);
  Points left{V(0, 0)};
  Points right{V(0, 0)};
  for (std::size_t i = 0; i < n; ++i) (i < n / 2 ? left : right).push_back(eight[(i + n / 4) % n]);
  sgRegion hull;
  sgRegion(eight).outerHull(hull);
  EXPECT_FALSE(hull.isSelfIntersecting());
  EXPECT_NEAR(hull.area(false), polygonArea(right) + polygonArea(left), 1e-12);
  EXPECT_EQ(hull.points().size(), eight.size() + 2);
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

// ---- failures ---------------------------------------------------------------------------------------

TEST(RegionRegularize, OnlyTheClosingEdgeOutsideIsAnInvalidContour) {
  const sgRegion region(onlyClosingEdgeOutside());
  ASSERT_TRUE(region.isSelfIntersecting());
  sgRegion result(rectangle(0, 0, 1, 1));
  for (int attempt = 0; attempt < 2; ++attempt) {  // a failure is not cached
    expectThrowWithMessage<sgContourDefs::BadParams>([&] { region.regularize(result); }, L"invalid contour");
    expectThrowWithMessage<sgContourDefs::BadParams>([&] { region.outerHull(result); }, L"invalid contour");
  }
  EXPECT_EQ(result.points(), rectangle(0, 0, 1, 1));
  EXPECT_THROW(sgRegion(onlyClosingEdgeOutside(), sgContourDefs::eRegularize), sgContourDefs::BadParams);

  // The same boundary, started one vertex later, makes the outside edge an open one.
  Points rotated = onlyClosingEdgeOutside();
  std::rotate(rotated.begin(), rotated.end() - 1, rotated.end());
  sgRegion traced;
  sgRegion(rotated).regularize(traced);
  EXPECT_FALSE(traced.isSelfIntersecting());
}

TEST(RegionRegularize, TraceThatCannotReturnEndsWithBadParams) {
  // The edge (4,0)->(2,0) runs back along (2,0)->(4,0) and through the vertex (3,0): from the
  // start edge (3,1)->(3,0) the walk circles the triangle (3,0), (2.25,0.25), (2,0) for ever.
  const Points retraced{V(2, 0), V(4, 0), V(2, 0), V(3, 1), V(3, 0), V(0, 1), V(4, 3)};
  sgRegion result(rectangle(0, 0, 1, 1));
  const std::wstring message = L"regularization failed: the outline trace does not return to its start";
  expectThrowWithMessage<sgContourDefs::BadParams>([&] { sgRegion(retraced).regularize(result); }, message);
  expectThrowWithMessage<sgContourDefs::BadParams>([&] { sgRegion(retraced).outerHull(result); }, message);
  EXPECT_EQ(result.points(), rectangle(0, 0, 1, 1));
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
