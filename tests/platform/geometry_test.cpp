// Tests of the foundation stand-in's value types: vectors, matrices, affine transforms, lines,
// segments, rectangles, angles and the small numeric helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "lynstd/lynstd.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = std::numbers::pi;

using V = sgVector<2>;

// ---- sgVector<2> -------------------------------------------------------------------------------

TEST(Vector, ArithmeticAndDotProduct) {
  const V a(1.0, 2.0), b(3.0, -4.0);
  EXPECT_EQ(a + b, V(4.0, -2.0));
  EXPECT_EQ(a - b, V(-2.0, 6.0));
  EXPECT_EQ(-a, V(-1.0, -2.0));
  EXPECT_EQ(a * 2.0, V(2.0, 4.0));
  EXPECT_EQ(2.0 * a, V(2.0, 4.0));
  EXPECT_EQ(b / 2.0, V(1.5, -2.0));
  EXPECT_DOUBLE_EQ(a * b, -5.0);
  EXPECT_DOUBLE_EQ(b.len(), 5.0);
  EXPECT_DOUBLE_EQ(a.distance(b), std::hypot(2.0, 6.0));
}

TEST(Vector, HugeLengthUnitOfZeroAngleAndPolarForm) {
  EXPECT_DOUBLE_EQ(V(3e200, 4e200).len(), 5e200);  // no overflow
  const V u = V(0.0, 0.0).unit();
  EXPECT_TRUE(std::isnan(u.x()) && std::isnan(u.y()));
  EXPECT_TRUE(sfRealEq(V(3.0, 4.0).unit(), V(0.6, 0.8), 1e-15));
  // Angles count counter-clockwise from the x axis, in (-pi, pi].
  EXPECT_DOUBLE_EQ(V(0.0, 1.0).angle().toDouble(), kPi / 2);
  EXPECT_DOUBLE_EQ(V(-1.0, 0.0).angle().toDouble(), kPi);
  EXPECT_DOUBLE_EQ(V(0.0, -1.0).angle().toDouble(), -kPi / 2);
  EXPECT_TRUE(sfRealEq(V(2.0, sgRadian(kPi / 2)), V(0.0, 2.0), 1e-15));
  EXPECT_TRUE(sfRealEq(V(2.0, sgRadian(sgDegree(180.0))), V(-2.0, 0.0), 1e-15));
}

TEST(Vector, EqualityIsExactAndNaNIsNeverEqual) {
  EXPECT_NE(V(0.1 + 0.2, 0.0), V(0.3, 0.0));
  EXPECT_NE(V(kNaN, 0.0), V(kNaN, 0.0));
  EXPECT_EQ(V(0.0, -0.0), V(-0.0, 0.0));
}

// ---- sgMatrix<2> -------------------------------------------------------------------------------

TEST(Matrix, RotationConventionIsCosMinusSinSinCos) {
  const double t = 0.3;
  const sgMatrix<2> r{sgRadian(t), sgRadian(t), 1.0, 1.0};
  EXPECT_DOUBLE_EQ(r(0, 0), std::cos(t));
  EXPECT_DOUBLE_EQ(r(0, 1), -std::sin(t));
  EXPECT_DOUBLE_EQ(r(1, 0), std::sin(t));
  EXPECT_DOUBLE_EQ(r(1, 1), std::cos(t));
  // Turns the x axis counter-clockwise.
  EXPECT_TRUE(sfRealEq(r * V(1.0, 0.0), V(std::cos(t), std::sin(t)), 1e-15));
  EXPECT_NEAR(r.determinant(), 1.0, 1e-15);
}

TEST(Matrix, RotationAndScaleFormTheColumns) {
  const sgMatrix<2> m(sgRadian(0.0), sgRadian(kPi / 2), 2.0, 3.0);
  // First column: x axis scaled by 2; second: y axis turned a quarter and scaled by 3.
  EXPECT_TRUE(sfRealEq(m, sgMatrix<2>(2.0, -3.0, 0.0, 0.0), 1e-15));
}

TEST(Matrix, DeterminantCacheIsStaleUntilSetdt) {
  sgMatrix<2> m(2.0, 1.0, 1.0, 1.0);
  EXPECT_EQ(m.determinant(), 1.0);
  m.set(0, 0, 5.0);
  EXPECT_EQ(m.element(0, 0), 5.0);
  EXPECT_EQ(m.determinant(), 1.0);  // stale by contract
  m.setdt();
  EXPECT_EQ(m.determinant(), 4.0);
}

TEST(Matrix, ProductTransposeAndInverse) {
  const sgMatrix<2> a(1.0, 2.0, 3.0, 4.0), b(0.0, 1.0, 1.0, 0.0);
  EXPECT_EQ(a * b, sgMatrix<2>(2.0, 1.0, 4.0, 3.0));
  EXPECT_EQ((a * b).determinant(), 2.0);
  EXPECT_EQ(a.transpose(), sgMatrix<2>(1.0, 3.0, 2.0, 4.0));
  const sgMatrix<2> c(2.0, 1.0, 1.0, 1.0);
  EXPECT_EQ(c.inverse(), sgMatrix<2>(1.0, -1.0, -1.0, 2.0));
  EXPECT_EQ(c.inverse().determinant(), 1.0);
  const sgMatrix<2> r{sgRadian(1.1), sgRadian(1.1), 1.0, 1.0};
  EXPECT_TRUE(sfRealEq(r.inverse(), r.transpose(), 1e-15));
}

TEST(Matrix, InverseOfTinyButRegularMatrixStaysFinite) {
  // The determinant 2^-1040 is subnormal (and exact); 1/d would overflow, dividing each element
  // by d does not.
  const double e = std::ldexp(1.0, -520);
  const sgMatrix<2> inv = sgMatrix<2>(e, 0.0, 0.0, e).inverse();
  EXPECT_EQ(inv(0, 0), std::ldexp(1.0, 520));
  EXPECT_EQ(inv(1, 1), std::ldexp(1.0, 520));
  EXPECT_EQ(inv(0, 1), 0.0);
}

TEST(Matrix, SingularMatrixThrowsSingularEvenWithStaleCache) {
  EXPECT_THROW(sgMatrix<2>(1.0, 2.0, 2.0, 4.0).inverse(), sgMathError::Singular);
  sgMatrix<2> m;  // identity, determinant 1
  m.set(0, 0, 0.0);
  m.set(1, 1, 0.0);  // now the zero matrix, cache still 1
  EXPECT_THROW(m.inverse(), sgMathError::Singular);
}

TEST(Matrix, RealEqIsElementWise) {
  EXPECT_TRUE(sfRealEq(sgMatrix<2>(1.0, 2.0, 3.0, 4.0), sgMatrix<2>(1.0, 2.0, 3.0, 4.0 + 1e-16), 1e-15));
  EXPECT_FALSE(sfRealEq(sgMatrix<2>(1.0, 2.0, 3.0, 4.0), sgMatrix<2>(1.0, 2.0, 3.1, 4.0), 1e-15));
  EXPECT_FALSE(sfRealEq(sgMatrix<2>(kNaN, 0.0, 0.0, 1.0), sgMatrix<2>(kNaN, 0.0, 0.0, 1.0), 1.0));
}

// ---- sgXform<2> --------------------------------------------------------------------------------

TEST(Xform, AppliesMatrixThenTranslation) {
  EXPECT_EQ(sgXform<2>::I * V(3.5, -2.0), V(3.5, -2.0));
  const sgXform<2> x(sgMatrix<2>(0.0, -1.0, 1.0, 0.0), V(10.0, 20.0));
  EXPECT_EQ(x * V(1.0, 2.0), V(8.0, 21.0));
}

TEST(Xform, CompositionAppliesRightOperandFirst) {
  const sgXform<2> a(sgMatrix<2>(2.0, 0.0, 0.0, 3.0), V(1.0, 1.0));
  const sgXform<2> b(sgMatrix<2>(0.0, -1.0, 1.0, 0.0), V(-5.0, 2.0));
  const V p(0.7, -1.3);
  EXPECT_TRUE(sfRealEq((a * b) * p, a * (b * p), 1e-14));
}

TEST(Xform, InverseUndoesTheTransform) {
  const sgXform<2> x(sgMatrix<2>(sgRadian(0.4), sgRadian(0.4), 2.0, 0.5), V(3.0, -7.0));
  const sgXform<2> inv = x.inverse();
  const V p(1.25, 9.5);
  EXPECT_TRUE(sfRealEq(inv * (x * p), p, 1e-13));
  EXPECT_TRUE(sfRealEq((x * inv).matrix(), sgMatrix<2>(), 1e-15));
  EXPECT_TRUE(sfRealEq((x * inv).trans(), V(0.0, 0.0), 1e-14));
}

TEST(Xform, SingularInverseThrows) {
  const sgXform<2> x(sgMatrix<2>(1.0, 1.0, 1.0, 1.0), V(1.0, 0.0));
  EXPECT_THROW(x.inverse(), sgMathError::Singular);
}

// ---- sgLine ------------------------------------------------------------------------------------

TEST(Line, IntersectOfCrossingLines) {
  const sgLine a(V(0.0, 0.0), V(2.0, 2.0));
  const sgLine b(V(0.0, 2.0), V(2.0, 0.0));
  EXPECT_TRUE(sfRealEq(a.intersect(b).position(), V(1.0, 1.0), 1e-15));
  EXPECT_TRUE(sfRealEq(b.intersect(a).position(), V(1.0, 1.0), 1e-15));
  const sgLine vertical(V(3.0, -1.0), V(3.0, 5.0));
  EXPECT_TRUE(sfRealEq(sgLine().intersect(vertical).position(), V(3.0, 0.0), 1e-15));
}

TEST(Line, IntersectOfParallelLinesThrowsSingular) {
  const sgLine a(V(0.0, 0.0), V(1.0, 0.0));
  const sgLine b(V(0.0, 1.0), V(5.0, 1.0));
  EXPECT_THROW(a.intersect(b), sgMathError::Singular);
  EXPECT_THROW(a.intersect(a), sgMathError::Singular);
}

TEST(Line, IsParallelForCollinearEdgesFromDifferentPoints) {
  // The same direction computed from different points differs in the last bits.
  const sgLine a(V(0.1, 0.2), V(0.7, 1.4));
  const sgLine b(V(1.3, 2.6), V(3.1, 6.2));
  EXPECT_TRUE(a.isParallel(b));
  EXPECT_TRUE(b.isParallel(a));
  EXPECT_TRUE(a.isParallel(sgLine(V(0.7, 1.4), V(0.1, 0.2))));  // opposite direction
  EXPECT_FALSE(a.isParallel(sgLine(V(0.0, 0.0), V(1.0, 2.0 + 1e-9))));
  EXPECT_FALSE(sgLine().isParallel(sgLine(V(0.0, 0.0), V(0.0, 1.0))));
}

TEST(Line, DegenerateLineHasNaNDirectionAndIsParallelToNothing) {
  const sgLine d(V(1.0, 1.0), V(1.0, 1.0));
  EXPECT_TRUE(std::isnan(d.direction().x()));
  EXPECT_FALSE(d.isParallel(sgLine()));
  EXPECT_FALSE(sgLine().isParallel(d));
}

TEST(Line, ProjectionIsFootOfPerpendicular) {
  const sgLine l(V(0.0, 0.0), V(4.0, 4.0));
  EXPECT_TRUE(sfRealEq(l.proj(V(0.0, 2.0)).position(), V(1.0, 1.0), 1e-15));
  EXPECT_TRUE(sfRealEq(l.proj(V(-3.0, -1.0)).position(), V(-2.0, -2.0), 1e-15));  // beyond p1
  EXPECT_DOUBLE_EQ(l.proj(V(0.0, 2.0)).distToPoint(V(0.0, 2.0)), std::sqrt(2.0));
}

TEST(Line, DistanceToInfiniteLine) {
  EXPECT_DOUBLE_EQ(sgLine().distToPoint(V(5.0, -3.0)), 3.0);  // the default is the x axis
  const sgLine l(V(1.0, 0.0), V(1.0, 10.0));
  EXPECT_DOUBLE_EQ(l.distToPoint(V(4.0, -100.0)), 3.0);
  EXPECT_DOUBLE_EQ(l.distToPoint(V(1.0, 55.0)), 0.0);
}

// ---- sgLineSeg ---------------------------------------------------------------------------------

struct SegmentCase {
  const char* name;
  V p1, p2, q;
  double distance;
};

class SegmentDistance : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentDistance, KnownAnswer) {
  const SegmentCase& c = GetParam();
  EXPECT_NEAR(sgLineSeg(c.p1, c.p2).distToPoint(c.q), c.distance, 1e-15) << c.name;
  EXPECT_NEAR(sgLineSeg(c.p2, c.p1).distToPoint(c.q), c.distance, 1e-15) << c.name << " (reversed)";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SegmentDistance,
    ::testing::Values(SegmentCase{"PerpendicularToInterior", V(0, 0), V(4, 0), V(1, 3), 3.0},
                      SegmentCase{"OnTheSegment", V(0, 0), V(4, 0), V(2.5, 0), 0.0},
                      SegmentCase{"AtFirstEnd", V(0, 0), V(4, 0), V(0, 0), 0.0},
                      SegmentCase{"AtSecondEnd", V(0, 0), V(4, 0), V(4, 0), 0.0},
                      SegmentCase{"BeyondFirstEnd", V(0, 0), V(4, 0), V(-3, 4), 5.0},
                      SegmentCase{"BeyondSecondEnd", V(0, 0), V(4, 0), V(7, -4), 5.0},
                      SegmentCase{"OnLineBeyondEnd", V(0, 0), V(4, 0), V(6, 0), 2.0},
                      SegmentCase{"PerpendicularAtEnd", V(0, 0), V(4, 0), V(4, 2), 2.0},
                      SegmentCase{"Diagonal", V(0, 0), V(2, 2), V(0, 2), std::sqrt(2.0)},
                      SegmentCase{"ZeroLength", V(1, 1), V(1, 1), V(4, 5), 5.0},
                      SegmentCase{"ZeroLengthAtPoint", V(1, 1), V(1, 1), V(1, 1), 0.0}),
    [](const ::testing::TestParamInfo<SegmentCase>& info) { return std::string(info.param.name); });

TEST(LineSeg, NaNPropagates) {
  const sgLineSeg s(V(0.0, 0.0), V(1.0, 0.0));
  EXPECT_TRUE(std::isnan(s.distToPoint(V(kNaN, 0.0))));
  EXPECT_TRUE(std::isnan(s.distToPoint(V(0.5, kNaN))));
  EXPECT_TRUE(std::isnan(s.distToPoint(V(kInf, kNaN))));  // hypot(inf, NaN) would be inf
  EXPECT_TRUE(std::isnan(sgLineSeg(V(kNaN, 0.0), V(1.0, 0.0)).distToPoint(V(0.0, 0.0))));
  EXPECT_TRUE(std::isnan(sgLineSeg(V(0.0, 0.0), V(0.0, kNaN)).distToPoint(V(0.0, 0.0))));
  EXPECT_TRUE(std::isnan(sgLineSeg(V(kNaN, kNaN), V(kNaN, kNaN)).distToPoint(V(0.0, 0.0))));
}

TEST(LineSeg, HugeCoordinatesDoNotOverflow) {
  const sgLineSeg s(V(-1e200, 0.0), V(1e200, 0.0));
  EXPECT_DOUBLE_EQ(s.distToPoint(V(5e199, 3e199)), 3e199);
  EXPECT_DOUBLE_EQ(sgLineSeg(V(1.0, 1.0), V(1.0, 3.0)).length(), 2.0);
}

// ---- sgRect ------------------------------------------------------------------------------------

sgRect pointRect(const V& p) { return sgRect(p, V(0.0, 0.0)); }

TEST(Rect, EncloseIsTheBoundingBox) {
  EXPECT_EQ(pointRect(V(3.0, -1.0)).enclose(pointRect(V(1.0, 4.0))), sgRect(V(1.0, -1.0), V(2.0, 5.0)));
  const sgRect outer(V(0.0, 0.0), V(10.0, 10.0)), inner(V(2.0, 3.0), V(1.0, 1.0));
  EXPECT_EQ(outer.enclose(inner), outer);
  EXPECT_EQ(inner.enclose(outer), outer);
  const sgRect a(V(0.0, 0.0), V(1.0, 1.0)), b(V(5.0, -3.0), V(2.0, 1.0));
  EXPECT_EQ(a.enclose(b), sgRect(V(0.0, -3.0), V(7.0, 4.0)));
}

TEST(Rect, WithinIncludesEdgesAndCorners) {
  const sgRect r(V(1.0, 2.0), V(3.0, 4.0));
  EXPECT_TRUE(r.within(V(2.0, 3.0)));
  EXPECT_TRUE(r.within(V(1.0, 2.0)));
  EXPECT_TRUE(r.within(V(4.0, 6.0)));
  EXPECT_TRUE(r.within(V(1.0, 6.0)));
  EXPECT_TRUE(r.within(V(2.5, 2.0)));
  EXPECT_FALSE(r.within(V(std::nextafter(1.0, 0.0), 3.0)));
  EXPECT_FALSE(r.within(V(2.0, std::nextafter(6.0, 7.0))));
  EXPECT_FALSE(r.within(V(5.0, 3.0)));
  EXPECT_TRUE(pointRect(V(0.1, 0.7)).within(V(0.1, 0.7)));
  EXPECT_FALSE(pointRect(V(0.1, 0.7)).within(V(0.1, std::nextafter(0.7, 1.0))));
}

TEST(Rect, EnclosedPointsTestWithinDespiteRounding) {
  // Sizes such as 0.3 - 0.1 are rounded; within() must still hold every point that built the box.
  const std::vector<V> pts = {V(0.1, 0.2), V(0.3, 0.7), V(-1e-17, 1e17), V(1e-300, -0.3), V(0.29, 0.31)};
  sgRect r = pointRect(pts[0]);
  for (const V& p : pts) r = r.enclose(pointRect(p));
  for (const V& p : pts) EXPECT_TRUE(r.within(p)) << p.x() << ", " << p.y();
}

TEST(Rect, NaNPropagatesThroughEncloseAndIsNeverWithin) {
  const sgRect r = pointRect(V(0.0, 0.0)).enclose(pointRect(V(kNaN, 1.0)));
  EXPECT_TRUE(std::isnan(r.x()));
  EXPECT_FALSE(r.within(V(0.0, 0.0)));
  EXPECT_FALSE(sgRect(V(0.0, 0.0), V(1.0, 1.0)).within(V(kNaN, 0.5)));
}

// ---- Simple shapes -----------------------------------------------------------------------------

TEST(Shapes, PolygonIndexingIsChecked) {
  const sgPolygon poly({V(0, 0), V(1, 0), V(0, 1)}, sgPolygon::eNonZeroWinding);
  EXPECT_EQ(poly.size(), 3);
  EXPECT_EQ(poly[2], V(0, 1));
  EXPECT_EQ(poly.fillMode(), sgPolygon::eNonZeroWinding);
  EXPECT_THROW(poly[3], std::out_of_range);
  EXPECT_THROW(poly[-1], std::out_of_range);
}

// ---- Angles ------------------------------------------------------------------------------------

struct NormCase {
  double in, out;
};

class RadianNorm : public ::testing::TestWithParam<NormCase> {};

TEST_P(RadianNorm, BringsIntoOneTurn) {
  const double r = sgRadian(GetParam().in).norm().toDouble();
  EXPECT_NEAR(r, GetParam().out, 1e-15 * std::max(1.0, std::fabs(GetParam().in))) << GetParam().in;
  EXPECT_GE(r, 0.0);
  EXPECT_LT(r, 2 * kPi);
}

INSTANTIATE_TEST_SUITE_P(Cases, RadianNorm,
                         ::testing::Values(NormCase{0.0, 0.0}, NormCase{1.0, 1.0},
                                           NormCase{7.0, 7.0 - 2 * kPi}, NormCase{-1.0, 2 * kPi - 1.0},
                                           NormCase{2 * kPi, 0.0}, NormCase{-2 * kPi, 0.0},
                                           NormCase{-kPi, kPi},
                                           NormCase{-1e-20, 0.0},  // rounds to 2 pi: must give 0
                                           NormCase{-1e-300, 0.0}, NormCase{13 * kPi, kPi}));

TEST(Angles, DegreesAndRadiansConvert) {
  EXPECT_DOUBLE_EQ(sgRadian(sgDegree(180.0)).toDouble(), kPi);
  EXPECT_DOUBLE_EQ(sgDegree(sgRadian(kPi / 2)).toDouble(), 90.0);
}

// ---- Numeric helpers ---------------------------------------------------------------------------

TEST(IFloor, FloorsTowardsMinusInfinitySaturatesOutsideLongAndGivesZeroForNaN) {
  EXPECT_EQ(sfIFloor(2.7), 2);
  EXPECT_EQ(sfIFloor(-2.3), -3);
  EXPECT_EQ(sfIFloor(-5.0), -5);
  EXPECT_EQ(sfIFloor(kNaN), 0);
  EXPECT_EQ(sfIFloor(1e300), LONG_MAX);
  EXPECT_EQ(sfIFloor(kInf), LONG_MAX);
  EXPECT_EQ(sfIFloor(-1e300), LONG_MIN);
  EXPECT_EQ(sfIFloor(-kInf), LONG_MIN);
  EXPECT_EQ(sfIFloor(9.2233720368547758e18), LONG_MAX);   // 2^63 itself does not fit
  EXPECT_EQ(sfIFloor(-9.2233720368547758e18), LONG_MIN);  // -2^63 does
  EXPECT_EQ(sfIFloor(4.6e18), 4600000000000000000L);
}

TEST(RealEq, ComparesWithinTolerance) {
  EXPECT_TRUE(sfRealEq(1.0, 1.0 + 1e-16, 1e-15));
  EXPECT_TRUE(sfRealEq(1.0, 1.5, 0.5));
  EXPECT_FALSE(sfRealEq(1.0, 1.5 + 1e-9, 0.5));
  EXPECT_FALSE(sfRealEq(kNaN, kNaN, 1.0));
  EXPECT_FALSE(sfRealEq(kInf, kInf, 1.0));  // inf - inf is NaN
  EXPECT_TRUE(sfRealEq(V(1.0, 2.0), V(1.0 + 1e-16, 2.0 - 1e-16), 1e-15));
  EXPECT_FALSE(sfRealEq(V(1.0, 2.0), V(1.0, 2.1), 1e-15));
}

TEST(Pair, OrdersByFirstThenSecond) {
  EXPECT_LT(sgPair<long>(1, 9), sgPair<long>(2, 0));
  EXPECT_LT(sgPair<long>(1, 2), sgPair<long>(1, 3));
  EXPECT_FALSE(sgPair<long>(1, 3) < sgPair<long>(1, 3));
}

}  // namespace
