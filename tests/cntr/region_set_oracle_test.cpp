// sgRegionSet regularize and outerHull checked against the polygon union computed by
// Boost.Geometry on random sets of overlapping convex polygons.
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "cntr/regionsetshapes.h"
#include "cntr/regionst.h"

namespace {

namespace bg = boost::geometry;
using BPoint = bg::model::d2::point_xy<double>;
using BPolygon = bg::model::polygon<BPoint, false, true>;  // counter-clockwise, closed
using BMulti = bg::model::multi_polygon<BPolygon>;
using BLine = bg::model::linestring<BPoint>;
using BBox = bg::model::box<BPoint>;
using regionsettest::RegionHandles;

// Relative tolerance of the area and extent comparisons, taken of the union's size. The
// overlay of this Boost version rescales coordinates to integers for robustness, which limits
// its results to about 1e-7 relative; the traced crossing points themselves agree to rounding.
// Real faults of the outline show up as differences of 1e-3 and more.
constexpr double kRelTol = 1e-6;

struct Polygon {
  std::vector<sgVector<2>> points;
  BPolygon oracle;
  BLine boundary;
};

// A convex polygon: 3 to 8 vertices at sorted random angles on a circle around a centre near
// the origin, so that polygons of one set usually overlap.
Polygon randomConvexPolygon(std::mt19937& rng) {
  std::uniform_real_distribution<double> centre(-1.5, 1.5);
  std::uniform_real_distribution<double> radius(0.8, 2.0);
  std::uniform_real_distribution<double> angle(0.0, 2.0 * std::numbers::pi);
  std::uniform_int_distribution<int> count(3, 8);
  const double cx = centre(rng);
  const double cy = centre(rng);
  const double r = radius(rng);
  std::vector<double> angles(static_cast<std::size_t>(count(rng)));
  for (double& a : angles) a = angle(rng);
  std::sort(angles.begin(), angles.end());
  Polygon polygon;
  for (double a : angles) {
    const sgVector<2> p(cx + r * std::cos(a), cy + r * std::sin(a));
    polygon.points.push_back(p);
    bg::append(polygon.oracle.outer(), BPoint(p.x(), p.y()));
    bg::append(polygon.boundary, BPoint(p.x(), p.y()));
  }
  bg::append(polygon.oracle.outer(), BPoint(polygon.points[0].x(), polygon.points[0].y()));
  bg::append(polygon.boundary, BPoint(polygon.points[0].x(), polygon.points[0].y()));
  bg::correct(polygon.oracle);
  return polygon;
}

BMulti unionOf(const std::vector<Polygon>& polygons) {
  BMulti all;
  for (const auto& polygon : polygons) {
    BMulti grown;
    bg::union_(all, polygon.oracle, grown);
    all = grown;
  }
  return all;
}

double exteriorArea(const BMulti& shape) {
  double sum = 0.0;
  for (const auto& polygon : shape) sum += std::fabs(bg::area(polygon.outer()));
  return sum;
}

bool nearBoundary(const BPoint& p, const std::vector<Polygon>& polygons) {
  return std::any_of(polygons.begin(), polygons.end(),
                     [&](const Polygon& polygon) { return bg::distance(p, polygon.boundary) < 1e-6; });
}

int coverCount(const BPoint& p, const std::vector<Polygon>& polygons) {
  return static_cast<int>(std::count_if(polygons.begin(), polygons.end(), [&](const Polygon& polygon) {
    return bg::within(p, polygon.oracle);
  }));
}

bool insideEnvelope(const sgRect& rect, const BBox& box) {
  const double slack = kRelTol * std::max(1.0, bg::distance(box.min_corner(), box.max_corner()));
  return rect.origin().x() >= box.min_corner().x() - slack &&
         rect.origin().y() >= box.min_corner().y() - slack &&
         rect.origin().x() + rect.size().x() <= box.max_corner().x() + slack &&
         rect.origin().y() + rect.size().y() <= box.max_corner().y() + slack;
}

// The repaired outlines run along the polygons' boundaries (every vertex lies on one) and turn
// only where two of them cross, so whatever they enclose lies within the union: no more area
// than the union's exterior boundaries enclose, no extent beyond the union's, and no point
// outside the union inside. They need not enclose all of the union: the trace turns back at
// every crossing, so parts covered twice are walked as inner loops and may cut off more.
void expectWithinUnion(const sgRegionSet& repaired, const std::vector<Polygon>& polygons, const BMulti& all,
                       std::mt19937& rng) {
  EXPECT_FALSE(repaired.isSelfIntersecting());
  EXPECT_LE(repaired.area(false), exteriorArea(all) * (1.0 + kRelTol));
  const BBox box = bg::return_envelope<BBox>(all);
  EXPECT_TRUE(insideEnvelope(repaired.encloseRect(sgXform<2>()), box));
  for (const auto& region : repaired.regions())
    for (const auto& v : region->points()) EXPECT_TRUE(nearBoundary(BPoint(v.x(), v.y()), polygons));
  std::uniform_real_distribution<double> x(box.min_corner().x() - 0.5, box.max_corner().x() + 0.5);
  std::uniform_real_distribution<double> y(box.min_corner().y() - 0.5, box.max_corner().y() + 0.5);
  for (int k = 0; k < 150; ++k) {
    const BPoint p(x(rng), y(rng));
    if (nearBoundary(p, polygons) || coverCount(p, polygons) > 0) continue;
    EXPECT_FALSE(repaired.inside(sgVector<2>(p.x(), p.y()), false)) << bg::wkt(p);
  }
}

TEST(RegionSetOracle, RepairedSetLiesWithinTheUnion) {
  std::mt19937 rng(7321);
  std::uniform_int_distribution<int> polygonCount(2, 5);
  int compared = 0;
  int refused = 0;
  for (int trial = 0; trial < 120; ++trial) {
    std::vector<Polygon> polygons(static_cast<std::size_t>(polygonCount(rng)));
    for (auto& polygon : polygons) polygon = randomConvexPolygon(rng);
    RegionHandles regions;
    for (const auto& polygon : polygons) regions.push_back(regionsettest::makeRegion(polygon.points));
    const sgRegionSet set(regions);
    if (!set.isSelfIntersecting()) continue;
    const BMulti all = unionOf(polygons);
    try {
      sgRegionSet regularized;
      set.regularize(regularized);
      SCOPED_TRACE(testing::Message() << "regularize, trial " << trial);
      expectWithinUnion(regularized, polygons, all, rng);
      sgRegionSet hull;
      set.outerHull(hull);
      SCOPED_TRACE(testing::Message() << "outerHull, trial " << trial);
      expectWithinUnion(hull, polygons, all, rng);
      ++compared;
    } catch (const sgContourDefs::Errors&) {
      ++refused;
    }
  }
  EXPECT_GT(compared, 9 * (compared + refused) / 10) << refused << " refusals";
}

}  // namespace
