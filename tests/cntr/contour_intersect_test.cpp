// Crossings of a contour with a segment and with another contour, and self-intersection:
// hand-computed answers, including the tie and tolerance cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "cntr/contourprobe.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;

using ProbeContour = ContourProbe;  // the protected segment form (with edge indices) and the edge screen

const Points kSquare = {V(0, 0), V(4, 0), V(4, 4), V(0, 4)};
const Points kBowTie = {V(0, 0), V(2, 2), V(2, 0), V(0, 2)};

void expectPointsNear(const Points& actual, const Points& expected, double tol = 1e-12) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_NEAR(actual[i].x(), expected[i].x(), tol) << "point " << i;
    EXPECT_NEAR(actual[i].y(), expected[i].y(), tol) << "point " << i;
  }
}

struct SegmentCase {
  const char* name;
  Points contour;
  bool closed;
  sgLineSeg segment;
  bool endPoints;
  Points crossings;
  std::vector<int> edges;
};

TEST(ContourSegmentCrossings, HandCasesGiveTheCrossingsAndEdgesInSegmentOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // Edge 0 of a closed contour is the closing edge. With endPoints false, edges through the
  // segment's ends, or within the tolerance of its first end, are dropped. An edge collinear with
  // the segment contributes nothing. Equal keys follow the exchange sort, not a stable sort: in the
  // zigzag, edges 0 and 1 cross at (2,0), edge 2 is parallel and edge 3 crosses at (1,0); keys
  // 20, 20, 10 make the sort swap edge 3 with edge 0, which puts edge 0 behind edge 1.
  const SegmentCase cases[] = {
      {"left to right", kSquare, true, sgLineSeg(V(-1, 2), V(5, 2)), true, {V(0, 2), V(4, 2)}, {0, 2}},
      {"right to left", kSquare, true, sgLineSeg(V(5, 2), V(-1, 2)), true, {V(4, 2), V(0, 2)}, {2, 0}},
      {"open: no closing edge", kSquare, false, sgLineSeg(V(-1, 2), V(5, 2)), true, {V(4, 2)}, {1}},
      {"ending on an edge", kSquare, true, sgLineSeg(V(2, 2), V(4, 2)), true, {V(4, 2)}, {2}},
      {"ending on an edge, no end points", kSquare, true, sgLineSeg(V(2, 2), V(4, 2)), false, {}, {}},
      {"starting near an edge",
       kSquare,
       true,
       sgLineSeg(V(-5e-7, 2), V(5, 2)),
       true,
       {V(0, 2), V(4, 2)},
       {0, 2}},
      {"starting near an edge, no end points",
       kSquare,
       true,
       sgLineSeg(V(-5e-7, 2), V(5, 2)),
       false,
       {V(4, 2)},
       {2}},
      {"outside the box", kSquare, true, sgLineSeg(V(5, 5), V(9, 6)), true, {}, {}},
      {"along an edge", kSquare, true, sgLineSeg(V(-1, 0), V(5, 0)), true, {V(0, 0), V(4, 0)}, {0, 2}},
      {"inside an edge", kSquare, true, sgLineSeg(V(1, 0), V(3, 0)), true, {}, {}},
      {"zero length", kSquare, true, sgLineSeg(V(0, 2), V(0, 2)), true, {}, {}},
      {"NaN end", kSquare, true, sgLineSeg(V(nan, 2), V(5, 2)), true, {}, {}},
      {"equal keys",
       {V(2, -1), V(2, 1), V(2, -1), V(1, -1), V(1, 1)},
       false,
       sgLineSeg(V(0, 0), V(10, 0)),
       true,
       {V(1, 0), V(2, 0), V(2, 0)},
       {3, 1, 0}},
  };
  for (const SegmentCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ProbeContour contour(c.contour, c.closed);
    std::vector<int> edges = {7, 8, 9};  // replaced, not appended to
    expectPointsNear(contour.intersections(c.segment, edges, c.endPoints), c.crossings);
    EXPECT_EQ(edges, c.edges);
    EXPECT_EQ(contour.intersections(c.segment, c.endPoints),
              contour.intersections(c.segment, edges, c.endPoints))
        << "the public form gives the same positions";
  }
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

TEST(ContourSelfIntersection, HandCases) {
  EXPECT_TRUE(sgContour(kBowTie).isSelfIntersecting());
  EXPECT_FALSE(sgContour(kSquare).isSelfIntersecting());
  // Two triangles meeting at (2,2), which the outline visits twice: touching does not count.
  EXPECT_FALSE(sgContour({V(2, 2), V(0, 1), V(0, 3), V(2, 2), V(4, 3), V(4, 1)}).isSelfIntersecting());
  // (2,0) lies inside the non-adjacent edge (0,0) -> (4,0): that counts.
  EXPECT_TRUE(sgContour({V(0, 0), V(4, 0), V(3, 3), V(2, 0), V(1, 3)}).isSelfIntersecting());
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
