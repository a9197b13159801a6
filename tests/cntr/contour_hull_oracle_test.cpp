// The contour's convex hull, as the region it returns, against OpenCV's convexHull and
// contourArea on a few thousand random contours: open and closed, with repeated vertices and with
// vertices at NaN or infinity (which the hull ignores and which are kept from OpenCV). The
// foundation's hull routine alone is compared with Boost.Geometry in the platform tests; this
// checks what the contour makes of it: the region's vertex set and area.
//
// Coordinates are floats (OpenCV's points), drawn in general position, so both sides see the same
// points and no collinear triple makes the vertex sets differ by convention. Tolerances: the
// vertex sets must be equal exactly; the areas agree to 1e-5 relative, OpenCV summing in float.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <opencv2/imgproc.hpp>
#include <random>
#include <vector>

#include "cntr/region.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;

constexpr int kContours = 3000;
constexpr double kAreaRelTol = 1e-5;

bool lessXY(const V& a, const V& b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); }

Points sortedUnique(Points points) {
  std::sort(points.begin(), points.end(), lessXY);
  points.erase(std::unique(points.begin(), points.end()), points.end());
  return points;
}

TEST(ContourHullOracle, SameVerticesAndAreaAsOpenCV) {
  std::mt19937 rng(4242);
  std::uniform_int_distribution<int> count(3, 200);
  std::uniform_real_distribution<float> logScale(-1.0f, 3.0f);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::uniform_int_distribution<int> pick(0, 15);
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  int compared = 0;
  for (int trial = 0; trial < kContours; ++trial) {
    const float scale = std::pow(10.0f, logScale(rng));
    const float cx = unit(rng) * 1000.0f;
    const float cy = unit(rng) * 1000.0f;
    Points points;
    std::vector<cv::Point2f> finite;
    for (int i = count(rng); i > 0; --i) {
      const int kind = pick(rng);
      if (kind == 1) {
        points.push_back(i % 2 ? V(nan, 1.0) : V(-inf, inf));
        continue;
      }
      // Now and then a repeated vertex, else a new one.
      const cv::Point2f p = kind == 0 && !finite.empty()
                                ? finite[finite.size() / 2]
                                : cv::Point2f(cx + unit(rng) * scale, cy + unit(rng) * scale);
      finite.push_back(p);
      points.push_back(V(p.x, p.y));
    }
    if (finite.size() < 3) continue;
    const sgContour contour(points, trial % 2 == 0);
    sgRegion hull;
    contour.convexHull(hull);

    std::vector<cv::Point2f> theirs;
    cv::convexHull(finite, theirs);
    Points theirPoints;
    for (const cv::Point2f& p : theirs) theirPoints.push_back(V(p.x, p.y));
    if (theirPoints.size() < 3) continue;
    ASSERT_EQ(sortedUnique(hull.points()), sortedUnique(theirPoints)) << "trial " << trial;
    EXPECT_EQ(hull.points().size(), theirPoints.size()) << "trial " << trial << ": repeated hull vertex";
    const double theirArea = cv::contourArea(theirs);
    EXPECT_NEAR(hull.area(false), theirArea, kAreaRelTol * theirArea) << "trial " << trial;
    ++compared;
  }
  EXPECT_GT(compared, kContours * 9 / 10);
}

}  // namespace
