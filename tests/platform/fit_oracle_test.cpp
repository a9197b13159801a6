// Cross-checks of the foundation stand-in's fits against independent implementations:
// Boost.Geometry's convex_hull for sfConvexHull, and OpenCV's fitEllipseDirect (the same direct
// least-squares estimator of Fitzgibbon et al., computed its own way) for sfEllipseFit.
//
// Coordinates are multiples of 1/64 within +-1000, so that OpenCV's float points hold them
// exactly and every implementation starts from the same points.
// Boost 1.74 includes some of its own deprecated headers.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/multi_point.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <cmath>
#include <numbers>
#include <opencv2/imgproc.hpp>
#include <random>
#include <vector>

#include "lynstd/lynstd.h"
#include "platform/fitcriterion.h"

namespace {

namespace bg = boost::geometry;
using BoostPoint = bg::model::d2::point_xy<double>;
using V = sgVector<2>;
using Points = std::vector<V>;

constexpr double kPi = std::numbers::pi;

class Source {
 public:
  explicit Source(unsigned long seed) : rng_(seed) {}
  double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  double gaussian(double sigma) { return std::normal_distribution<double>(0.0, sigma)(rng_); }
  int count(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  /// The nearest multiple of 1/64.
  static double grid(double v) { return std::round(v * 64.0) / 64.0; }

 private:
  std::mt19937_64 rng_;
};

bool lessXY(const V& a, const V& b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); }

// ---- Convex hull against Boost.Geometry --------------------------------------------------------

TEST(ConvexHullOracle, SameVerticesAsBoostGeometry) {
  Source src(20240611);
  for (int trial = 0; trial < 300; ++trial) {
    // Small grids force duplicates and collinear points; larger ones general position.
    const double range = trial % 3 == 0 ? 2.0 : (trial % 3 == 1 ? 50.0 : 1000.0);
    const int n = src.count(3, 400);
    Points pts;
    bg::model::multi_point<BoostPoint> mp;
    for (int i = 0; i < n; ++i) {
      const V p(Source::grid(src.real(-range, range)), Source::grid(src.real(-range, range)));
      pts.push_back(p);
      mp.push_back(BoostPoint(p.x(), p.y()));
    }
    bg::model::polygon<BoostPoint> poly;
    bg::convex_hull(mp, poly);
    Points theirs;
    for (const BoostPoint& q : poly.outer()) theirs.emplace_back(q.x(), q.y());
    std::sort(theirs.begin(), theirs.end(), lessXY);
    theirs.erase(std::unique(theirs.begin(), theirs.end()), theirs.end());

    Points ours;
    sfConvexHull(pts, ours);
    if (ours.size() < 3) continue;  // Boost's answer for collinear input is a degenerate ring
    std::sort(ours.begin(), ours.end(), lessXY);
    EXPECT_EQ(ours, theirs) << "trial " << trial << ", " << n << " points";
  }
}

// ---- Ellipse fit against OpenCV ----------------------------------------------------------------

/// Difference of two axis directions, modulo a half turn, in [0, pi/2].
double axisAngleDiff(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), kPi);
  return std::min(d, kPi - d);
}

/// OpenCV's fitEllipseDirect solves the same problem by its own route, but on a good part of
/// noisy or partial data its answer is not the minimiser of the direct criterion (its criterion
/// value is larger, by up to a factor of 100 here). So the check has two parts: our criterion value
/// is never larger than OpenCV's, and where the two values agree (the same minimiser) the ellipses
/// agree too, which checks the conversion to centre, radii and angle against OpenCV's.
TEST(EllipseFitOracle, AtLeastAsGoodAsOpenCVAndTheSameEllipseWhereItAgrees) {
  Source src(77);
  int agreed = 0;
  const int trials = 400;
  for (int trial = 0; trial < trials; ++trial) {
    const V center(src.real(-500, 500), src.real(-500, 500));
    const double r1 = src.real(2, 300), r2 = r1 * src.real(0.05, 1.0), rot = src.real(0, kPi);
    const double from = src.real(0, 2 * kPi), span = src.real(0.8 * kPi, 2 * kPi);
    const double sigma = r2 * src.real(0.0, 0.1);
    const int n = src.count(6, 300);
    Points pts;
    std::vector<cv::Point2f> cvPts;
    for (int i = 0; i < n; ++i) {
      const double t = from + span * src.real(0, 1);
      const double x = r1 * std::cos(t), y = r2 * std::sin(t);
      const V p(Source::grid(center.x() + std::cos(rot) * x - std::sin(rot) * y + src.gaussian(sigma)),
                Source::grid(center.y() + std::sin(rot) * x + std::cos(rot) * y + src.gaussian(sigma)));
      pts.push_back(p);
      cvPts.emplace_back(static_cast<float>(p.x()), static_cast<float>(p.y()));
    }
    SCOPED_TRACE(testing::Message() << "trial " << trial << ", " << n << " points");
    sgEllipseFitResults ours;
    try {
      sfEllipseFit(sgEllipseFitParams(), pts, ours);
    } catch (const sgFitError& e) {
      ADD_FAILURE() << e.what();
      continue;
    }
    const cv::RotatedRect theirs = cv::fitEllipseDirect(cvPts);
    const double a = 0.5 * std::max(theirs.size.width, theirs.size.height);
    const double b = 0.5 * std::min(theirs.size.width, theirs.size.height);
    double angle = theirs.angle * kPi / 180.0;  // direction of the width axis
    if (theirs.size.height > theirs.size.width) angle += kPi / 2;

    const fitcriterion::Frame frame = fitcriterion::frameOf(pts);
    const double jOurs = fitcriterion::criterion(frame, pts, fitcriterion::conicOf(frame, ours.ellipse));
    const double jTheirs = fitcriterion::criterion(
        frame, pts, fitcriterion::conicOf(frame, V(theirs.center.x, theirs.center.y), a, b, angle));
    // OpenCV reports in float: its criterion value carries float rounding.
    EXPECT_LE(jOurs, jTheirs * (1.0 + 1e-5));
    if (std::fabs(jTheirs - jOurs) > 1e-7 * jOurs) continue;
    ++agreed;
    const double tol = 1e-4 * ours.ellipse.r1();
    EXPECT_NEAR(ours.ellipse.center().x(), theirs.center.x, tol);
    EXPECT_NEAR(ours.ellipse.center().y(), theirs.center.y, tol);
    EXPECT_NEAR(ours.ellipse.r1(), a, tol);
    EXPECT_NEAR(ours.ellipse.r2(), b, tol);
    if (a - b > 1e-3 * a) {
      EXPECT_LE(axisAngleDiff(ours.ellipse.rotation().toDouble(), angle), 1e-3);
    }
  }
  // The comparison of geometry is not vacuous (251 of the 400 agree with this seed).
  EXPECT_GE(agreed, trials / 2);
}

}  // namespace
