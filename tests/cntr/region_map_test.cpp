// Mapping a region through a transform, and the two drawing forms.
#include <gtest/gtest.h>

#include "regionshapes.h"

namespace {

using namespace regiontest;

sgRegion labelledSquareWithHole() {
  sgRegion region(square10());
  region.label(42);
  region.holes(Holes{shared(rectangle(2, 2, 4, 4))});
  return region;
}

TEST(RegionMap, IdentityKeepsPointsAndLabelAndDropsHoles) {
  const sgRegion region = labelledSquareWithHole();
  sgRegion result({V(1, 1), V(2, 1), V(2, 2)});
  result.holes(Holes{shared({V(1.5, 1.25), V(1.75, 1.25), V(1.75, 1.5)})});
  EXPECT_NEAR(result.area(true), 0.5 - 1.0 / 32, 1e-12);  // fills caches the mapping must discard
  region.map(sgXform<2>::I, result);
  EXPECT_EQ(result.points(), square10());
  EXPECT_EQ(result.label(), 42u);
  EXPECT_TRUE(result.holes().empty());
  EXPECT_DOUBLE_EQ(result.area(true), 100.0);
}

TEST(RegionMap, TransformIsAppliedToEveryPoint) {
  const sgRegion region({V(0, 0), V(2, 0), V(0, 1)});
  const sgXform<2> scaleAndShift(sgMatrix<2>(2.0, 0.0, 0.0, 3.0), V(1, -1));
  sgRegion result;
  region.map(scaleAndShift, result);
  EXPECT_EQ(result.points(), (Points{V(1, -1), V(5, -1), V(1, 2)}));
  EXPECT_DOUBLE_EQ(result.area(false), 6.0);
}

TEST(RegionMap, IntoItselfKeepsLabel) {
  sgRegion region = labelledSquareWithHole();
  region.map(sgXform<2>(sgMatrix<2>(), V(5, 0)), region);
  EXPECT_EQ(region.points(), rectangle(5, 0, 15, 10));
  EXPECT_EQ(region.label(), 42u);
  EXPECT_TRUE(region.holes().empty());
}

TEST(RegionMap, SelfCrossingStaysSelfCrossingAndEmptyStaysEmpty) {
  const sgRegion bowTie({V(0, 0), V(2, 2), V(2, 0), V(0, 2)}, sgContourDefs::eIgnore);
  sgRegion result;
  bowTie.map(sgXform<2>(sgMatrix<2>(), V(1, 1)), result);
  EXPECT_TRUE(result.isSelfIntersecting());

  const sgRegion empty;
  empty.map(sgXform<2>::I, result);
  EXPECT_TRUE(result.points().empty());
}

TEST(RegionDraw, RegionFormDrawsNothing) {
  const sgRegion region = labelledSquareWithHole();
  sgRecordingTablet tablet;
  region.draw(tablet, sgColor(255, 0, 0), sgUITablet::eOverlay);
  EXPECT_TRUE(tablet.segments().empty());
}

TEST(RegionDraw, ContourFormDrawsClosedOuterOutlineOnly) {
  // Built from an open contour: the region still draws the closing edge.
  const sgRegion region(sgContour({V(0, 0), V(4, 0), V(4, 3)}, false, 0), sgContourDefs::eIgnore);
  sgRecordingTablet tablet;
  const sgColor green(0, 255, 0);
  region.draw(tablet, sgContourDefs::eDrawOutline, green, sgUITablet::eGraphics);
  using Segment = sgRecordingTablet::Segment;
  const auto pair = [](double x, double y) { return sgPair<double>(x, y); };
  const std::vector<Segment> expected = {
      {pair(4, 3), pair(0, 0), green, sgUITablet::eGraphics},
      {pair(0, 0), pair(4, 0), green, sgUITablet::eGraphics},
      {pair(4, 0), pair(4, 3), green, sgUITablet::eGraphics},
  };
  EXPECT_EQ(tablet.segments(), expected);

  sgRegion withHole(square10());
  withHole.holes(Holes{shared(rectangle(2, 2, 4, 4))});
  tablet.clear();
  withHole.draw(tablet, sgContourDefs::eDrawOutline, green, sgUITablet::eGraphics);
  EXPECT_EQ(tablet.segments().size(), 4u);  // holes are not drawn
}

}  // namespace
