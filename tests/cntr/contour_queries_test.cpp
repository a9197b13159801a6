// Contour length, mean position, median edge length, nearest vertex and point, vertex lookup.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cntr/contour.h"
#include "cntr/contourprobe.h"

namespace {

using Points = std::vector<sgVector<2>>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ContourLength, SumsTheEdgesIncludingTheClosingOneAndIsZeroBelowTwoVertices) {
  const Points pts = {{0, 0}, {3, 0}, {3, 4}};
  EXPECT_DOUBLE_EQ(sgContour(pts, false).length(), 7.0);
  EXPECT_DOUBLE_EQ(sgContour(pts, true).length(), 12.0);
  EXPECT_EQ(sgContour().length(), 0.0);
  EXPECT_EQ(sgContour(Points{{5, 5}}, true).length(), 0.0);
}

TEST(ContourLength, IsComputedOncePerVertexList) {
  ContourProbe c(Points{{0, 0}, {3, 0}, {3, 4}}, false);
  ASSERT_DOUBLE_EQ(c.length(), 7.0);
  c.moveVertexUnnoticed(2, {3, 10});
  EXPECT_DOUBLE_EQ(c.length(), 7.0);
  c.isClosed(false);
  EXPECT_DOUBLE_EQ(c.length(), 13.0);
}

TEST(ContourMeanPosition, IsTheCentreOfAUniformWire) {
  EXPECT_EQ(sgContour(square2(), true).meanPosition(), sgVector<2>(1, 1));
  EXPECT_EQ(sgContour(Points{{0, 0}, {2, 0}, {2, 2}}, false).meanPosition(), sgVector<2>(1.5, 0.5));
  // Weighted by length, not the vertex mean (which would be (4/3, 0)).
  const sgVector<2> m = sgContour(Points{{0, 0}, {1, 0}, {3, 0}}, false).meanPosition();
  EXPECT_DOUBLE_EQ(m.x(), 1.5);
  EXPECT_DOUBLE_EQ(m.y(), 0.0);
}

TEST(ContourMeanPosition, CoincidingVerticesGiveNaNAndFewerThanTwoThrow) {
  const sgVector<2> m = sgContour(Points{{1, 1}, {1, 1}, {1, 1}}).meanPosition();
  EXPECT_TRUE(std::isnan(m.x()) && std::isnan(m.y()));
  EXPECT_THROW(sgContour(Points{{1, 1}}).meanPosition(), sgContourDefs::EmptyContour);
}

TEST(ContourMedianFeatureSize, TakesTheUpperMiddleOfTheSortedEdgeLengths) {
  // Edge lengths 1, 2, 3, 4 and 5, 1, 2.
  EXPECT_DOUBLE_EQ(ContourProbe(Points{{0, 0}, {1, 0}, {1, 2}, {4, 2}, {4, 6}}, false).medianFeatureSize(),
                   3.0);
  EXPECT_DOUBLE_EQ(ContourProbe(Points{{0, 0}, {3, 4}, {4, 4}, {4, 6}}, false).medianFeatureSize(), 2.0);
  // Closed: the closing edge (length 5) and a zero-length edge count too: 0, 3, 4, 5.
  EXPECT_DOUBLE_EQ(ContourProbe(Points{{0, 0}, {0, 0}, {3, 0}, {3, 4}}, true).medianFeatureSize(), 4.0);
  EXPECT_THROW(ContourProbe(Points{{0, 0}}).medianFeatureSize(), sgContourDefs::EmptyContour);
  // NaN lengths sort last: NaN, 1, 2, 3 give 1, 2, 3, NaN.
  EXPECT_DOUBLE_EQ(ContourProbe(Points{{kNaN, 0}, {0, 0}, {1, 0}, {1, 2}, {4, 2}}, false).medianFeatureSize(),
                   3.0);
}

TEST(ContourClosestVertex, TiesGoToTheLowerIndexAndNoFiniteDistanceGivesZero) {
  const sgContour c(Points{{0, 0}, {2, 0}}, false);
  EXPECT_EQ(c.closestVertexIndex({1, 0}), 0);
  EXPECT_EQ(c.closestVertexIndex({1.1, 0}), 1);
  EXPECT_EQ(sgContour(Points{{5, 5}, {0, 0}, {0, 0}}).closestVertexIndex({0, 0}), 1);
  // No finite distance gives 0.
  EXPECT_EQ(sgContour(Points{{kNaN, 0}, {kNaN, 1}}).closestVertexIndex({0, 0}), 0);
  EXPECT_EQ(sgContour(Points{{1, 1}, {2, 2}}).closestVertexIndex({kNaN, 0}), 0);
  EXPECT_EQ(sgContour(Points{{kInf, 0}, {1, kInf}, {0, 0}}).closestVertexIndex({0, 0}), 2);
}

TEST(ContourClosestPoint, FindsTheFootOrTheNearerEnd) {
  const sgContour c(Points{{0, 0}, {2, 0}}, false);
  EXPECT_EQ(c.closestPoint({1, 1}, false), sgVector<2>(1, 0));
  EXPECT_EQ(c.closestPoint({3, 1}, false), sgVector<2>(2, 0));
  EXPECT_EQ(c.closestPoint({-3, 1}, false), sgVector<2>(0, 0));
  EXPECT_EQ(c.closestPoint({1.2, 1}, true), sgVector<2>(2, 0));
  EXPECT_DOUBLE_EQ(c.distToPoint({1, 1}, false), 1.0);
  EXPECT_DOUBLE_EQ(c.distToPoint({1.2, 1}, true), std::hypot(0.8, 1.0));
}

TEST(ContourClosestPoint, TiesGoToTheEarliestEdgeAndClosedContoursStartWithTheClosingEdge) {
  // The centre is 1 from every side of the square.
  EXPECT_EQ(sgContour(square2(), true).closestPoint({1, 1}, false), sgVector<2>(0, 1));
  EXPECT_EQ(sgContour(square2(), false).closestPoint({1, 1}, false), sgVector<2>(1, 0));
}

TEST(ContourClosestPoint, NearestZeroLengthEdgeGivesItsVertex) {
  // Edge 0 has zero length and ties with edge 1; the earlier one wins.
  const sgContour c(Points{{1, 1}, {1, 1}, {5, 5}}, false);
  EXPECT_EQ(c.closestPoint({0, 0}, false), sgVector<2>(1, 1));
  EXPECT_EQ(c.closestPoint({0, 2}, false), sgVector<2>(1, 1));
}

TEST(ContourClosestPoint, NonFiniteVerticesAreSkippedWithoutCrashing) {
  const sgContour c(Points{{0, 0}, {2, 0}, {kNaN, kNaN}, {kInf, 3}}, false);
  EXPECT_EQ(c.closestPoint({1, 1}, false), sgVector<2>(1, 0));
  EXPECT_EQ(c.closestPoint({1, 1}, true), sgVector<2>(0, 0));
  EXPECT_TRUE(std::isnan(c.distToPoint({kNaN, 1}, false)));
  EXPECT_THROW(sgContour(Points{{0, 0}}).closestPoint({0, 0}, false), sgContourDefs::EmptyContour);
  EXPECT_THROW(sgContour().distToPoint({0, 0}, true), sgContourDefs::EmptyContour);
}

TEST(ContourVertexIndex, OrdersByCellColumnThenRowThenIndex) {
  const sgContour c(Points{{0.5, 0}, {5, 5}, {-0.9, 0.1}, {0.2, -0.2}});
  EXPECT_EQ(c.vertexIndex({0, 0}, 1.0), (std::vector<int>{2, 3, 0}));
}

TEST(ContourVertexIndex, CellsRoundHalfAwayFromZero) {
  // Columns: 0.5 -> 1, -0.5 -> -1, 0.49 and -0.49 -> 0; the result lists column -1, then 0
  // (ascending index), then 1. Flooring would give {1, 3, 0, 2}, rounding half to even
  // or toward zero {0, 1, 2, 3}.
  const sgContour c(Points{{0.5, 0}, {-0.5, 0}, {0.49, 0}, {-0.49, 0}});
  EXPECT_EQ(c.vertexIndex({0, 0}, 1.0), (std::vector<int>{1, 2, 3, 0}));
  // Rows follow the same rule: (0, 0.5) lies in row 1, after row 0.
  EXPECT_EQ(sgContour(Points{{0, 0.5}, {0, 0.2}}).vertexIndex({0, 0}, 1.0), (std::vector<int>{1, 0}));
}

TEST(ContourVertexIndex, DistanceMustBeStrictlyBelowTheTolerance) {
  const sgContour c(Points{{1, 0}, {0, 0.999}});
  EXPECT_EQ(c.vertexIndex({0, 0}, 1.0), (std::vector<int>{1}));
  EXPECT_TRUE(c.vertexIndex({0, 0}, 0.0).empty());
  EXPECT_TRUE(c.vertexIndex({0, 0}, -1.0).empty());
  EXPECT_THROW(sgContour(Points{{0, 0}}).vertexIndex({0, 0}, 1.0), sgContourDefs::EmptyContour);
}

TEST(ContourVertexIndex, KeepsOneGridPerTolerance) {
  ContourProbe c(Points{{0, 0}, {10, 10}});
  ASSERT_EQ(c.vertexIndex({0, 0}, 1.0), (std::vector<int>{0}));
  // The vertex moves into range of the query point, but the grid still files it at (10, 10).
  c.moveVertexUnnoticed(1, {0.5, 0});
  EXPECT_EQ(c.vertexIndex({0, 0}, 1.0), (std::vector<int>{0}));
  // A new tolerance builds a new grid from the vertices as they are now.
  EXPECT_EQ(c.vertexIndex({0, 0}, 1.5), (std::vector<int>{0, 1}));
  // A change of the vertices drops every grid.
  c.points(Points{{0, 0}, {0.5, 0}});
  EXPECT_EQ(c.vertexIndex({0, 0}, 1.0), (std::vector<int>{0, 1}));
}

TEST(ContourVertexIndex, HugeCoordinatesSaturateWithoutLosingNeighbours) {
  // 2147483647.9 rounds past the 32-bit range and 2^31 + 0.3 lies beyond it; both clamp to the
  // last cell, next to the cell of the query point.
  const sgContour c(Points{{2147483647.9, 0}, {2147483648.3, 0}, {2147483649.5, 0}, {1e300, 0}});
  EXPECT_EQ(c.vertexIndex({2147483647.5, 0}, 1.0), (std::vector<int>{0, 1}));
  EXPECT_EQ(c.vertexIndex({2147483647.0, 0}, 1.0), (std::vector<int>{0}));
  EXPECT_EQ(c.vertexIndex({1e300, 0}, 1.0), (std::vector<int>{3}));
  EXPECT_EQ(c.vertexIndex({-1e300, 0}, 1.0), (std::vector<int>{}));
}

TEST(ContourVertexIndex, TinyToleranceAndNonFiniteInputsNeverCrash) {
  const sgContour c(Points{{1, 1}, {-1, 2}, {kNaN, 0}, {kInf, -kInf}});
  EXPECT_EQ(c.vertexIndex({1, 1}, 1e-300), (std::vector<int>{0}));
  EXPECT_EQ(c.vertexIndex({-1, 2}, 5e-324), (std::vector<int>{1}));
  EXPECT_TRUE(c.vertexIndex({kNaN, 0}, 1.0).empty());
  EXPECT_TRUE(c.vertexIndex({kInf, -kInf}, 1.0).empty());
  EXPECT_TRUE(c.vertexIndex({1, 1}, kNaN).empty());
  EXPECT_EQ(c.vertexIndex({1, 1}, kInf), (std::vector<int>{0, 1}));
}

}  // namespace
