// Cross-checks of the polygon moments against independent implementations, on a few thousand
// random simple polygons of both orientations: Boost.Geometry for the signed area and the
// centroid, OpenCV's contour moments for the central second moments mu20, mu11 and mu02. Then
// regions traced from drawn masks with holes (OpenCV's findContours) against GEOS (area and
// centroid with holes) and OpenCV's moments with the holes subtracted, and the smallest
// enclosing circle against OpenCV's.
//
// Coordinates are multiples of 1/64 within +-1000, so that OpenCV's float points hold them
// exactly and all three computations start from the same polygon. The tolerances are rounding
// bounds scaled to each polygon (see Scales): the computations differ in the order of their
// operations, and sums taken about the origin lose digits on small figures far from it.
// Boost 1.74 includes some of its own deprecated headers.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/ring.hpp>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <opencv2/imgproc.hpp>
#include <random>
#include <string>
#include <vector>

#include "cntr/geosoracle.h"
#include "cntr/moments.h"
#include "cntr/region.h"

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
  /// Ours and OpenCV's (given the polygon moved to the origin): moments summed over n edges with
  /// terms of size D^4 about a point of the figure's box, from which the transfer to the
  /// centroid is subtracted.
  double moment() const { return 4 * kEps * (r * d * d * d + n * d * d * d * d); }
};

struct Tally {
  int polygons = 0;
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
  // step, which keeps the float coordinates exact). It reports either orientation with a
  // positive area and the same moments.
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
}

TEST(MomentsOracle, ConvexHulls) {
  const Tally t = crossCheckMany(23, [](PolygonSource& s) { return s.convexHull(); });
  EXPECT_EQ(t.polygons, kPolygonsPerKind);
}

TEST(MomentsOracle, XMonotonePolygons) {
  const Tally t = crossCheckMany(37, [](PolygonSource& s) { return s.xMonotone(); });
  EXPECT_EQ(t.polygons, kPolygonsPerKind);
}

TEST(MomentsOracle, Slivers) {
  const Tally t = crossCheckMany(41, [](PolygonSource& s) { return s.sliver(); });
  EXPECT_EQ(t.polygons, kPolygonsPerKind);
}

// ---- Regions traced from drawn masks -------------------------------------------------------------

constexpr int kMasks = 300;

/// A blob on a 160 x 160 canvas: an ellipse, a star polygon or a union of discs; with discs and
/// ellipses cut out of it, and for every other mask with salt noise (single pixels flipped), which
/// leaves one-pixel holes on the outline, next to each other and next to larger holes.
cv::Mat drawMask(PolygonSource& s, int index) {
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
  PolygonSource source(53);
  geostest::Geos geos;
  int masksWithHoles = 0, withHoles = 0, holesTotal = 0, outlines = 0;
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
  std::printf("%d masks with holes; %d outlines, %d of them with holes, %d holes\n", masksWithHoles, outlines,
              withHoles, holesTotal);
}

// ---- The smallest enclosing circle ---------------------------------------------------------------

TEST(MinEnclosingCircleOracle, HoldsEveryVertexAndIsNoLargerThanOpenCvs) {
  PolygonSource source(61);
  for (int i = 0; i < 2000 && !::testing::Test::HasFailure(); ++i) {
    // Boxes, rings (many points on or near the circle) and grids, at float-exact coordinates.
    const int n = source.count(1, i % 10 == 0 ? 3000 : 200);
    const V center = source.gridPoint(-500, 500);
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
