// The library against GEOS (repairs, simplicity), Boost.Geometry (inside test, convex hull) and OpenCV
// (moments of traced masks, enclosing circle, convex hull, ellipse fit), on inputs a user brings.
#define BOOST_ALLOW_DEPRECATED_HEADERS  // Boost 1.74 includes some of its own deprecated headers
#include <gtest/gtest.h>

#include <boost/geometry.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <opencv2/imgproc.hpp>

#include "cntr/moments.h"
#include "cntr/regionst.h"
#include "lynstd/orientation.h"
#include "support/differential.h"
#include "support/geosoracle.h"

namespace {

namespace bg = boost::geometry;
namespace gs = geosoracle;
using namespace shapes;
using differential::compare;
using BPoint = bg::model::d2::point_xy<double>;
using BPolygon = bg::model::polygon<BPoint>;
using BLine = bg::model::linestring<BPoint>;
using Floats = std::vector<cv::Point2f>;
using Handles = std::vector<sgPtrHandle_const<sgRegion>>;

/// The points as another library's points, the first repeated at the end when `closed`.
template <class Out, class In>
Out convert(const In& points, bool closed = false) {
  Out out;
  for (std::size_t i = 0; i < points.size() + (closed && !points.empty()); ++i) {
    const auto& p = points[i % points.size()];
    if constexpr (requires { p.x(); })
      out.emplace_back(p.x(), p.y());
    else
      out.emplace_back(p.x, p.y);
  }
  return out;
}
/// The finite points sorted by x then y, repeats removed.
Points sortedUnique(Points p) {
  std::erase_if(p, [](const V& v) { return !std::isfinite(v.x()) || !std::isfinite(v.y()); });
  std::ranges::sort(p, {}, [](const V& v) { return std::pair(v.x(), v.y()); });
  p.erase(std::unique(p.begin(), p.end()), p.end());
  return p;
}

/// The outer outlines (clockwise in a y-up frame) and the holes of each (the other way round).
struct Traced {
  std::vector<std::vector<cv::Point>> contours;
  std::vector<cv::Vec4i> tree;  // next, previous, first child, parent
};

/// Regions as a vision pipeline brings them, traced with or without every pixel: a blob on a mask (an
/// ellipse, a star polygon or a union of discs) with discs and ellipses cut out of it; now and then single
/// pixels flipped, which leaves one-pixel holes on the outline, next to each other and to larger holes.
Traced traceMask(Rng& rng) {
  cv::Mat mask = cv::Mat::zeros(160, 160, CV_8U);
  const int kind = integer(rng, 0, 2);
  const auto at = [&] { return cv::Point(integer(rng, 40, 120), integer(rng, 40, 120)); };
  const auto size = [&](int lo, int hi) { return cv::Size(integer(rng, lo, hi), integer(rng, lo, hi)); };
  if (kind == 0) cv::ellipse(mask, at(), size(15, 70), real(rng, 0, 180), 0, 360, 255, -1);
  const cv::Point centre = at();
  const auto polygon = convert<std::vector<cv::Point>>(
      star(rng, kind == 1 ? integer(rng, 5, 30) : 0, 10, 70, V(centre.x, centre.y)));
  if (kind == 1) cv::fillPoly(mask, std::vector<std::vector<cv::Point>>{polygon}, 255);
  for (int k = kind == 2 ? integer(rng, 2, 6) : 0; k > 0; --k)
    cv::circle(mask, at(), integer(rng, 8, 35), 255, -1);
  for (int k = integer(rng, 1, 8); k > 0; --k)
    cv::ellipse(mask, at(), size(1, 12), real(rng, 0, 180), 0, 360, 0, -1);
  for (int k = coin(rng) ? integer(rng, 20, 400) : 0; k > 0; --k)
    mask.at<uchar>(integer(rng, 0, 159), integer(rng, 0, 159)) ^= 255;
  Traced t;
  cv::findContours(mask, t.contours, t.tree, cv::RETR_CCOMP,
                   coin(rng) ? cv::CHAIN_APPROX_NONE : cv::CHAIN_APPROX_SIMPLE);
  return t;
}

TEST(MomentsOracle, TracedMasksWithHolesAgainstOpenCv) {
  int withHoles = 0, clockwise = 0, outlines = 0;
  compare("traced masks", 21, 150, traceMask, [&](const Traced& t, Rng&) {
    for (std::size_t k = 0; k < t.contours.size(); ++k) {
      if (t.tree[k][3] >= 0 || t.contours[k].size() < 3 || cv::contourArea(t.contours[k]) == 0.0) continue;
      sgRegion region(convert<Points>(t.contours[k]));
      Handles holes;
      // OpenCV's moments give every outline a positive area: the holes' raw moments are subtracted.
      cv::Moments outer = cv::moments(t.contours[k]), raw = outer;
      for (int h = t.tree[k][2]; h >= 0; h = t.tree[h][0]) {
        holes.emplace_back(new sgRegion(convert<Points>(t.contours[h])));
        const cv::Moments m = cv::moments(t.contours[h]);
        raw.m00 -= m.m00, raw.m10 -= m.m10, raw.m01 -= m.m01, raw.m20 -= m.m20, raw.m11 -= m.m11,
            raw.m02 -= m.m02;
      }
      EXPECT_NO_THROW(region.holes(holes));
      ++outlines, withHoles += !holes.empty(),
          clockwise += sf_InertiaDataPolygon(region.points()).area() < 0.0;
      const double cx = raw.m10 / raw.m00, cy = raw.m01 / raw.m00;
      const double mu[] = {raw.m20 - cx * raw.m10, raw.m11 - cx * raw.m01, raw.m02 - cy * raw.m01};
      const sgMatrix<2> m = region.inertiaMatrix(true), o = region.inertiaMatrix(false);
      const V centre = region.centerOfMass(true);
      const double t = mu[0] + mu[2], u = outer.mu20 + outer.mu02;
      const double got[] = {region.area(true), centre.x(), centre.y(), m(0, 0), m(0, 1),
                            m(1, 1),           o(0, 0),    o(0, 1),    o(1, 1)};
      const double want[] = {raw.m00, cx, cy, mu[0], mu[1], mu[2], outer.mu20, outer.mu11, outer.mu02};
      const double scale[] = {raw.m00, cx, cy, t, t, t, u, u, u};
      for (int i = 0; i < 9; ++i) EXPECT_NEAR(got[i], want[i], 1e-9 * std::fabs(scale[i])) << i;
    }
  });
  std::printf("traced masks: %d outlines, %d with holes\n", outlines, withHoles);
  EXPECT_EQ(clockwise, outlines);
  EXPECT_GT(withHoles, 100);
}

TEST(MinEnclosingCircleOracle, HoldsEveryVertexAndIsNoLargerThanOpenCvs) {
  compare(
      "smallest enclosing circle", 22, 600,
      [](Rng& rng) {
        // Rings (many points on or near the circle), boxes and small grids, at float-exact coordinates.
        const int kind = integer(rng, 0, 2), n = integer(rng, 1, coin(rng, 10) ? 3000 : 200);
        const V centre = V(integer(rng, -32000, 32000), integer(rng, -32000, 32000)) / 64.0;
        const double size = integer(rng, 16, 19200) / 64.0;
        Points p = kind == 0 ? star(rng, n, size, size, centre) : lattice(rng, n, kind == 1 ? 64 : 16);
        if (kind == 1) p = transformed(p, 0, size / 32, centre - V(size, size));
        return convert<Points>(convert<Floats>(p));
      },
      [](const Points& p, Rng&) {
        cv::Point2f cvCentre;
        float cvRadius = 0;
        cv::minEnclosingCircle(convert<Floats>(p), cvCentre, cvRadius);
        const sgCircle c = sgContour(p).minEnclosingCircle();
        // OpenCV rounds its circle to floats: its radius is taken as what its centre needs.
        double farthest = 0.0, cvNeeds = cvRadius;
        for (const V& v : p)
          farthest = std::max(farthest, v.distance(c.center())),
          cvNeeds = std::max(cvNeeds, v.distance(V(cvCentre.x, cvCentre.y)));
        EXPECT_LE(farthest, c.radius() * (1 + 1e-9));
        EXPECT_LE(c.radius(), cvNeeds * (1 + 1e-9));
      });
}

/// The smallest nonzero distance from a vertex to an edge not ending at it. Within its 1e-6 the library
/// takes the vertex to touch the edge where GEOS sees a gap (and a long sliver beyond it can change the
/// area); far closer, the two may decide a crossing differently.
double nearestGap(const Points& p, bool closed) {
  double gap = kInf;
  for (const V& v : p)
    for (std::size_t k = 0; k + 1 < p.size() + closed; ++k) {
      const V &a = p[k], &b = p[(k + 1) % p.size()];
      const double d = a == b || v == a || v == b ? 0.0 : distanceToSegment(v, a, b);
      if (d > 0.0) gap = std::min(gap, d);
    }
  return gap;
}

TEST(RegionRepairGeos, OutlinesEncloseTheirOuterBoundaryAndSetsTheUnionOfTheirRegions) {
  // An outline's repair encloses what its outer boundary encloses: its faces, united, holes filled.
  // An outline that only touches itself is kept; its area is that of the faces it winds around.
  // Both sides compute crossings in double from the same vertices: areas agree to 1e-9.
  int crossing = 0, nearTouching = 0, refused = 0;
  compare(
      "repairs of points in a disc, pixel walks and lattice outlines", 23, 600,
      [](Rng& rng) {
        const int kind = integer(rng, 0, 2);
        if (kind == 1) return pixelWalk(rng, integer(rng, 4, 40));
        if (kind == 2) return lattice(rng, integer(rng, 4, 14), 4);
        return disc(rng, integer(rng, 5, 60), std::pow(10.0, integer(rng, 0, 4)),
                    coin(rng, 4) ? V(3e5, -2e5) : V(0, 0));
      },
      [&](const Points& outline, Rng&) {
        const sgRegion region(outline);
        const bool crosses = region.isSelfIntersecting();
        const double expected = crosses ? gs::outerBoundaryArea(outline) : gs::nonzeroWindingArea(outline);
        crossing += crosses;
        for (const bool hull : {false, true}) {
          sgRegion result;
          try {
            hull ? region.outerHull(result) : region.regularize(result);
          } catch (const sgContourDefs::Errors&) {
            EXPECT_EQ(expected, 0.0) << "only an outline that encloses nothing may be refused";
            ++refused;
            continue;
          }
          EXPECT_FALSE(result.isSelfIntersecting());
          if (nearestGap(outline, true) <= 1e-6)
            ++nearTouching;
          else
            EXPECT_NEAR(result.area(false), expected, 1e-9 * expected)
                << (hull ? "outer hull" : "regularize");
        }
      });
  std::printf("repairs: %d self-crossing, %d refused, %d near-touching\n", crossing, refused, nearTouching);
  EXPECT_GT(crossing, 300);  // a degenerate majority would test nothing
  // A set's repair encloses the area inside the exterior rings of the union of its regions.
  int nested = 0;
  compare(
      "repairs of sets", 26, 100, [](Rng& rng) { return regionOutlines(rng, integer(rng, 2, 20)); },
      [&](const std::vector<Points>& members, Rng&) {
        Handles regions;
        for (const Points& m : members) regions.emplace_back(new sgRegion(m, sgContourDefs::eIgnore));
        sgRegionSet result;
        sgRegionSet(regions).regularize(result);
        EXPECT_FALSE(result.isSelfIntersecting());
        double area = 0.0;
        bool apart = false;  // a region inside another without meeting it stays apart and counts apart
        const auto& rs = result.regions();
        for (std::size_t i = 0; i < rs.size(); ++i) {
          area += rs[i]->area(false);
          for (std::size_t j = i + 1; j < rs.size(); ++j) {
            EXPECT_FALSE(gs::answer(GEOSIntersects_r(gs::context(), gs::line(rs[i]->points(), true).get(),
                                                     gs::line(rs[j]->points(), true).get())));
            apart |= rs[i]->inside(rs[j]->points()[0], false) || rs[j]->inside(rs[i]->points()[0], false);
          }
        }
        nested += apart;
        if (apart) return false;
        const double expected = gs::exteriorArea(gs::unionOf(members).get());
        EXPECT_NEAR(area, expected, 1e-9 * expected);
        return true;
      });
  EXPECT_LT(nested, 17);  // most sets compared
}

TEST(ContourSelfIntersectGeos, AgreesWithGeosIsSimpleInGeneralPosition) {
  // General position, a clearance of 1e-7 on coordinates up to 100: every vertex stays that far from
  // the edges not ending at it. Star-shaped outlines, some with two vertices swapped, and random
  // walks: both answers are common.
  int answers[2] = {};
  compare(
      "self-intersection against GEOS isSimple", 27, 2000,
      [](Rng& rng) {
        const int n = integer(rng, 3, 14);
        Points p = coin(rng) ? star(rng, n, 10, 100) : disc(rng, n, 100);
        if (coin(rng)) std::swap(p[integer(rng, 0, n - 1)], p[integer(rng, 0, n - 1)]);
        return std::pair(p, coin(rng));
      },
      [&](const std::pair<Points, bool>& in, Rng&) {
        const Points& p = in.first;
        if (nearestGap(p, in.second) < 1e-7) return false;
        const bool expected = !gs::answer(GEOSisSimple_r(gs::context(), gs::line(p, in.second).get()));
        EXPECT_EQ(sgContour(p, in.second).isSelfIntersecting(), expected);
        ++answers[expected];
        return true;
      });
  EXPECT_TRUE(answers[0] > 400 && answers[1] > 400) << answers[0] << " simple, " << answers[1] << " crossing";
}

TEST(RegionInsideOracle, AgreesWithBoostWithinAwayFromTheBoundary) {
  // Compared only beyond 1e-5 of every boundary: the inside test counts a point within 1e-6 of an
  // outer vertex as inside, and both sides round the side of a point against an edge.
  int answers[3] = {};  // outside, inside, in the hole
  compare(
      "inside against Boost.Geometry", 28, 800,
      [](Rng& rng) {
        const double scale = std::pow(10.0, real(rng, -2, 2));
        const V centre(real(rng, -1e3, 1e3), real(rng, -1e3, 1e3));
        Points outer = star(rng, integer(rng, 6, 40), 0.6 * scale, scale, centre);
        if (coin(rng)) std::reverse(outer.begin(), outer.end());
        const Points hole =
            coin(rng) ? Points{} : star(rng, integer(rng, 3, 12), 0.05 * scale, 0.25 * scale, centre);
        return std::vector<Points>{outer, hole, {centre, V(scale, 0)}};
      },
      [&](const std::vector<Points>& in, Rng& rng) {
        sgRegion region(in[0]);
        BPolygon oracle;
        oracle.outer() = convert<BPolygon::ring_type>(in[0], true);
        const auto outerLine = convert<BLine>(in[0], true);
        const auto holeLine = in[1].empty() ? outerLine : convert<BLine>(in[1], true);
        if (!in[1].empty()) {
          region.holes(Handles{sgPtrHandle_const<sgRegion>(new sgRegion(in[1]))});
          oracle.inners().push_back(convert<BPolygon::ring_type>(in[1], true));
        }
        bg::correct(oracle);
        for (int k = 0; k < 24; ++k) {  // half the probes near the hole, where the answers change most
          const V p =
              in[2][0] + V(real(rng, -1.2, 1.2), real(rng, -1.2, 1.2)) * in[2][1].x() * (k % 2 ? 1.0 : 0.25);
          const BPoint q(p.x(), p.y());
          if (bg::distance(q, outerLine) < 1e-5 || bg::distance(q, holeLine) < 1e-5) continue;
          const bool expected = bg::within(q, oracle), inOuter = bg::within(q, oracle.outer());
          EXPECT_EQ(region.inside(p, true), expected) << bg::wkt(q) << " in " << bg::wkt(oracle);
          EXPECT_EQ(region.inside(p, false), inOuter) << bg::wkt(q);
          ++answers[inOuter && !expected ? 2 : expected];
        }
      });
  EXPECT_TRUE(answers[0] > 3000 && answers[1] > 3000 && answers[2] > 400)
      << answers[0] << ", " << answers[1] << ", " << answers[2];
}

/// Every finite point sorted by x then y, repeats removed, then the lower and upper chains.
Points plainHull(Points p) {
  p = sortedUnique(p);
  if (p.size() < 3) return p;
  Points h(2 * p.size());
  std::size_t k = 0;
  const auto chain = [&](std::size_t i, std::size_t floor) {
    while (k >= floor && sfOrientation(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  };
  for (std::size_t i = 0; i < p.size(); ++i) chain(i, 2);
  for (std::size_t i = p.size() - 1, lower = k + 1; i-- > 0;) chain(i, lower);
  h.resize(k - 1);
  return h;
}

TEST(ConvexHullOracle, HullsMatchThePlainChainBitForBitAndBoostAndOpenCv) {
  enum Oracle { kChainOnly, kBoost, kOpenCv };
  int againstBoost = 0, againstOpenCv = 0;
  compare(
      "hulls against the plain chain, Boost.Geometry and OpenCV", 13, 2000,
      [](Rng& rng) {
        // A ring on a 1/64 grid round a filled middle, plus axis points under either sign of zero; lattice
        // points; two crossing lines; points rounded off a line, or off the chord from the leftmost to the
        // lowest left point; a cloud far out, turns decided at the last bits; float points for OpenCV.
        const int kind = integer(rng, 0, 8);
        const int n =
            kind > 5 ? integer(rng, 3, 200) : static_cast<int>(std::exp(real(rng, 0, std::log(3000.0)))) - 1;
        const V a(real(rng, -1, 1), real(rng, -1, 1)), b(real(rng, -1, 1), real(rng, -1, 1)), far = a * 1e15;
        const V west(real(rng, -10, -9.9), real(rng, 1, 2)), southWest(real(rng, -7, -6), real(rng, -6, -5));
        const double scale = std::pow(10.0, real(rng, -1, 3));
        Points p = kind == 0   ? star(rng, n, real(rng, 0, 90), 100)
                   : kind == 1 ? lattice(rng, n, integer(rng, 1, 12))
                               : Points{};
        for (V& v : p) v = V(std::round(v.x() * 64) / 64, std::round(v.y() * 64) / 64);
        if (kind == 4) p = {west, southWest, V(0, -10), V(7, -7), V(10, 0), V(7, 7), V(0, 10), V(-7, 7)};
        for (int i = 0; i < n && kind > 1; ++i)
          p.push_back(kind == 2   ? V(2, 1) + (coin(rng) ? V(1, 3) : V(1, -2)) * integer(rng, -9, 9)
                      : kind == 3 ? a + (b - a) * real(rng, -1, 2)
                      : kind == 5 ? far + V(integer(rng, -40, 40), integer(rng, -40, 40)) * 0.125
                      : kind > 5  ? a * 1e3 + V(real(rng, -1, 1), real(rng, -1, 1)) * scale
                      : i % 4     ? V(real(rng, -5, 5), real(rng, -5, 5))
                                  : west + (southWest - west) * real(rng, 0, 1));
        for (const double r : {100.0, -100.0, real(rng, -100, 100)})
          if (kind == 0) p.insert(p.end(), {V(0.0, r), V(-0.0, r), V(r, 0.0), V(r, -0.0)});
        for (int i = n / 8; kind > 5 && i > 0; --i) p.push_back(p[integer(rng, 0, n - 1)]);  // repeats
        // Scaled by a power of two into and beyond the range where the orientation test is exact.
        const int exponents[] = {-1100, -1000, -560, -540, -520, -500, -401, -400, -399,
                                 399,   400,   401,  505,  509,  511,  513,  520,  900};
        const int e = coin(rng, 3) && kind < 6 ? exponents[integer(rng, 0, 17)] : 0;
        for (V& v : p) v = V(std::ldexp(v.x(), e), std::ldexp(v.y(), e));
        if (kind > 5) p = convert<Points>(convert<Floats>(p));
        const bool nonFinite = coin(rng, kind > 5 ? 3 : 10);
        if (nonFinite) p.insert(p.end(), {V(kNaN, 1.0), V(-kInf, 0.0), V(kInf, kNaN)});
        std::shuffle(p.begin(), p.end(), rng);
        // Boost decides turns in double: exactly on small multiples of 1/64, and finite points only.
        return std::pair(p, kind > 5 ? kOpenCv : kind < 3 && e == 0 && !nonFinite ? kBoost : kChainOnly);
      },
      [&](const std::pair<Points, Oracle>& in, Rng& rng) {
        Points ours;
        sfConvexHull(in.first, ours);
        EXPECT_TRUE(same(ours, plainHull(in.first)));
        if (in.second == kOpenCv) {
          Floats theirs;  // at least three distinct finite points
          cv::convexHull(convert<Floats>(sortedUnique(in.first)), theirs);
          if (theirs.size() < 3) return;
          sgRegion hull;
          sgContour(in.first, coin(rng)).convexHull(hull);
          EXPECT_EQ(sortedUnique(hull.points()), sortedUnique(convert<Points>(theirs)));
          EXPECT_EQ(hull.points().size(), theirs.size()) << "a repeated hull vertex";
          const double area = cv::contourArea(theirs);  // summed in float
          EXPECT_NEAR(hull.area(false), area, 1e-5 * area);
          ++againstOpenCv;
        }
        if (in.second != kBoost || ours.size() < 3) return;  // Boost's collinear hull is degenerate
        BPolygon theirs;
        bg::convex_hull(convert<bg::model::multi_point<BPoint>>(in.first), theirs);
        EXPECT_EQ(sortedUnique(ours), sortedUnique(convert<Points>(theirs.outer())));
        ++againstBoost;
      });
  std::printf("hulls: %d compared with Boost.Geometry, %d with OpenCV\n", againstBoost, againstOpenCv);
  EXPECT_GT(againstBoost, 200);
  EXPECT_GT(againstOpenCv, 500);
}

/// What the direct least-squares ellipse fit minimises over conics with 4AC - B^2 > 0: the sum of squared
/// conic values over 4AC - B^2, free of the conic's scale. For the ellipse (centre c, radius ra along th,
/// rb across), up to a constant factor: (ra rb)^2 times the squared values of its own-frame equation.
double fitCriterion(const Points& p, const V& c, double ra, double rb, double th) {
  const V along(std::cos(th), std::sin(th)), across(-std::sin(th), std::cos(th));
  double sum = 0.0;
  for (const V& q : p) {
    const double u = (q - c) * along / ra, w = (q - c) * across / rb, v = u * u + w * w - 1.0;
    sum += v * v;
  }
  return ra > 0.0 && rb > 0.0 ? ra * ra * rb * rb * sum : kInf;
}

TEST(EllipseFitOracle, AtLeastAsGoodAsOpenCvAndTheSameEllipseWhereTheirCriteriaAgree) {
  // OpenCV's fitEllipseDirect solves the same least-squares problem its own way, but on noisy or
  // partial data its answer is often not the minimiser. So: our criterion value is never larger,
  // and where the two agree (the same minimiser) the centre, radii and angle agree.
  int agreed = 0;
  compare(
      "ellipse fit against OpenCV", 31, 400,
      [](Rng& rng) {
        const V centre(real(rng, -500, 500), real(rng, -500, 500));
        const double r1 = real(rng, 2, 300), r2 = r1 * real(rng, 0.05, 1.0), turn = real(rng, 0, kPi);
        const double from = real(rng, 0, 2 * kPi), span = real(rng, 0.8 * kPi, 2 * kPi);
        std::normal_distribution<double> noise(0.0, r2 * real(rng, 0.0, 0.1));
        Points p;
        for (int i = integer(rng, 6, 300); i > 0; --i) {
          const double t = from + span * real(rng, 0, 1);
          p.push_back(V(r1 * std::cos(t) + noise(rng), r2 * std::sin(t) + noise(rng)));
        }
        return convert<Points>(convert<Floats>(transformed(p, turn, 1.0, centre)));  // both fits see these
      },
      [&](const Points& p, Rng&) {
        sgEllipseFitResults ours;
        EXPECT_NO_THROW(sfEllipseFit(sgEllipseFitParams(), p, ours));
        const cv::RotatedRect theirs = cv::fitEllipseDirect(convert<Floats>(p));
        const V centre(theirs.center.x, theirs.center.y);
        const double w = 0.5 * theirs.size.width, h = 0.5 * theirs.size.height, a = std::max(w, h);
        const double b = std::min(w, h), angle = (theirs.angle + (h > w ? 90 : 0)) * kPi / 180;
        const sgEllipse& e = ours.ellipse;
        const double jOurs = fitCriterion(p, e.center(), e.r1(), e.r2(), e.rotation().toDouble());
        const double jTheirs = fitCriterion(p, centre, a, b, angle);
        EXPECT_LE(jOurs, jTheirs * (1.0 + 1e-5));  // OpenCV's value carries float rounding
        if (std::fabs(jTheirs - jOurs) > 1e-7 * jOurs) return false;
        ++agreed;
        const double tol = 1e-4 * e.r1(), turn = std::fmod(std::fabs(e.rotation().toDouble() - angle), kPi);
        EXPECT_LE((e.center() - centre).len(), 1.5 * tol);
        EXPECT_NEAR(e.r1(), a, tol);
        EXPECT_NEAR(e.r2(), b, tol);
        EXPECT_TRUE(a - b <= 1e-3 * a || std::min(turn, kPi - turn) <= 1e-3);
        return true;
      });
  EXPECT_GE(agreed, 200);
}

}  // namespace
