// Hand-computed cases of the polygon moments: the inertia record and its combination rule,
// sf_InertiaDataPolygon, sf_Area and the centroid functions in their point and edgelet forms.
#include "cntr/moments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;

constexpr double kTol = 1e-12;

const Points kRectangle = {V(0, 0), V(4, 0), V(4, 2), V(0, 2)};
const Points kLShape = {V(0, 0), V(4, 0), V(4, 1), V(1, 1), V(1, 3), V(0, 3)};

Points reversed(Points p) {
  std::reverse(p.begin(), p.end());
  return p;
}

Points rotatedStart(Points p, long k) {
  std::rotate(p.begin(), p.begin() + k, p.end());
  return p;
}

std::vector<sgEdgelet> edgeletsAt(const Points& points) {
  std::vector<sgEdgelet> out;
  for (const V& p : points) out.emplace_back(p, 7, sgAngle8(3));
  return out;
}

void expectRecord(const sg_InertiaData& d, double area, const V& center, double m00, double m01, double m11,
                  double tol = kTol) {
  EXPECT_NEAR(d.area(), area, tol);
  EXPECT_NEAR(d.centerOfMass().x(), center.x(), tol);
  EXPECT_NEAR(d.centerOfMass().y(), center.y(), tol);
  const sgMatrix<2>& m = d.inertiaMatrix();
  EXPECT_NEAR(m(0, 0), m00, tol);
  EXPECT_NEAR(m(0, 1), m01, tol);
  EXPECT_NEAR(m(1, 0), m01, tol);
  EXPECT_NEAR(m(1, 1), m11, tol);
  EXPECT_NEAR(m.determinant(), m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0), tol);
}

void expectSameRecord(const sg_InertiaData& a, const sg_InertiaData& b, double tol = kTol) {
  const sgMatrix<2>& m = b.inertiaMatrix();
  expectRecord(a, b.area(), b.centerOfMass(), m(0, 0), m(0, 1), m(1, 1), tol);
}

void expectZeroRecord(const sg_InertiaData& d) {
  EXPECT_EQ(d.area(), 0.0);
  EXPECT_EQ(d.centerOfMass(), V(0, 0));
  EXPECT_EQ(d.inertiaMatrix(), sgMatrix<2>(0, 0, 0, 0));
  EXPECT_EQ(d.inertiaMatrix().determinant(), 0.0);
}

// ---- sg_InertiaData ----------------------------------------------------------------------------

TEST(InertiaData, ZeroAreaOperandLeavesTheOtherUnchanged) {
  // The zero-area operand's other members are deliberately not zero: they must be ignored.
  const sg_InertiaData zero(0.0, V(5, 5), sgMatrix<2>(1, 2, 3, 4));
  const sg_InertiaData b(-3.5, V(1, -2), sgMatrix<2>(6, 1, 1, 2));
  for (const sg_InertiaData& sum : {zero + b, b + zero}) {
    EXPECT_EQ(sum.area(), b.area());
    EXPECT_EQ(sum.centerOfMass(), b.centerOfMass());
    EXPECT_EQ(sum.inertiaMatrix(), b.inertiaMatrix());
    EXPECT_EQ(sum.inertiaMatrix().determinant(), b.inertiaMatrix().determinant());
  }
}

TEST(InertiaData, AreasCancellingWithin1e16GiveCentreAtOrigin) {
  const sg_InertiaData a(3e-17, V(3, 4), sgMatrix<2>(1, 0, 0, 1));
  const sg_InertiaData b(-2e-17, V(3, 4), sgMatrix<2>(1, 0, 0, 1));
  const sg_InertiaData sum = a + b;
  EXPECT_DOUBLE_EQ(sum.area(), 1e-17);
  EXPECT_EQ(sum.centerOfMass(), V(0, 0));
}

TEST(InertiaData, AdjacentPiecesCombineToTheirUnion) {
  const sg_InertiaData left = sf_InertiaDataPolygon({V(0, 0), V(2, 0), V(2, 2), V(0, 2)});
  const sg_InertiaData right = sf_InertiaDataPolygon({V(2, 0), V(4, 0), V(4, 2), V(2, 2)});
  expectRecord(left + right, 8, V(2, 1), 32.0 / 3.0, 0, 8.0 / 3.0);
  // Clockwise pieces combine to the clockwise union: negative area, the same moments.
  const sg_InertiaData leftCw = sf_InertiaDataPolygon(reversed({V(0, 0), V(2, 0), V(2, 2), V(0, 2)}));
  const sg_InertiaData rightCw = sf_InertiaDataPolygon(reversed({V(2, 0), V(4, 0), V(4, 2), V(2, 2)}));
  expectRecord(leftCw + rightCw, -8, V(2, 1), 32.0 / 3.0, 0, 8.0 / 3.0);
}

TEST(InertiaData, OppositeOrientationSubtractsTheNegativeFigure) {
  // The 4 x 2 rectangle minus the unit square [1, 2] x [0.5, 1.5]: centre (29/14, 1);
  // (0,0) = 32/3 + 8 (1/14)^2 - 1/12 - (8/14)^2 = 865/84, (1,1) = 8/3 - 1/12 = 31/12.
  const sg_InertiaData outer = sf_InertiaDataPolygon(kRectangle);
  const sg_InertiaData hole = sf_InertiaDataPolygon(reversed({V(1, 0.5), V(2, 0.5), V(2, 1.5), V(1, 1.5)}));
  ASSERT_NEAR(hole.area(), -1.0, kTol);
  expectRecord(outer + hole, 7, V(29.0 / 14.0, 1), 865.0 / 84.0, 0, 31.0 / 12.0);
  expectRecord(hole + outer, 7, V(29.0 / 14.0, 1), 865.0 / 84.0, 0, 31.0 / 12.0);
}

// ---- sf_InertiaDataPolygon ---------------------------------------------------------------------

TEST(InertiaDataPolygon, RectangleAndLShapeWhateverTheStartVertexAndRepeatedVertices) {
  expectRecord(sf_InertiaDataPolygon(kRectangle), 8, V(2, 1), 32.0 / 3.0, 0, 8.0 / 3.0);
  // Clockwise: negative area, the same moments.
  expectRecord(sf_InertiaDataPolygon(reversed(kRectangle)), -8, V(2, 1), 32.0 / 3.0, 0, 8.0 / 3.0);
  for (long k = 0; k < static_cast<long>(kLShape.size()); ++k)
    expectRecord(sf_InertiaDataPolygon(rotatedStart(kLShape, k)), 6, V(1.5, 1), 8.5, -3, 4);
  const Points withRepeats = {V(0, 0), V(0, 0), V(4, 0), V(4, 1), V(1, 1),
                              V(1, 1), V(1, 3), V(0, 3), V(0, 3)};
  expectRecord(sf_InertiaDataPolygon(withRepeats), 6, V(1.5, 1), 8.5, -3, 4);
}

TEST(InertiaDataPolygon, ClockwiseNonStarQuadrilateralFromEveryStart) {
  // Clockwise, and not star-shaped about its centroid: a fan from the centroid mixes pieces of
  // both orientations. Area -2, centre (9, 89/6), moments 1/3, -7/6, 52/9; reversed, area 2.
  const Points quad = {V(9, 15), V(8, 16), V(9, 17), V(10, 9)};
  for (long k = 0; k < 4; ++k) {
    expectRecord(sf_InertiaDataPolygon(rotatedStart(quad, k)), -2, V(9, 89.0 / 6.0), 1.0 / 3.0, -7.0 / 6.0,
                 52.0 / 9.0);
    expectRecord(sf_InertiaDataPolygon(reversed(rotatedStart(quad, k))), 2, V(9, 89.0 / 6.0), 1.0 / 3.0,
                 -7.0 / 6.0, 52.0 / 9.0);
  }
}

TEST(InertiaDataPolygon, SmallAndFarFiguresKeepTheirDigits) {
  // A unit right triangle 6000 units out, and one of area 5e-7 at (1, 1) (legs of 2^-10, so
  // that the corners are exact): centre at a third of the legs, moments A a^2 / 18 (A the area,
  // a the leg) and -A a^2 / 36 across.
  for (const auto& [corner, leg] : {std::pair{V(6000, -6000), 1.0}, std::pair{V(1, 1), 1.0 / 1024}}) {
    const double area = leg * leg / 2;
    const sg_InertiaData d = sf_InertiaDataPolygon({corner, corner + V(leg, 0), corner + V(0, leg)});
    const double m = area * leg * leg / 18;
    expectRecord(d, area, corner + V(leg / 3, leg / 3), m, -m / 2, m, 1e-15 * std::max(1.0, 6000 * leg));
    EXPECT_NEAR(d.inertiaMatrix()(0, 0) / m, 1.0, 1e-13);
    EXPECT_NEAR(d.inertiaMatrix()(0, 1) / m, -0.5, 1e-13);
  }
}

TEST(InertiaDataPolygon, FigureWithoutAreaGivesTheZeroRecord) {
  // Collinear points, a bow tie whose lobes cancel, and a sliver of area 2^-45 (3e-14) on a
  // unit base, below 1e-12 of its squared extent; a sliver of area 2^-37 (7e-12) is measured.
  expectZeroRecord(sf_InertiaDataPolygon({V(1, 0), V(2, 1), V(3, 2), V(5, 4)}));
  expectZeroRecord(sf_InertiaDataPolygon({V(0, 0), V(2, 2), V(2, 0), V(0, 2)}));
  expectZeroRecord(sf_InertiaDataPolygon({V(7, 7), V(8, 7), V(7.5, 7 + std::ldexp(1.0, -44))}));
  EXPECT_DOUBLE_EQ(sf_InertiaDataPolygon({V(7, 7), V(8, 7), V(7.5, 7 + std::ldexp(1.0, -36))}).area(),
                   std::ldexp(1.0, -37));
}

TEST(InertiaDataPolygon, TriangleWithApexOutsideItsBase) {
  // (3, 2) projects beyond the base (0,0)-(1,0). Area 1, centroid (4/3, 2/3); central moments
  // A/18 (sum x^2 - sum xixj) = 7/18 and 2/9, cross moment 14/12 - 8/9 = 5/18.
  const Points triangle = {V(0, 0), V(1, 0), V(3, 2)};
  for (long k = 0; k < 3; ++k)
    expectRecord(sf_InertiaDataPolygon(rotatedStart(triangle, k)), 1, V(4.0 / 3.0, 2.0 / 3.0), 7.0 / 18.0,
                 5.0 / 18.0, 2.0 / 9.0);
  // The same triangle listed so that the apex projects inside its first side.
  expectSameRecord(sf_InertiaDataPolygon({V(1, 0), V(3, 2), V(0, 0)}), sf_InertiaDataPolygon(triangle));
}

TEST(InertiaDataPolygon, CentroidOnAVertex) {
  // The chevron's centroid (0, 1) is its own reflex vertex, so one fan piece has two equal corners.
  // It is the triangle (-3,0),(3,0),(0,2) (area 6, moments 9 and 4/3 about its centroid (0, 2/3))
  // minus (-3,0),(3,0),(0,1) (area 3, moments 4.5 and 1/6 about (0, 1/3)).
  const Points chevron = {V(-3, 0), V(0, 1), V(3, 0), V(0, 2)};
  ASSERT_EQ(snContour::centerOfMass(chevron), V(0, 1));
  expectRecord(sf_InertiaDataPolygon(chevron), 3, V(0, 1), 4.5, 0, 0.5);
}

TEST(InertiaDataPolygon, FewerThanThreePointsGiveTheZeroRecordLikeTheDefault) {
  expectZeroRecord(sg_InertiaData());
  expectZeroRecord(sf_InertiaDataPolygon({}));
  expectZeroRecord(sf_InertiaDataPolygon({V(1, 2)}));
  expectZeroRecord(sf_InertiaDataPolygon({V(1, 2), V(5, -3)}));
}

TEST(InertiaDataPolygon, NaNPointDoesNotCrash) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const sg_InertiaData d = sf_InertiaDataPolygon({V(0, 0), V(4, 0), V(nan, 1), V(0, 2)});
  EXPECT_TRUE(std::isnan(d.area()));
}

// ---- sf_Area and the centroid -------------------------------------------------------------------

TEST(PolygonArea, IsUnsignedShoelaceAreaAndZeroForDegenerateLists) {
  EXPECT_DOUBLE_EQ(sf_Area(kRectangle), 8.0);
  EXPECT_DOUBLE_EQ(sf_Area(reversed(kRectangle)), 8.0);
  EXPECT_DOUBLE_EQ(sf_Area(kLShape), 6.0);
  // A bow tie's lobes cancel in the signed sum.
  EXPECT_DOUBLE_EQ(sf_Area({V(0, 0), V(2, 2), V(2, 0), V(0, 2)}), 0.0);
  EXPECT_EQ(sf_Area(Points{}), 0.0);
  EXPECT_EQ(sf_Area(Points{V(3, 4), V(-1.3, 7.1)}), 0.0);
  EXPECT_EQ(sf_Area(Points{V(1, 0), V(2, 1), V(3, 2), V(5, 4)}), 0.0);
}

TEST(PolygonCentroid, RectangleAndLShape) {
  EXPECT_NEAR(snContour::centerOfMass(kRectangle).x(), 2.0, kTol);
  EXPECT_NEAR(snContour::centerOfMass(kRectangle).y(), 1.0, kTol);
  EXPECT_NEAR(snContour::centerOfMass(reversed(kLShape)).x(), 1.5, kTol);
  EXPECT_NEAR(snContour::centerOfMass(reversed(kLShape)).y(), 1.0, kTol);
  EXPECT_EQ(sf_CenterOfMass(kLShape), snContour::centerOfMass(kLShape));
}

TEST(PolygonCentroid, DegenerateListsGiveOrigin) {
  EXPECT_EQ(snContour::centerOfMass(Points{}), V(0, 0));
  EXPECT_EQ(snContour::centerOfMass(Points{V(5, 5), V(6, 7)}), V(0, 0));
  // Collinear points off the origin: the weights sum to zero.
  EXPECT_EQ(snContour::centerOfMass(Points{V(1, 0), V(2, 1), V(3, 2), V(5, 4)}), V(0, 0));
  // An area of 5e-14 on a unit base: below 1e-12 of the squared extent.
  EXPECT_EQ(snContour::centerOfMass(Points{V(10, 10), V(11, 10), V(10.5, 10 + 1e-13)}), V(0, 0));
}

TEST(PolygonCentroid, TinyFiguresAreMeasuredWhateverTheirAbsoluteArea) {
  // The threshold is relative to the figure: a triangle of area 2.5e-7, and one of 5e-19.
  for (const double leg : {1e-3, 1e-9}) {
    const V c = snContour::centerOfMass(Points{V(10, 10), V(10 + leg, 10), V(10, 10 + leg / 2)});
    EXPECT_NEAR(c.x(), 10 + leg / 3, 1e-15 * 10);
    EXPECT_NEAR(c.y(), 10 + leg / 6, 1e-15 * 10);
  }
  // Products of coordinates this large or small leave the range of doubles unless scaled.
  for (const double leg : {1e-150, 1e120}) {
    const V c = snContour::centerOfMass(Points{V(0, 0), V(leg, 0), V(0, leg / 2)});
    EXPECT_NEAR(c.x() / leg, 1.0 / 3, 1e-15);
    EXPECT_NEAR(c.y() / leg, 1.0 / 6, 1e-15);
    const sg_InertiaData d = sf_InertiaDataPolygon({V(0, 0), V(leg, 0), V(0, leg / 2)});
    EXPECT_NEAR(d.centerOfMass().x() / leg, 1.0 / 3, 1e-15);
  }
}

TEST(MomentEdgeletForms, MeasureTheEdgeletPositions) {
  const std::vector<sgEdgelet> edgelets = edgeletsAt(kLShape);
  EXPECT_EQ(sf_Area(edgelets), sf_Area(kLShape));
  EXPECT_EQ(sf_CenterOfMass(edgelets), sf_CenterOfMass(kLShape));
  EXPECT_EQ(snContour::centerOfMass(edgelets), snContour::centerOfMass(kLShape));
  EXPECT_EQ(sf_Area(edgeletsAt({V(0, 0), V(3, 1)})), 0.0);
  EXPECT_EQ(sf_Area(std::vector<sgEdgelet>{}), 0.0);
  EXPECT_EQ(sf_CenterOfMass(std::vector<sgEdgelet>{}), V(0, 0));
}

}  // namespace
