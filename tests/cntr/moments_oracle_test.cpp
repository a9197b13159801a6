// Cross-checks of the region measures against independent implementations on outlines a vision
// pipeline brings: regions traced with OpenCV's findContours from drawn masks with holes (noisy
// blobs among them), against GEOS for the area and centroid with holes and OpenCV's contour
// moments, with the holes' moments subtracted, for the central second moments; and the smallest
// enclosing circle against OpenCV's. (Random polygons of every shape, scale and offset are
// checked against an exact evaluation in moments_random_test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <opencv2/imgproc.hpp>
#include <random>
#include <string>
#include <vector>

#include "cntr/geosoracle.h"
#include "cntr/moments.h"
#include "cntr/region.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;

class Random {
 public:
  explicit Random(unsigned long seed) : rng_(seed) {}
  int count(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  /// k/64 for a uniform integer k with k/64 in [lo, hi]: exact as a float.
  double grid(double lo, double hi) {
    return std::uniform_int_distribution<long>(std::lround(lo * 64), std::lround(hi * 64))(rng_) / 64.0;
  }

 private:
  std::mt19937_64 rng_;
};

// ---- Regions traced from drawn masks -------------------------------------------------------------

constexpr int kMasks = 300;

/// A blob on a 160 x 160 canvas: an ellipse, a star polygon or a union of discs; with discs and
/// ellipses cut out of it, and for every other mask with salt noise (single pixels flipped), which
/// leaves one-pixel holes on the outline, next to each other and next to larger holes.
cv::Mat drawMask(Random& s, int index) {
  cv::Mat mask = cv::Mat::zeros(160, 160, CV_8U);
  const auto at = [&] { return cv::Point(s.count(40, 120), s.count(40, 120)); };
  switch (index % 3) {
    case 0:
      cv::ellipse(mask, at(), cv::Size(s.count(15, 70), s.count(15, 70)), s.real(0, 180), 0, 360, 255, -1);
      break;
    case 1: {
      std::vector<cv::Point> star;
      const cv::Point c = at();
      const int n = s.count(5, 30);
      for (int k = 0; k < n; ++k) {
        const double a = 2 * std::numbers::pi * k / n, r = s.real(10, 70);
        star.emplace_back(c.x + static_cast<int>(r * std::cos(a)), c.y + static_cast<int>(r * std::sin(a)));
      }
      cv::fillPoly(mask, std::vector<std::vector<cv::Point>>{star}, 255);
      break;
    }
    default:
      for (int k = s.count(2, 6); k > 0; --k) cv::circle(mask, at(), s.count(8, 35), 255, -1);
  }
  for (int k = s.count(1, 8); k > 0; --k)
    cv::ellipse(mask, at(), cv::Size(s.count(1, 12), s.count(1, 12)), s.real(0, 180), 0, 360, 0, -1);
  if (index % 2 == 1) {
    for (int k = s.count(20, 400); k > 0; --k) {
      uchar& pixel = mask.at<uchar>(s.count(0, 159), s.count(0, 159));
      pixel = 255 - pixel;
    }
  }
  return mask;
}

Points pointsOf(const std::vector<cv::Point>& contour) {
  Points out;
  for (const cv::Point& p : contour) out.push_back(V(p.x, p.y));
  return out;
}

/// Raw moments up to order two of the polygon, as OpenCV reports them (positive area).
struct Raw {
  double m00 = 0, m10 = 0, m01 = 0, m20 = 0, m11 = 0, m02 = 0;
  explicit Raw(const std::vector<cv::Point>& contour) {
    const cv::Moments m = cv::moments(contour, false);
    m00 = m.m00, m10 = m.m10, m01 = m.m01, m20 = m.m20, m11 = m.m11, m02 = m.m02;
  }
  Raw& operator-=(const Raw& o) {
    m00 -= o.m00, m10 -= o.m10, m01 -= o.m01, m20 -= o.m20, m11 -= o.m11, m02 -= o.m02;
    return *this;
  }
  /// Central moments mu20, mu11, mu02.
  std::array<double, 3> central() const {
    const double cx = m10 / m00, cy = m01 / m00;
    return {m20 - cx * m10, m11 - cx * m01, m02 - cy * m01};
  }
};

void expectRelative(double actual, double expected, double scale, const char* what,
                    const std::string& where) {
  EXPECT_LE(std::fabs(actual - expected), 1e-9 * scale)
      << what << ": " << actual << " vs " << expected << " (" << where << ")";
}

TEST(MomentsOracle, TracedMasksWithHolesAgainstGeosAndOpenCv) {
  Random source(53);
  geostest::Geos geos;
  int masksWithHoles = 0, withHoles = 0, holesTotal = 0, outlines = 0, clockwise = 0;
  for (int i = 0; i < kMasks && !::testing::Test::HasFailure(); ++i) {
    const int holesBefore = holesTotal;
    std::vector<std::vector<cv::Point>> contours;
    std::vector<cv::Vec4i> tree;
    cv::findContours(drawMask(source, i), contours, tree, cv::RETR_CCOMP,
                     i % 4 < 2 ? cv::CHAIN_APPROX_NONE : cv::CHAIN_APPROX_SIMPLE);
    for (std::size_t k = 0; k < contours.size(); ++k) {
      if (tree[k][3] >= 0 || contours[k].size() < 3 || cv::contourArea(contours[k]) == 0.0) continue;
      const std::string where = "mask " + std::to_string(i) + ", outline " + std::to_string(k);
      sgRegion region(pointsOf(contours[k]));
      std::vector<sgPtrHandle_const<sgRegion>> holes;
      std::vector<Points> holePoints;
      Raw raw(contours[k]);
      // findContours' outer outlines run clockwise in a y-up frame and its holes the other way;
      // OpenCV's moments give both positive areas, so the holes are subtracted.
      for (int h = tree[k][2]; h >= 0; h = tree[static_cast<std::size_t>(h)][0]) {
        const auto& hole = contours[static_cast<std::size_t>(h)];
        holePoints.push_back(pointsOf(hole));
        holes.emplace_back(new sgRegion(holePoints.back()));
        raw -= Raw(hole);
      }
      ASSERT_NO_THROW(region.holes(holes)) << where;
      ++outlines;
      clockwise += sf_InertiaDataPolygon(region.points()).area() < 0.0;
      withHoles += !holes.empty();
      holesTotal += static_cast<int>(holes.size());

      const auto polygon = geos.polygon(region.points(), holePoints);
      const double area = geos.area(polygon.get());
      expectRelative(region.area(true), area, area, "area with holes", where);
      const V centroid = geos.centroid(polygon.get());
      const V ours = region.centerOfMass(true);
      expectRelative(ours.x(), centroid.x(), std::fabs(centroid.x()), "centroid x", where);
      expectRelative(ours.y(), centroid.y(), std::fabs(centroid.y()), "centroid y", where);
      const std::array<double, 3> mu = raw.central();
      const sgMatrix<2> m = region.inertiaMatrix(true);
      const double trace = mu[0] + mu[2];
      expectRelative(m(0, 0), mu[0], trace, "mu20 with holes", where);
      expectRelative(m(0, 1), mu[1], trace, "mu11 with holes", where);
      expectRelative(m(1, 1), mu[2], trace, "mu02 with holes", where);
      const cv::Moments outer = cv::moments(contours[k], false);
      const sgMatrix<2> o = region.inertiaMatrix(false);
      expectRelative(o(0, 0), outer.mu20, outer.mu20 + outer.mu02, "mu20", where);
      expectRelative(o(0, 1), outer.mu11, outer.mu20 + outer.mu02, "mu11", where);
      expectRelative(o(1, 1), outer.mu02, outer.mu20 + outer.mu02, "mu02", where);
    }
    masksWithHoles += holesTotal > holesBefore;
  }
  EXPECT_GE(masksWithHoles, 200);
  EXPECT_EQ(clockwise, outlines);
  std::printf("%d masks with holes; %d outlines, %d of them with holes, %d holes\n", masksWithHoles, outlines,
              withHoles, holesTotal);
}

// ---- The smallest enclosing circle ---------------------------------------------------------------

TEST(MinEnclosingCircleOracle, HoldsEveryVertexAndIsNoLargerThanOpenCvs) {
  Random source(61);
  for (int i = 0; i < 2000 && !::testing::Test::HasFailure(); ++i) {
    // Boxes, rings (many points on or near the circle) and grids, at float-exact coordinates.
    const int n = source.count(1, i % 10 == 0 ? 3000 : 200);
    const V center(source.grid(-500, 500), source.grid(-500, 500));
    const double size = source.grid(0.25, 300);
    Points points;
    for (int k = 0; k < n; ++k) {
      const double a = source.real(0, 2 * std::numbers::pi);
      const V p = i % 3 == 0   ? center + V(size * std::cos(a), size * std::sin(a))
                  : i % 3 == 1 ? center + V(source.grid(-size, size), source.grid(-size, size))
                               : center + V(std::round(source.real(-8, 8)), std::round(source.real(-8, 8)));
      points.push_back(V(static_cast<float>(p.x()), static_cast<float>(p.y())));
    }
    std::vector<cv::Point2f> cvPoints;
    for (const V& p : points) cvPoints.emplace_back(static_cast<float>(p.x()), static_cast<float>(p.y()));
    cv::Point2f cvCenter;
    float cvRadius = 0;
    cv::minEnclosingCircle(cvPoints, cvCenter, cvRadius);

    const sgCircle c = sgContour(points).minEnclosingCircle();
    double farthest = 0.0;
    for (const V& p : points) farthest = std::max(farthest, p.distance(c.center()));
    EXPECT_LE(farthest, c.radius() * (1 + 1e-9)) << "set " << i;
    // OpenCV rounds its circle to floats, which may leave a point a rounding step outside: its
    // radius is taken as what its centre needs to hold every point.
    double cvNeeds = cvRadius;
    for (const V& p : points) cvNeeds = std::max(cvNeeds, p.distance(V(cvCenter.x, cvCenter.y)));
    EXPECT_LE(c.radius(), cvNeeds * (1 + 1e-9))
        << "set " << i << ", " << n << " points; OpenCV's radius " << cvRadius << ", needs " << cvNeeds;
  }
}

}  // namespace
