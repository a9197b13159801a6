// Crossings of a contour with a segment and with another contour, and self-intersection:
// hand-computed answers, including the tie and tolerance cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "cntr/contour.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;

/// Opens the protected segment form (with edge indices) and the edge screen to the tests.
class ProbeContour : public sgContour {
 public:
  using sgContour::candidateEdges;
  using sgContour::intersections;
  using sgContour::sgContour;
};

const Points kSquare = {V(0, 0), V(4, 0), V(4, 4), V(0, 4)};
const Points kBowTie = {V(0, 0), V(2, 2), V(2, 0), V(0, 2)};

void expectPointsNear(const Points& actual, const Points& expected, double tol = 1e-12) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_NEAR(actual[i].x(), expected[i].x(), tol) << "point " << i;
    EXPECT_NEAR(actual[i].y(), expected[i].y(), tol) << "point " << i;
  }
}

TEST(ContourSegmentCrossings, SquareCrossedLeftToRightReportsClosingEdgeFirst) {
  const ProbeContour square(kSquare);
  std::vector<int> edges;
  const Points found = square.intersections(sgLineSeg(V(-1, 2), V(5, 2)), edges, true);
  expectPointsNear(found, {V(0, 2), V(4, 2)});
  EXPECT_EQ(edges, (std::vector<int>{0, 2}));
}

TEST(ContourSegmentCrossings, ReversedSegmentReversesTheOrder) {
  const ProbeContour square(kSquare);
  std::vector<int> edges;
  const Points found = square.intersections(sgLineSeg(V(5, 2), V(-1, 2)), edges, true);
  expectPointsNear(found, {V(4, 2), V(0, 2)});
  EXPECT_EQ(edges, (std::vector<int>{2, 0}));
}

TEST(ContourSegmentCrossings, PublicFormGivesTheSamePositions) {
  const ProbeContour square(kSquare);
  std::vector<int> edges;
  const sgLineSeg seg(V(-1, 1), V(5, 3));
  EXPECT_EQ(square.intersections(seg, true), square.intersections(seg, edges, true));
}

TEST(ContourSegmentCrossings, EndPointsFalseDropsEdgesThroughTheSegmentEnds) {
  const ProbeContour square(kSquare);
  std::vector<int> edges;
  const sgLineSeg seg(V(2, 2), V(4, 2));
  expectPointsNear(square.intersections(seg, edges, true), {V(4, 2)});
  EXPECT_EQ(edges, (std::vector<int>{2}));
  EXPECT_TRUE(square.intersections(seg, edges, false).empty());
  EXPECT_TRUE(edges.empty());
}

TEST(ContourSegmentCrossings, EndPointsFalseAlsoDropsEdgesNearTheFirstEnd) {
  const ProbeContour square(kSquare);
  std::vector<int> edges;
  // Starts 5e-7 before edge 0, within the tolerance: with endPoints false only the far crossing
  // on edge 2 remains.
  const sgLineSeg seg(V(-5e-7, 2), V(5, 2));
  expectPointsNear(square.intersections(seg, edges, true), {V(0, 2), V(4, 2)});
  EXPECT_EQ(edges, (std::vector<int>{0, 2}));
  expectPointsNear(square.intersections(seg, edges, false), {V(4, 2)});
  EXPECT_EQ(edges, (std::vector<int>{2}));
}

TEST(ContourSegmentCrossings, SegmentOutsideTheBoundingBoxClearsTheIndexList) {
  const ProbeContour square(kSquare);
  std::vector<int> edges = {7, 8, 9};
  EXPECT_TRUE(square.intersections(sgLineSeg(V(5, 5), V(9, 6)), edges, true).empty());
  EXPECT_TRUE(edges.empty());
}

TEST(ContourSegmentCrossings, CollinearEdgeContributesNothing) {
  const ProbeContour square(kSquare);
  std::vector<int> edges;
  // Runs along edge 1 ((0,0) -> (4,0)); only the edges standing on its ends cross it.
  const Points found = square.intersections(sgLineSeg(V(-1, 0), V(5, 0)), edges, true);
  expectPointsNear(found, {V(0, 0), V(4, 0)});
  EXPECT_EQ(edges, (std::vector<int>{0, 2}));
  // Lying inside the edge, the segment touches no other edge's rectangle.
  EXPECT_TRUE(square.intersections(sgLineSeg(V(1, 0), V(3, 0)), edges, true).empty());
}

TEST(ContourSegmentCrossings, CrossingAtAVertexIsReportedOncePerEdge) {
  const ProbeContour square(kSquare);
  std::vector<int> edges;
  const Points found = square.intersections(sgLineSeg(V(-1, -1), V(5, 5)), edges, true);
  expectPointsNear(found, {V(0, 0), V(0, 0), V(4, 4), V(4, 4)}, 1e-12);
  ASSERT_EQ(edges.size(), 4u);
  // (0,0) ends edge 0 and starts edge 1; (4,4) ends edge 2 and starts edge 3.
  EXPECT_EQ(std::min(edges[0], edges[1]), 0);
  EXPECT_EQ(std::max(edges[0], edges[1]), 1);
  EXPECT_EQ(std::min(edges[2], edges[3]), 2);
  EXPECT_EQ(std::max(edges[2], edges[3]), 3);
}

TEST(ContourSegmentCrossings, EqualKeysFollowTheExchangeSortNotAStableSort) {
  // Vertical edges crossing a horizontal segment give exact crossings. Edges 0 and 1 both cross
  // at (2,0), edge 2 is horizontal (parallel), edge 3 crosses at (1,0). In edge order the keys are
  // 20, 20, 10: the exchange sort moves edge 3 to the front by swapping it with edge 0, which puts
  // edge 0 behind edge 1; a stable sort would keep 0 before 1.
  const ProbeContour zigzag({V(2, -1), V(2, 1), V(2, -1), V(1, -1), V(1, 1)}, false);
  std::vector<int> edges;
  const Points found = zigzag.intersections(sgLineSeg(V(0, 0), V(10, 0)), edges, true);
  EXPECT_EQ(found, (Points{V(1, 0), V(2, 0), V(2, 0)}));
  EXPECT_EQ(edges, (std::vector<int>{3, 1, 0}));
}

TEST(ContourSegmentCrossings, ZeroLengthEdgesAreSkipped) {
  // The repeated vertex (4,0) makes edge 2 zero-length; the crossing there comes from 1 and 3.
  const ProbeContour square({V(0, 0), V(4, 0), V(4, 0), V(4, 4), V(0, 4)});
  std::vector<int> edges;
  const Points found = square.intersections(sgLineSeg(V(3, -1), V(5, 1)), edges, true);
  expectPointsNear(found, {V(4, 0), V(4, 0)});
  ASSERT_EQ(edges.size(), 2u);
  EXPECT_EQ(std::min(edges[0], edges[1]), 1);
  EXPECT_EQ(std::max(edges[0], edges[1]), 3);
}

TEST(ContourSegmentCrossings, OpenContourHasNoClosingEdge) {
  const ProbeContour open(kSquare, false);
  std::vector<int> edges;
  const Points found = open.intersections(sgLineSeg(V(-1, 2), V(5, 2)), edges, true);
  expectPointsNear(found, {V(4, 2)});
  EXPECT_EQ(edges, (std::vector<int>{1}));
}

TEST(ContourSegmentCrossings, DegenerateOrNaNSegmentFindsNothing) {
  const ProbeContour square(kSquare);
  std::vector<int> edges;
  EXPECT_TRUE(square.intersections(sgLineSeg(V(0, 2), V(0, 2)), edges, true).empty());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(square.intersections(sgLineSeg(V(nan, 2), V(5, 2)), edges, true).empty());
  EXPECT_TRUE(edges.empty());
}

TEST(ContourSegmentCrossings, FewerThanTwoVerticesThrowEmptyContour) {
  const sgContour single({V(1, 1)});
  try {
    single.intersections(sgLineSeg(V(0, 0), V(2, 2)), true);
    ADD_FAILURE() << "nothing was thrown";
  } catch (const sgContourDefs::EmptyContour& e) {
    EXPECT_EQ(e.string(), L"");
  }
  EXPECT_THROW(sgContour().intersections(sgContour(kSquare)), sgContourDefs::EmptyContour);
}

TEST(ContourCandidateEdges, AppendsValidOverlappingEdgesInAscendingOrder) {
  const ProbeContour square({V(0, 0), V(4, 0), V(4, 0), V(4, 4), V(0, 4)});
  std::vector<int> edges = {99};
  // The segment's box touches edge 3 (x = 4) only at its border; touching counts. Edge 2 is
  // zero-length.
  square.candidateEdges(sgLineSeg(V(3, -1), V(4, 1)), edges);
  EXPECT_EQ(edges, (std::vector<int>{99, 1, 3}));
}

TEST(ContourAgainstContour, OpenTwoVertexContourEqualsTheSegmentQuery) {
  const sgContour square(kSquare);
  const sgContour stick({V(-1, 1), V(5, 3)}, false);
  EXPECT_EQ(square.intersections(stick), square.intersections(sgLineSeg(V(-1, 1), V(5, 3)), true));
}

TEST(ContourAgainstContour, ResultIsGroupedByTheOtherContoursEdgeOrder) {
  const sgContour square(kSquare);
  const Points other = {V(2, -1), V(2, 5), V(5, 5)};
  // Closed: the closing edge (5,5) -> (2,-1) comes first, ordered along it.
  expectPointsNear(square.intersections(sgContour(other, true)), {V(4, 3), V(2.5, 0), V(2, 0), V(2, 4)});
  expectPointsNear(square.intersections(sgContour(other, false)), {V(2, 0), V(2, 4)});
}

TEST(ContourAgainstContour, OtherWithoutEdgesContributesNothing) {
  const sgContour square(kSquare);
  EXPECT_TRUE(square.intersections(sgContour()).empty());
  EXPECT_TRUE(square.intersections(sgContour({V(2, 2)}, false)).empty());
}

TEST(ContourSelfIntersection, BowTieCrossesItselfAndSquareDoesNot) {
  EXPECT_TRUE(sgContour(kBowTie).isSelfIntersecting());
  EXPECT_FALSE(sgContour(kSquare).isSelfIntersecting());
}

TEST(ContourSelfIntersection, TouchingOnlyAtASharedVertexPositionDoesNotCount) {
  // Two triangles meeting at (2,2), which the outline visits twice.
  const sgContour touching({V(2, 2), V(0, 1), V(0, 3), V(2, 2), V(4, 3), V(4, 1)});
  EXPECT_FALSE(touching.isSelfIntersecting());
}

TEST(ContourSelfIntersection, VertexOnTheInteriorOfANonAdjacentEdgeCounts) {
  // (2,0) lies inside edge (0,0) -> (4,0); its own edges leave it upwards at an angle.
  const sgContour touching({V(0, 0), V(4, 0), V(3, 3), V(2, 0), V(1, 3)});
  EXPECT_TRUE(touching.isSelfIntersecting());
}

TEST(ContourSelfIntersection, EmptyAndSingleVertexContoursAreNotSelfIntersecting) {
  EXPECT_FALSE(sgContour().isSelfIntersecting());
  EXPECT_FALSE(sgContour({V(1, 1)}).isSelfIntersecting());
  EXPECT_FALSE(sgContour({V(1, 1)}, false).isSelfIntersecting());
}

TEST(ContourSelfIntersection, AnswerFollowsChangesOfPointsAndClosedFlag) {
  sgContour contour(kBowTie);
  EXPECT_TRUE(contour.isSelfIntersecting());
  contour.points(kSquare);
  EXPECT_FALSE(contour.isSelfIntersecting());
  // A Z shape crosses itself only through its closing edge (2,2) -> (0,0).
  contour.points({V(0, 0), V(2, 0), V(0, 2), V(2, 2)});
  EXPECT_TRUE(contour.isSelfIntersecting());
  contour.isClosed(false);
  EXPECT_FALSE(contour.isSelfIntersecting());
}

TEST(ContourSelfIntersection, CopyCarriesTheAnswerAndStaysIndependent) {
  const sgContour bowTie(kBowTie);
  ASSERT_TRUE(bowTie.isSelfIntersecting());
  sgContour copy(bowTie);
  EXPECT_TRUE(copy.isSelfIntersecting());
  copy.points(kSquare);
  EXPECT_FALSE(copy.isSelfIntersecting());
  EXPECT_TRUE(bowTie.isSelfIntersecting());
}

}  // namespace
