// Region area, centre of mass and inertia with their caches, the inside test (hand-made cases
// and a randomized comparison with an even-odd test), nearest vertices and points, distances
// and intersections.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "regionshapes.h"

namespace {

using namespace regiontest;

constexpr double kTol = 1e-12;

// The 10 x 10 square with the hole (2,2)-(4,4); the hole stays mutable through `hole`.
struct SquareWithHole {
  sgPtrHandle<sgRegion> hole = shared(rectangle(2, 2, 4, 4));
  sgRegion region{square10()};
  SquareWithHole() { region.holes(Holes{hole}); }
};

TEST(RegionArea, OuterAndWithHoles) {
  const SquareWithHole s;
  EXPECT_NEAR(s.region.area(false), 100.0, kTol);
  EXPECT_NEAR(s.region.area(true), 96.0, kTol);
  const sgRegion plain(square10());
  EXPECT_NEAR(plain.area(true), plain.area(false), kTol);
  EXPECT_NEAR(sgRegion({V(0, 0), V(0, 4), V(4, 4), V(4, 0)}).area(false), 16.0, kTol) << "clockwise";
}

TEST(RegionArea, CachedUntilHolesAreSetAgain) {
  SquareWithHole s;
  EXPECT_NEAR(s.region.area(true), 96.0, kTol);
  // The region cannot see a change made to a shared hole: the cached value stays ...
  s.hole->points(rectangle(2, 2, 5, 5));
  EXPECT_NEAR(s.region.area(true), 96.0, kTol);
  // ... and a copy takes the cache along ...
  const sgRegion copy(s.region);
  EXPECT_NEAR(copy.area(true), 96.0, kTol);
  // ... until the hole list is set again.
  s.region.holes(Holes{s.hole});
  EXPECT_NEAR(s.region.area(true), 91.0, kTol);
}

TEST(RegionArea, HoleWithoutAreaThrowsAndStoresNothing) {
  sgRegion region(square10());
  const auto first = shared(rectangle(2, 2, 4, 4));
  const auto second = shared(rectangle(6, 6, 8, 8));
  region.holes(Holes{first, second});
  second->points({V(6, 6), V(8, 8)});
  EXPECT_THROW(region.area(true), sgContourDefs::EmptyContour);
  EXPECT_THROW(region.centerOfMass(true), sgContourDefs::EmptyContour);
  EXPECT_NEAR(region.area(false), 100.0, kTol);
  second->points(rectangle(6, 6, 7, 7));
  EXPECT_NEAR(region.area(true), 95.0, kTol);  // no partial result was kept
}

TEST(RegionArea, TwoPointsThrowEmptyContourForEveryMeasure) {
  const sgRegion region({V(0, 0), V(3, 1)});
  expectThrowWithMessage<sgContourDefs::EmptyContour>([&] { region.area(false); }, L"");
  EXPECT_NO_THROW(region.length());  // the contour itself needs only two
  EXPECT_THROW(region.centerOfMass(false), sgContourDefs::EmptyContour);
  EXPECT_THROW(region.inertiaMatrix(false), sgContourDefs::EmptyContour);
}

TEST(RegionCenterOfMass, HolesAreTakenOutAndResultCached) {
  SquareWithHole s;
  const V outer = s.region.centerOfMass(false);
  EXPECT_NEAR(outer.x(), 5.0, kTol);
  EXPECT_NEAR(outer.y(), 5.0, kTol);
  const double expected = (5.0 * 100.0 - 3.0 * 4.0) / 96.0;
  const V withHoles = s.region.centerOfMass(true);
  EXPECT_NEAR(withHoles.x(), expected, kTol);
  EXPECT_NEAR(withHoles.y(), expected, kTol);
  s.hole->points(rectangle(6, 6, 8, 8));
  EXPECT_EQ(s.region.centerOfMass(true), withHoles);
  s.region.holes(Holes{s.hole});
  EXPECT_NEAR(s.region.centerOfMass(true).x(), (5.0 * 100.0 - 7.0 * 4.0) / 96.0, kTol);
  const sgRegion triangle({V(0, 0), V(6, 0), V(0, 3)});  // without holes the flag does not matter
  EXPECT_EQ(triangle.centerOfMass(true), triangle.centerOfMass(false));
  EXPECT_NEAR(triangle.centerOfMass(false).x(), 2.0, kTol);
  EXPECT_NEAR(triangle.centerOfMass(false).y(), 1.0, kTol);
}

TEST(RegionInertia, OuterMomentsAndMomentsWithHolesCachedUntilHolesAreSet) {
  SquareWithHole s;
  const sgMatrix<2> m = s.region.inertiaMatrix(false);
  EXPECT_NEAR(m(0, 0), 10.0 * 1000.0 / 12.0, 1e-9);
  EXPECT_NEAR(m(1, 1), 10.0 * 1000.0 / 12.0, 1e-9);
  EXPECT_NEAR(m(0, 1), 0.0, 1e-9);
  // The square less the 2 x 2 hole, both moved to the common centre c = 488/96 (parallel axes).
  const double c = 488.0 / 96.0;
  const double d = 10000.0 / 12.0 + 100 * (5 - c) * (5 - c) - 16.0 / 12.0 - 4 * (3 - c) * (3 - c);
  const double cross = 100 * (5 - c) * (5 - c) - 4 * (3 - c) * (3 - c);
  const sgMatrix<2> h = s.region.inertiaMatrix(true);
  EXPECT_NEAR(h(0, 0), d, 1e-9);
  EXPECT_NEAR(h(1, 1), d, 1e-9);
  EXPECT_NEAR(h(0, 1), cross, 1e-9);
  EXPECT_NEAR(h(1, 0), cross, 1e-9);
  // Cached: a change to the shared hole shows only once the holes are set again.
  s.hole->points(rectangle(6, 6, 8, 8));
  EXPECT_EQ(s.region.inertiaMatrix(true), h);
  s.region.holes(Holes{s.hole});
  EXPECT_NEAR(s.region.inertiaMatrix(true)(0, 1),
              100 * (5 - 472.0 / 96) * (5 - 472.0 / 96) - 4 * (7 - 472.0 / 96) * (7 - 472.0 / 96), 1e-9);
  const sgRegion plain(square10());
  EXPECT_EQ(plain.inertiaMatrix(true), plain.inertiaMatrix(false));
}

TEST(RegionInside, OuterBoundaryCases) {
  const sgRegion triangle({V(0, 0), V(10, 0), V(0, 10)});
  EXPECT_TRUE(triangle.inside(V(2, 2), false));
  EXPECT_FALSE(triangle.inside(V(8, 8), false));             // in the bounding box, outside the boundary
  EXPECT_FALSE(triangle.inside(V(11, 5), false));            // outside the bounding box
  EXPECT_TRUE(triangle.inside(V(10 - 1e-7, 5e-7), false));   // within 1e-6 of a vertex
  EXPECT_FALSE(triangle.inside(V(10 - 1e-5, 5e-5), false));  // farther, and outside
  EXPECT_TRUE(triangle.inside(V(5, 0), false));              // on an edge: that edge is not counted
}

TEST(RegionInside, HolesAndIslands) {
  SquareWithHole s;
  EXPECT_FALSE(s.region.inside(V(3, 3), true));
  EXPECT_TRUE(s.region.inside(V(3, 3), false));
  EXPECT_TRUE(s.region.inside(V(6, 6), true));
  EXPECT_FALSE(s.region.inside(V(12, 3), true));

  sgRegion holeWithIsland(rectangle(2, 2, 4, 4));
  holeWithIsland.holes(Holes{shared(rectangle(2.5, 2.5, 3.5, 3.5))});
  sgRegion region(square10());
  region.holes(Holes{sgPtrHandle_const<sgRegion>(new sgRegion(holeWithIsland))});
  EXPECT_TRUE(region.inside(V(3, 3), true));
  EXPECT_FALSE(region.inside(V(2.2, 2.2), true));
}

TEST(RegionInside, FewerThanTwoPointsThrows) {
  const sgRegion region({V(1, 1)});
  EXPECT_THROW(region.inside(V(1, 1), false), sgContourDefs::EmptyContour);
}

// Star-shaped polygons around the origin with random radii, against a plain even-odd test.
bool evenOddInside(const Points& polygon, const V& p) {
  bool in = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const V& a = polygon[i];
    const V& b = polygon[j];
    if ((a.y() > p.y()) != (b.y() > p.y())) {
      const double x = a.x() + (p.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
      if (p.x() < x) in = !in;
    }
  }
  return in;
}

double distanceToBoundary(const Points& polygon, const V& p) {
  double best = INFINITY;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++)
    best = std::min(best, sgLineSeg(polygon[j], polygon[i]).distToPoint(p));
  return best;
}

Points randomStar(std::mt19937& rng, int vertices) {
  std::uniform_real_distribution<double> radius(1.0, 10.0);
  std::uniform_real_distribution<double> jitter(-0.3, 0.3);
  Points star;
  for (int k = 0; k < vertices; ++k) {
    const double angle = (k + 0.5 + jitter(rng)) * 2.0 * std::numbers::pi / vertices;
    star.push_back(V(radius(rng), sgRadian(angle)) + V(3.0, 3.0));
  }
  return star;
}

// Random points in and around each star, and points close to its vertices.
TEST(RegionInside, AgreesWithEvenOddOnRandomStars) {
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> coordinate(-9.0, 15.0);
  std::uniform_real_distribution<double> offset(-0.05, 0.05);
  int compared = 0;
  int insideCount = 0;
  for (int polygonIndex = 0; polygonIndex < 40; ++polygonIndex) {
    const Points star = randomStar(rng, 3 + polygonIndex % 17);
    const sgRegion region(star);
    Points probes;
    for (int k = 0; k < 100; ++k) probes.push_back(V(coordinate(rng), coordinate(rng)));
    for (const V& vertex : star) probes.push_back(vertex + V(offset(rng), offset(rng)));
    for (const V& p : probes) {
      if (distanceToBoundary(star, p) <= 1e-6) continue;
      const bool expected = evenOddInside(star, p);
      ASSERT_EQ(region.inside(p, false), expected)
          << "polygon " << polygonIndex << " point (" << p.x() << ", " << p.y() << ")";
      ++compared;
      insideCount += expected ? 1 : 0;
    }
  }
  EXPECT_GT(compared, 4200);
  EXPECT_GT(insideCount, 400);  // both answers were exercised
  EXPECT_LT(insideCount, compared - 400);
}

TEST(RegionClosestVertex, HoleVertexStrictlyNearerWins) {
  const SquareWithHole s;
  long holeIndex = 7;
  EXPECT_EQ(s.region.closestVertexIndex(V(2.5, 1.5), true, holeIndex), 0);
  EXPECT_EQ(holeIndex, 0);
  EXPECT_EQ(s.region.closestVertexIndex(V(4.2, 4.5), true, holeIndex), 2);
  EXPECT_EQ(holeIndex, 0);
  EXPECT_EQ(s.region.closestVertexIndex(V(4.2, 4.5), false, holeIndex), 0);
  EXPECT_EQ(holeIndex, -1);
}

TEST(RegionClosestVertex, TiesKeepTheEarlierBoundary) {
  sgRegion region(square10());
  region.holes(Holes{shared(rectangle(2, 2, 4, 4)), shared(rectangle(6, 2, 8, 4))});
  long holeIndex = 7;
  // (0,0) and (2,2) are both sqrt(2) away: the outer boundary wins.
  EXPECT_EQ(region.closestVertexIndex(V(1, 1), true, holeIndex), 0);
  EXPECT_EQ(holeIndex, -1);
  // (4,2) of the first hole and (6,2) of the second are both sqrt(2) away.
  EXPECT_EQ(region.closestVertexIndex(V(5, 3), true, holeIndex), 1);
  EXPECT_EQ(holeIndex, 0);
}

TEST(RegionClosestPoint, VerticesAndEdgesOfOuterAndHoles) {
  const SquareWithHole s;
  EXPECT_EQ(s.region.closestPoint(V(2.5, 1.5), true, true), V(2, 2));
  EXPECT_EQ(s.region.closestPoint(V(2.5, 1.5), true, false), V(0, 0));
  EXPECT_EQ(s.region.closestPoint(V(3, 1.5), false, true), V(3, 2));
  EXPECT_EQ(s.region.closestPoint(V(3, 1.5), false, false), V(3, 0));
  // Equally far from (3,0) on the outer boundary and (3,2) on the hole: the outer one is kept.
  EXPECT_EQ(s.region.closestPoint(V(3, 1), false, true), V(3, 0));
}

TEST(RegionDistance, FillInteriorAndHoles) {
  const SquareWithHole s;
  EXPECT_EQ(s.region.distToPoint(V(6, 6), false, true, true), 0.0);
  EXPECT_NEAR(s.region.distToPoint(V(3, 3), false, true, true), 1.0, kTol);  // in the hole
  EXPECT_EQ(s.region.distToPoint(V(3, 3), false, false, true), 0.0);
  EXPECT_NEAR(s.region.distToPoint(V(12, 5), false, true, true), 2.0, kTol);
  EXPECT_NEAR(s.region.distToPoint(V(5, 5), false, true, false), std::sqrt(2.0), kTol);
  EXPECT_NEAR(s.region.distToPoint(V(5, 5), false, false, false), 5.0, kTol);
  EXPECT_NEAR(s.region.distToPoint(V(5, 4.5), true, true, false), std::hypot(1.0, 0.5), kTol);
}

TEST(RegionIntersections, HolePointsFollowOuterPoints) {
  const SquareWithHole s;
  const sgLineSeg segment(V(-1, 3), V(11, 3));
  expectPointsNear(s.region.intersections(segment, true, false), {V(0, 3), V(10, 3)});
  expectPointsNear(s.region.intersections(segment, true, true), {V(0, 3), V(10, 3), V(2, 3), V(4, 3)});
  // Without end points, the outer edge at the first end and the hole edge at the second are left out.
  const sgLineSeg touching(V(0, 3), V(2, 3));
  expectPointsNear(s.region.intersections(touching, true, true), {V(0, 3), V(2, 3)});
  EXPECT_TRUE(s.region.intersections(touching, false, true).empty());
}

TEST(RegionIntersections, ContourFormGroupsByBoundary) {
  const SquareWithHole s;
  const sgContour line({V(-1, 3), V(11, 3)}, false, 0);
  expectPointsNear(s.region.intersections(line, false), {V(0, 3), V(10, 3)});
  expectPointsNear(s.region.intersections(line, true), {V(0, 3), V(10, 3), V(2, 3), V(4, 3)});
}

}  // namespace
