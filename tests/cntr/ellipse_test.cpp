// The ellipse with the moments of an inertia record, the ellipse fit with its circle and default
// fall-backs, and the population standard deviation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "cntr/moments.h"
#include "lynstd/fit.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// Points of the ellipse with centre c, radius r1 along `rotation` and r2 across it.
Points ellipsePoints(const V& c, double r1, double r2, double rotation, int n) {
  Points out;
  const double cr = std::cos(rotation), sr = std::sin(rotation);
  for (int i = 0; i < n; ++i) {
    const double t = 2.0 * kPi * i / n;
    const double x = r1 * std::cos(t), y = r2 * std::sin(t);
    out.push_back(c + V(cr * x - sr * y, sr * x + cr * y));
  }
  return out;
}

/// The 4 x 2 rectangle turned by `angle` about the origin and moved to `center`.
Points turnedRectangle(const V& center, double angle) {
  const V along(2 * std::cos(angle), 2 * std::sin(angle));
  const V across(-std::sin(angle), std::cos(angle));
  return {center - along - across, center + along - across, center + along + across, center - along + across};
}

// ---- sf_EllipseFromInertiaData -----------------------------------------------------------------

TEST(EllipseFromInertiaData, RectangleFourByTwoLyingAndUpright) {
  const sgEllipse e =
      sf_EllipseFromInertiaData(sg_InertiaData(8, V(2, 1), sgMatrix<2>(32.0 / 3.0, 0, 0, 8.0 / 3.0)));
  EXPECT_NEAR(e.r1(), 2.282928, 1e-6);
  EXPECT_NEAR(e.r2(), 1.141464, 1e-6);
  EXPECT_EQ(e.rotation(), sgRadian(0.0));
  EXPECT_EQ(e.center(), V(2, 1));
  EXPECT_EQ(e.geom().flags, 0ul);
  // Upright, the first radius turns upright.
  const sgEllipse tall =
      sf_EllipseFromInertiaData(sg_InertiaData(8, V(0, 0), sgMatrix<2>(8.0 / 3.0, 0, 0, 32.0 / 3.0)));
  EXPECT_NEAR(tall.rotation().toDouble(), kPi / 2, 1e-15);
  EXPECT_NEAR(tall.r1(), 2.282928, 1e-6);
  EXPECT_NEAR(tall.r2(), 1.141464, 1e-6);
}

TEST(EllipseFromInertiaData, TurnedRectangleGivesTheTurnedEllipse) {
  for (double angle : {0.5, -1.2, 1.5}) {
    const sgEllipse e = sf_EllipseFromInertiaData(sf_InertiaDataPolygon(turnedRectangle(V(3, -1), angle)));
    EXPECT_NEAR(e.rotation().toDouble(), angle, 1e-12) << angle;
    EXPECT_NEAR(e.r1(), 2.282928, 1e-6) << angle;
    EXPECT_NEAR(e.r2(), 1.141464, 1e-6) << angle;
    EXPECT_TRUE(sfRealEq(e.center(), V(3, -1), 1e-12)) << angle;
  }
  // Beyond a quarter turn the axis is reported by its opposite direction.
  const sgEllipse e = sf_EllipseFromInertiaData(sf_InertiaDataPolygon(turnedRectangle(V(0, 0), 2.0)));
  EXPECT_NEAR(e.rotation().toDouble(), 2.0 - kPi, 1e-12);
}

TEST(EllipseFromInertiaData, SolidEllipseIsRecovered) {
  // A fine polygon on the ellipse has nearly the solid ellipse's moments.
  const sgEllipse e =
      sf_EllipseFromInertiaData(sf_InertiaDataPolygon(ellipsePoints(V(1, 2), 5, 2, 0.3, 4000)));
  EXPECT_NEAR(e.r1(), 5.0, 1e-5);
  EXPECT_NEAR(e.r2(), 2.0, 1e-5);
  EXPECT_NEAR(e.rotation().toDouble(), 0.3, 1e-9);
  EXPECT_TRUE(sfRealEq(e.center(), V(1, 2), 1e-9));
}

TEST(EllipseFromInertiaData, EqualPrincipalMomentsGiveACircle) {
  const sgEllipse e = sf_EllipseFromInertiaData(sg_InertiaData(1, V(-4, 7), sgMatrix<2>(5, 0, 0, 5)));
  EXPECT_EQ(e.rotation(), sgRadian(0.0));
  EXPECT_DOUBLE_EQ(e.r1(), std::pow(16.0 * 5.0 * 5.0 / (kPi * kPi), 0.125));
  EXPECT_DOUBLE_EQ(e.r2(), e.r1());
}

TEST(EllipseFromInertiaData, DegenerateMomentsAreSingular) {
  const auto ellipseOf = [](const sgMatrix<2>& m) {
    return sf_EllipseFromInertiaData(sg_InertiaData(1, V(), m));
  };
  EXPECT_THROW(sf_EllipseFromInertiaData(sg_InertiaData()), sgMathError::Singular);
  EXPECT_THROW(ellipseOf(sgMatrix<2>(3, 0, 0, 0)), sgMathError::Singular);      // a line along x
  EXPECT_THROW(ellipseOf(sgMatrix<2>(2, 2, 2, 2)), sgMathError::Singular);      // a line at 45 degrees
  EXPECT_THROW(ellipseOf(sgMatrix<2>(1, 0, 0, 1e-12)), sgMathError::Singular);  // at the threshold
  EXPECT_THROW(ellipseOf(sgMatrix<2>(kNaN, 0, 0, 1)), sgMathError::Singular);
  EXPECT_NO_THROW(ellipseOf(sgMatrix<2>(1, 0, 0, 1e-11)));
  // Collinear points make a zero record.
  EXPECT_THROW(sf_EllipseFromInertiaData(sf_InertiaDataPolygon({V(0, 0), V(1, 1), V(3, 3)})),
               sgMathError::Singular);
}

// ---- sf_FitEllipse -----------------------------------------------------------------------------

TEST(FitEllipse, PointsOnAnEllipseAreFitted) {
  sgEllipse e;
  double error = -5.0;
  sf_FitEllipse(ellipsePoints(V(3, -1), 4, 1.5, 0.5, 40), e, error);
  EXPECT_TRUE(sfRealEq(e.center(), V(3, -1), 1e-9));
  EXPECT_NEAR(e.r1(), 4.0, 1e-9);
  EXPECT_NEAR(e.r2(), 1.5, 1e-9);
  EXPECT_NEAR(e.rotation().toDouble(), 0.5, 1e-9);
  EXPECT_GE(error, 0.0);
  EXPECT_LT(error, 1e-9);
}

TEST(FitEllipse, UsesPlainLeastSquaresWithoutRefinement) {
  // An outlier would be dropped by a refining fit; the plain fit keeps it and reports its error.
  Points points = ellipsePoints(V(0, 0), 5, 3, 0.2, 30);
  points.push_back(V(9, 9));
  sgEllipseFitResults expected;
  sfEllipseFit(
      sgEllipseFitParams(eFitLeastSquares, sgRadian(0.0), 0, std::numeric_limits<double>::infinity()), points,
      expected);
  sgEllipse e;
  double error = -5.0;
  sf_FitEllipse(points, e, error);
  EXPECT_EQ(e, expected.ellipse);
  EXPECT_EQ(error, expected.error);
  EXPECT_GT(error, 0.01);
}

TEST(FitEllipse, TooFewPointsForAnEllipseFallBackToACircle) {
  const Points points = {V(4, 2), V(1 + 3 * std::cos(1.0), 2 + 3 * std::sin(1.0)),
                         V(1 + 3 * std::cos(2.5), 2 + 3 * std::sin(2.5)),
                         V(1 + 3 * std::cos(4.0), 2 + 3 * std::sin(4.0))};
  sgEllipseFitResults refused;
  ASSERT_THROW(sfEllipseFit(sgEllipseFitParams(), points, refused), sgException);
  sgEllipse e;
  double error = -5.0;
  sf_FitEllipse(points, e, error);
  EXPECT_TRUE(sfRealEq(e.center(), V(1, 2), 1e-12));
  EXPECT_NEAR(e.r1(), 3.0, 1e-12);
  EXPECT_EQ(e.r2(), e.r1());
  EXPECT_EQ(e.rotation(), sgRadian(0.0));
  EXPECT_GE(error, 0.0);
  EXPECT_LT(error, 1e-12);
}

TEST(FitEllipse, WhenBothFitsRefuseTheResultIsTheDefaultEllipse) {
  Points line;
  for (int i = 0; i < 10; ++i) line.push_back(V(i, 2.0 * i + 1.0));
  for (const Points& points : {line, Points{V(1, 1), V(2, 5)}, Points{}}) {
    sgEllipse e(sgCircle(V(7, 7), 3));
    double error = 12.0;
    sf_FitEllipse(points, e, error);
    EXPECT_EQ(e, sgEllipse());
    EXPECT_EQ(error, -1.0);
  }
}

TEST(FitEllipse, EdgeletFormFitsThePositions) {
  for (const Points& points : {ellipsePoints(V(3, -1), 4, 1.5, 0.5, 12), Points{V(0, 0), V(2, 0), V(0, 2)},
                               Points{V(0, 0), V(1, 1)}}) {
    std::vector<sgEdgelet> edgelets;
    for (const V& p : points) edgelets.emplace_back(p, 100, sgAngle8(17));
    sgEllipse fromPoints, fromEdgelets;
    double pointError = 0.0, edgeletError = 0.0;
    sf_FitEllipse(points, fromPoints, pointError);
    sf_FitEllipse(edgelets, fromEdgelets, edgeletError);
    EXPECT_EQ(fromEdgelets, fromPoints);
    EXPECT_EQ(edgeletError, pointError);
  }
}

// ---- sf_StdDev ---------------------------------------------------------------------------------

TEST(StdDev, DividesByTheCountInTwoPassesAndIsNaNForNoValues) {
  EXPECT_DOUBLE_EQ(sf_StdDev({1, 2, 3, 4}), std::sqrt(1.25));
  EXPECT_DOUBLE_EQ(sf_StdDev({2, 4}), 1.0);
  EXPECT_DOUBLE_EQ(sf_StdDev({-3, -3, -3}), 0.0);
  EXPECT_EQ(sf_StdDev({42.5}), 0.0);
  // Two passes (mean first) keep the spread of values far from zero.
  EXPECT_NEAR(sf_StdDev({1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4}), std::sqrt(1.25), 1e-6);
  EXPECT_TRUE(std::isnan(sf_StdDev({})));
}

}  // namespace
