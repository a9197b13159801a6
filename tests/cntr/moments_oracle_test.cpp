// Cross-checks of the polygon moments against independent implementations, on a few thousand
// random simple polygons of both orientations: Boost.Geometry for the signed area and the
// centroid, OpenCV's contour moments for the central second moments mu20, mu11 and mu02.
//
// Coordinates are multiples of 1/64 within +-1000, so that OpenCV's float points hold them
// exactly and all three computations start from the same polygon. The tolerances are rounding
// bounds scaled to each polygon (see Scales): the computations differ in the order of their
// operations, and sums taken about the origin lose digits on small figures far from it.
// Boost 1.74 includes some of its own deprecated headers.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/ring.hpp>
#include <cmath>
#include <limits>
#include <numbers>
#include <opencv2/imgproc.hpp>
#include <random>
#include <string>
#include <vector>

#include "cntr/moments.h"

namespace {

namespace bg = boost::geometry;
using BoostPoint = bg::model::d2::point_xy<double>;
using CcwRing = bg::model::ring<BoostPoint, false, false>;
using CwRing = bg::model::ring<BoostPoint, true, false>;
using V = sgVector<2>;
using Points = std::vector<V>;

constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr int kPolygonsPerKind = 600;

// ---- Random simple polygons, counter-clockwise, on the 1/64 grid -------------------------------

class PolygonSource {
 public:
  explicit PolygonSource(unsigned long seed) : rng_(seed) {}

  /// k/64 for a uniform integer k with k/64 in [lo, hi].
  double grid(double lo, double hi) {
    return std::uniform_int_distribution<long>(std::lround(lo * 64), std::lround(hi * 64))(rng_) / 64.0;
  }
  int count(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  double real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  V gridPoint(double lo, double hi) { return V(grid(lo, hi), grid(lo, hi)); }

  /// Vertices at sorted random angles and random radii about a centre: usually not convex.
  Points starShaped() {
    const V center = gridPoint(-880, 880);
    const double rMax = real(0.5, 120);
    std::vector<double> angles(static_cast<std::size_t>(count(3, 40)));
    for (double& a : angles) a = real(0, 2 * std::numbers::pi);
    std::sort(angles.begin(), angles.end());
    Points out;
    for (double a : angles) {
      const double r = real(0.1, 1.0) * rMax;
      out.push_back(center + V(snap(r * std::cos(a)), snap(r * std::sin(a))));
    }
    return out;
  }

  /// The convex hull of random points in a random box.
  Points convexHull() {
    const V corner = gridPoint(-990, 850);
    const double w = grid(0.25, 140), h = grid(0.25, 140);
    bg::model::multi_point<BoostPoint> cloud;
    for (int i = count(3, 60); i > 0; --i)
      cloud.push_back(BoostPoint(corner.x() + grid(0, w), corner.y() + grid(0, h)));
    CcwRing hull;
    bg::convex_hull(cloud, hull);
    return pointsOf(hull);
  }

  /// An x-monotone polygon with zig-zag chains: seldom star-shaped, often with deep notches.
  Points xMonotone() {
    const V origin = gridPoint(-900, 800);
    const double height = grid(1, 100);
    std::vector<double> xs = {0.0};
    for (int i = count(2, 30); i > 0; --i) xs.push_back(xs.back() + grid(1.0 / 64, 8));
    Points lower, upper;
    for (double x : xs) {
      lower.push_back(origin + V(x, -grid(0, height)));
      upper.push_back(origin + V(x, grid(1.0 / 64, height)));
    }
    std::reverse(upper.begin(), upper.end());
    lower.insert(lower.end(), upper.begin(), upper.end());
    return lower;
  }

  /// A long thin strip: collinear points along one side, a ragged side at one to three grid
  /// steps across; or a needle triangle whose apex lies beyond its base.
  Points sliver() {
    const V start = gridPoint(-700, 700);
    const V step(grid(-40, 40), grid(-40, 40));
    const V across(count(-2, 2) / 64.0, count(-2, 2) / 64.0);
    const double turn = step.x() * across.y() - step.y() * across.x();
    if (turn == 0.0) return sliver();
    Points out;
    if (count(0, 3) == 0) {
      out = {start, start + step, start + step * 2.0 + across};
    } else {
      const int n = count(1, 12);
      for (int k = 0; k <= n; ++k) out.push_back(start + step * k);
      for (int k = n; k >= 0; --k) out.push_back(start + step * k + across * count(1, 3));
    }
    if (turn < 0.0) std::reverse(out.begin(), out.end());
    return out;
  }

 private:
  static double snap(double v) { return std::round(v * 64) / 64.0; }
  template <class Ring>
  static Points pointsOf(const Ring& ring) {
    Points out;
    for (const BoostPoint& p : ring) out.push_back(V(p.x(), p.y()));
    return out;
  }

  std::mt19937_64 rng_;
};

template <class Ring>
Ring ringOf(const Points& points) {
  Ring ring;
  for (const V& p : points) ring.push_back(BoostPoint(p.x(), p.y()));
  return ring;
}

/// Simple, counter-clockwise, of an area OpenCV does not round to zero (it drops moments of
/// contours with an area below the float epsilon).
bool usable(const Points& points) {
  if (points.size() < 3) return false;
  const CcwRing ring = ringOf<CcwRing>(points);
  return bg::is_valid(ring) && bg::area(ring) > 1e-5;
}

Points reversed(Points p) {
  std::reverse(p.begin(), p.end());
  return p;
}

/// Every fan triangle about the polygon's centroid turns clockwise: the case in which a
/// clockwise polygon's record still carries its moments.
bool clockwiseStarAboutCentroid(const Points& points) {
  const V c = sf_CenterOfMass(points);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const V a = points[(i + points.size() - 1) % points.size()] - c;
    const V b = points[i] - c;
    if (!(a.x() * b.y() - a.y() * b.x() < 0.0)) return false;
  }
  return true;
}

// ---- Comparison --------------------------------------------------------------------------------

/// Sizes that bound the rounding errors: R, the largest coordinate; D, the bounding-box
/// diagonal; P, the perimeter; A, the unsigned area; n, the vertex count.
struct Scales {
  double r = 0, d = 0, p = 0, a = 0, n = 0;
  explicit Scales(const Points& points) {
    double minX = points[0].x(), maxX = minX, minY = points[0].y(), maxY = minY;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const V& q = points[i];
      r = std::max({r, std::fabs(q.x()), std::fabs(q.y())});
      minX = std::min(minX, q.x()), maxX = std::max(maxX, q.x());
      minY = std::min(minY, q.y()), maxY = std::max(maxY, q.y());
      p += q.distance(points[(i + 1) % points.size()]);
    }
    d = std::hypot(maxX - minX, maxY - minY);
    a = sf_Area(points);
    n = static_cast<double>(points.size());
  }
  /// Shoelace sums about the origin: n terms of size R^2.
  double area() const { return 4 * n * kEps * r * r; }
  /// Centroid weights about the origin: errors of eps R P against a total weight of 2A, spread
  /// over coordinates of size R.
  double centroid() const { return 4 * kEps * (r + r * r * p / a); }
  /// Ours: the fan triangles have corners at coordinates of size R, so their heights carry errors
  /// of eps R, which a thin triangle of length D turns into a relative error eps R D / A of
  /// moments of size A D^2. OpenCV (given the polygon moved to the origin): raw moments summed
  /// over n edges with terms of size D^4, from which the transfer to the centroid is subtracted.
  double moment() const { return 4 * kEps * (r * d * d * d + n * d * d * d * d); }
};

struct Tally {
  int polygons = 0;
  int clockwiseMomentChecks = 0;
};

void expectNear(double actual, double expected, double tol, const char* what, const std::string& where) {
  EXPECT_LE(std::fabs(actual - expected), tol)
      << what << ": " << actual << " vs " << expected << " (" << where << ")";
}

std::string describe(const Points& points) {
  std::string s;
  for (const V& p : points) s += "(" + std::to_string(p.x()) + ", " + std::to_string(p.y()) + ") ";
  return s;
}

/// Checks one counter-clockwise polygon and its clockwise reversal against the oracles.
void crossCheck(const Points& ccw, Tally& tally) {
  const Scales s(ccw);
  const std::string where = describe(ccw);
  const double boostArea = bg::area(ringOf<CcwRing>(ccw));
  BoostPoint boostCentroid(0, 0);
  bg::centroid(ringOf<CcwRing>(ccw), boostCentroid);
  // OpenCV's raw moments cancel terms of the size of the coordinates; central moments do not
  // change under translation, so it measures the polygon moved next to the origin (by a grid
  // step, which keeps the float coordinates exact).
  std::vector<cv::Point2f> contour;
  for (const V& p : ccw)
    contour.emplace_back(static_cast<float>(p.x() - ccw[0].x()), static_cast<float>(p.y() - ccw[0].y()));
  const cv::Moments cvm = cv::moments(contour, false);

  const Points cw = reversed(ccw);
  for (const Points* points : {&ccw, &cw}) {
    const bool clockwise = points == &cw;
    const sg_InertiaData d = sf_InertiaDataPolygon(*points);
    expectNear(d.area(), clockwise ? -boostArea : boostArea, s.area(), "record area", where);
    expectNear(sf_Area(*points), boostArea, s.area(), "sf_Area", where);
    if (clockwise) {
      // Boost reads the reversed list as a clockwise ring.
      BoostPoint c(0, 0);
      bg::centroid(ringOf<CwRing>(*points), c);
      expectNear(c.x(), boostCentroid.x(), s.centroid(), "Boost centroid of the clockwise ring", where);
    }
    const V centroid = sf_CenterOfMass(*points);
    expectNear(centroid.x(), boostCentroid.x(), s.centroid(), "centroid x", where);
    expectNear(centroid.y(), boostCentroid.y(), s.centroid(), "centroid y", where);
    expectNear(d.centerOfMass().x(), boostCentroid.x(), s.centroid(), "record centre x", where);
    expectNear(d.centerOfMass().y(), boostCentroid.y(), s.centroid(), "record centre y", where);

    if (clockwise && !clockwiseStarAboutCentroid(*points)) continue;
    tally.clockwiseMomentChecks += clockwise;
    const sgMatrix<2>& m = d.inertiaMatrix();
    expectNear(m(0, 0), cvm.mu20, s.moment(), "mu20", where);
    expectNear(m(0, 1), cvm.mu11, s.moment(), "mu11", where);
    expectNear(m(1, 0), cvm.mu11, s.moment(), "mu11 (1,0)", where);
    expectNear(m(1, 1), cvm.mu02, s.moment(), "mu02", where);
  }
  ++tally.polygons;
}

template <class Make>
Tally crossCheckMany(unsigned long seed, Make make) {
  PolygonSource source(seed);
  Tally tally;
  while (tally.polygons < kPolygonsPerKind && !::testing::Test::HasFailure()) {
    const Points polygon = make(source);
    if (usable(polygon)) crossCheck(polygon, tally);
  }
  return tally;
}

TEST(MomentsOracle, StarShapedPolygons) {
  const Tally t = crossCheckMany(11, [](PolygonSource& s) { return s.starShaped(); });
  EXPECT_EQ(t.polygons, kPolygonsPerKind);
  EXPECT_GT(t.clockwiseMomentChecks, 0);
}

TEST(MomentsOracle, ConvexHulls) {
  const Tally t = crossCheckMany(23, [](PolygonSource& s) { return s.convexHull(); });
  EXPECT_EQ(t.polygons, kPolygonsPerKind);
  // A convex polygon is star-shaped about its centroid: every clockwise one is checked too.
  EXPECT_EQ(t.clockwiseMomentChecks, kPolygonsPerKind);
}

TEST(MomentsOracle, XMonotonePolygons) {
  const Tally t = crossCheckMany(37, [](PolygonSource& s) { return s.xMonotone(); });
  EXPECT_EQ(t.polygons, kPolygonsPerKind);
}

TEST(MomentsOracle, Slivers) {
  const Tally t = crossCheckMany(41, [](PolygonSource& s) { return s.sliver(); });
  EXPECT_EQ(t.polygons, kPolygonsPerKind);
}

}  // namespace
