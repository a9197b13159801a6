// The region's inside test against Boost.Geometry's within, on a few thousand random star-shaped
// regions of both orientations, with and without holes, at scales from 1e-2 to 1e2 and centres up
// to 1e3 from the origin.
//
// Tolerance: points are compared only farther than 1e-5 from every boundary (outer and holes).
// The inside test counts a point within 1e-6 of an outer vertex as inside, and both computations
// round the side of a point against an edge; beyond 1e-5 neither can matter at these scales
// (rounding of coordinates of size 1e3 is about 1e-13), so every answer must agree exactly.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "cntr/region.h"

namespace {

namespace bg = boost::geometry;
using BPoint = bg::model::d2::point_xy<double>;
using BPolygon = bg::model::polygon<BPoint>;
using BLine = bg::model::linestring<BPoint>;
using V = sgVector<2>;
using Points = std::vector<V>;

constexpr double kClearance = 1e-5;
constexpr int kRegions = 2500;
constexpr int kProbesPerRegion = 24;

// Vertices at jittered, evenly spread angles about `centre` with radii in [rMin, rMax]. With six
// or more vertices no angular gap reaches 2 pi / 3, so every edge stays farther than rMin / 2
// from the centre: a hole drawn within rMin / 2 of it lies inside the outline.
Points star(std::mt19937& rng, const V& centre, int n, double rMin, double rMax) {
  std::uniform_real_distribution<double> jitter(0.0, 0.9);
  std::uniform_real_distribution<double> radius(rMin, rMax);
  Points points;
  for (int k = 0; k < n; ++k) {
    const double a = 2.0 * std::numbers::pi * (k + jitter(rng)) / n;
    const double r = radius(rng);
    points.push_back(centre + V(r * std::cos(a), r * std::sin(a)));
  }
  return points;
}

template <class Ring>
void appendRing(Ring& ring, const Points& points) {
  for (const V& p : points) ring.push_back(BPoint(p.x(), p.y()));
  ring.push_back(BPoint(points[0].x(), points[0].y()));
}

struct Tally {
  int inside = 0;
  int outside = 0;
  int inHole = 0;
};

TEST(RegionInsideOracle, AgreesWithBoostWithinAwayFromTheBoundary) {
  std::mt19937 rng(90210);
  std::uniform_real_distribution<double> coordinate(-1000.0, 1000.0);
  std::uniform_real_distribution<double> logScale(-2.0, 2.0);
  std::uniform_int_distribution<int> outerCount(6, 40);
  std::uniform_int_distribution<int> holeCount(3, 12);
  std::uniform_int_distribution<int> coin(0, 1);
  Tally tally;
  for (int trial = 0; trial < kRegions; ++trial) {
    const double scale = std::pow(10.0, logScale(rng));
    const V centre(coordinate(rng), coordinate(rng));
    Points outer = star(rng, centre, outerCount(rng), 0.6 * scale, scale);
    if (coin(rng)) std::reverse(outer.begin(), outer.end());
    const bool withHole = coin(rng);
    const Points hole = star(rng, centre, holeCount(rng), 0.05 * scale, 0.25 * scale);

    sgRegion region(outer);
    BPolygon oracle;
    BLine outerLine;
    BLine holeLine;
    appendRing(oracle.outer(), outer);
    appendRing(outerLine, outer);
    if (withHole) {
      region.holes(std::vector<sgPtrHandle_const<sgRegion>>{sgPtrHandle_const<sgRegion>(new sgRegion(hole))});
      oracle.inners().resize(1);
      appendRing(oracle.inners()[0], hole);
      appendRing(holeLine, hole);
    }
    bg::correct(oracle);

    std::uniform_real_distribution<double> offset(-1.2 * scale, 1.2 * scale);
    for (int k = 0; k < kProbesPerRegion; ++k) {
      // Half the probes near the hole, where the answers change most.
      const double spread = k % 2 ? 1.0 : 0.25;
      const V p = centre + V(offset(rng) * spread, offset(rng) * spread);
      const BPoint q(p.x(), p.y());
      if (bg::distance(q, outerLine) < kClearance || (withHole && bg::distance(q, holeLine) < kClearance))
        continue;
      const bool expected = bg::within(q, oracle);
      ++(expected ? tally.inside : tally.outside);
      ASSERT_EQ(region.inside(p, true), expected)
          << "trial " << trial << " point " << bg::wkt(q) << " region " << bg::wkt(oracle);
      if (!withHole) continue;
      const bool inOuter = bg::within(q, oracle.outer());
      ASSERT_EQ(region.inside(p, false), inOuter) << "trial " << trial << " point " << bg::wkt(q);
      tally.inHole += inOuter && !expected;
    }
  }
  // Enough of each kind of answer for the agreement to mean something.
  EXPECT_GT(tally.inside, kRegions * 4);
  EXPECT_GT(tally.outside, kRegions * 4);
  EXPECT_GT(tally.inHole, kRegions / 2);
}

}  // namespace
