// Convex hull, ellipse fit, mapping and drawing of a contour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "cntr/moments.h"
#include "cntr/region.h"

namespace {

using V = sgVector<2>;
using Points = std::vector<V>;
using Segment = sgRecordingTablet::Segment;

/// A contour whose cache clears can be switched off, so that a cached result shows itself by
/// surviving a change of the vertices.
class FreezableContour : public sgContour {
 public:
  using sgContour::sgContour;
  bool frozen = false;

 protected:
  void cleanCacheInfo() override {
    if (!frozen) sgContour::cleanCacheInfo();
  }
};

const Points kDentedSquare = {V(0, 0), V(2, 0), V(1, 1), V(2, 2), V(0, 2)};

/// The points sorted, to compare vertex lists whose start and order are not ours to fix.
Points sorted(Points points) {
  std::sort(points.begin(), points.end(),
            [](const V& a, const V& b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
  return points;
}

TEST(ContourConvexHull, DropsTheInnerVertexAndKeepsTheCornersWhetherClosedOrOpen) {
  const sgContour contour(kDentedSquare);
  sgRegion hull;
  contour.convexHull(hull);
  EXPECT_EQ(sorted(hull.points()), (Points{V(0, 0), V(0, 2), V(2, 0), V(2, 2)}));
  EXPECT_TRUE(hull.isClosed());
  EXPECT_TRUE(hull.holes().empty());
  EXPECT_NEAR(hull.area(true), 4.0, 1e-12);
  sgRegion openHull;
  sgContour(kDentedSquare, false).convexHull(openHull);
  EXPECT_EQ(openHull, hull) << "an open contour has the same hull";
}

TEST(ContourConvexHull, IsCachedUntilTheVerticesChange) {
  FreezableContour contour(kDentedSquare);
  sgRegion first, second;
  contour.convexHull(first);
  contour.convexHull(second);
  EXPECT_EQ(second, first);

  // Without a cache clear the stored hull is returned although the vertices moved.
  contour.frozen = true;
  contour.points({V(0, 0), V(5, 0), V(0, 5)});
  sgRegion stale;
  contour.convexHull(stale);
  EXPECT_EQ(stale, first);

  contour.frozen = false;
  contour.points({V(0, 0), V(5, 0), V(0, 5)});
  sgRegion fresh;
  contour.convexHull(fresh);
  EXPECT_EQ(sorted(fresh.points()), (Points{V(0, 0), V(0, 5), V(5, 0)}));
}

TEST(ContourConvexHull, ReplacesTheTargetsBoundaryAndHoles) {
  sgRegion target({V(-10, -10), V(10, -10), V(10, 10), V(-10, 10)});
  target.holes(std::vector<sgPtrHandle_const<sgRegion>>{
      sgPtrHandle_const<sgRegion>(new sgRegion({V(-1, -1), V(1, -1), V(1, 1), V(-1, 1)}))});
  sgContour(kDentedSquare).convexHull(target);
  EXPECT_EQ(target.points().size(), 4u);
  EXPECT_TRUE(target.holes().empty());
}

/// Points on the ellipse with centre (3,-2), radii 5 and 2, turned by 0.5 rad.
Points pointsOnEllipse() {
  Points points;
  const double c = std::cos(0.5), s = std::sin(0.5);
  for (int i = 0; i < 24; ++i) {
    const double t = i * 2.0 * std::numbers::pi / 24.0;
    const double u = 5.0 * std::cos(t), v = 2.0 * std::sin(t);
    points.emplace_back(3.0 + c * u - s * v, -2.0 + s * u + c * v);
  }
  return points;
}

// The fit itself is sf_FitEllipse's (ellipse_test); the contour answers with it for its vertices.
TEST(ContourFitEllipse, IsTheFitOfTheVertices) {
  for (const Points& points : {pointsOnEllipse(), Points{V(0, 0), V(1, 0)}}) {
    sgEllipse expected, ellipse(sgCircle(V(7, 7), 3.0));
    double expectedError = 0.0, error = -5.0;
    sf_FitEllipse(points, expected, expectedError);
    sgContour(points).fitEllipse(ellipse, error);
    EXPECT_EQ(ellipse, expected);
    EXPECT_EQ(error, expectedError);
  }
}

TEST(ContourFitEllipse, IsCachedUntilTheVerticesChange) {
  FreezableContour contour(pointsOnEllipse());
  sgEllipse first, later;
  double firstError = 0.0, laterError = 0.0;
  contour.fitEllipse(first, firstError);

  contour.frozen = true;
  contour.points({V(0, 0), V(1, 0), V(0, 1)});
  contour.fitEllipse(later, laterError);
  EXPECT_EQ(later, first);
  EXPECT_EQ(laterError, firstError);

  contour.frozen = false;
  contour.points({V(0, 0), V(1, 0)});
  contour.fitEllipse(later, laterError);
  EXPECT_EQ(laterError, -1.0);
}

TEST(ContourHullAndFit, FewerThanTwoVerticesThrowEmptyContour) {
  sgRegion hull;
  EXPECT_THROW(sgContour({V(1, 1)}).convexHull(hull), sgContourDefs::EmptyContour);
  EXPECT_THROW(sgContour().convexHull(hull), sgContourDefs::EmptyContour);
  sgEllipse ellipse;
  double error = 0.0;
  EXPECT_THROW(sgContour({V(1, 1)}).fitEllipse(ellipse, error), sgContourDefs::EmptyContour);
}

const sgXform<2> kShift(sgMatrix<2>(), V(1, 2));

TEST(ContourMap, KeepsClosedStateAndLabelAndResetsCacheSizeEvenWhenEmpty) {
  sgContour open({V(0, 0), V(1, 0)}, false, 9);
  open.cachedVectorSize(7);
  sgContour result({V(5, 5), V(6, 6), V(7, 5)}, true, 1);
  open.map(kShift, result);
  EXPECT_EQ(result.points(), (Points{V(1, 2), V(2, 2)}));
  EXPECT_FALSE(result.isClosed());
  EXPECT_EQ(result.label(), 9u);
  EXPECT_EQ(result.cachedVectorSize(), 3);
  sgContour().map(kShift, result);
  EXPECT_TRUE(result.points().empty());
  EXPECT_TRUE(result.isClosed());
}

TEST(ContourMap, OntoItselfMapsTheVerticesAndDropsStaleCaches) {
  sgContour contour({V(0, 0), V(3, 0), V(3, 4)}, true, 4);
  ASSERT_EQ(contour.length(), 12.0);
  contour.map(sgXform<2>(sgMatrix<2>(2, 0, 0, 2), V(1, 0)), contour);
  EXPECT_EQ(contour.points(), (Points{V(1, 0), V(7, 0), V(7, 8)}));
  EXPECT_TRUE(contour.isClosed());
  EXPECT_EQ(contour.label(), 4u);
  EXPECT_EQ(contour.length(), 24.0);
}

const sgColor kRed(255, 0, 0);
const Points kTriangle = {V(0, 0), V(1, 0), V(0, 1)};

std::vector<Segment> drawn(const sgContour& contour, sgContourDefs::DrawMode mode) {
  sgRecordingTablet tablet;
  contour.draw(tablet, mode, kRed, sgUITablet::eOverlay);
  return tablet.segments();
}

Segment segment(double x0, double y0, double x1, double y1) {
  return {{x0, y0}, {x1, y1}, kRed, sgUITablet::eOverlay};
}

TEST(ContourDraw, ClosedTriangleDrawsItsClosingEdgeFirstOpenOneTwoSegmentsInEitherMode) {
  const sgContour triangle(kTriangle, true);
  EXPECT_EQ(drawn(triangle, sgContourDefs::eDrawOutline),
            (std::vector<Segment>{segment(0, 1, 0, 0), segment(0, 0, 1, 0), segment(1, 0, 0, 1)}));
  EXPECT_EQ(drawn(triangle, sgContourDefs::eDrawHighlighted), drawn(triangle, sgContourDefs::eDrawOutline));
  EXPECT_EQ(drawn(sgContour(kTriangle, false), sgContourDefs::eDrawOutline),
            (std::vector<Segment>{segment(0, 0, 1, 0), segment(1, 0, 0, 1)}));
}

TEST(ContourDraw, EmptyDrawsNothingAndClosedSingleVertexOneZeroLengthSegment) {
  EXPECT_TRUE(drawn(sgContour(), sgContourDefs::eDrawOutline).empty());
  EXPECT_TRUE(drawn(sgContour({V(2, 3)}, false), sgContourDefs::eDrawOutline).empty());
  EXPECT_EQ(drawn(sgContour({V(2, 3)}, true), sgContourDefs::eDrawOutline),
            (std::vector<Segment>{segment(2, 3, 2, 3)}));
}

}  // namespace
