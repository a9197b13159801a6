// The edgelet region: one outline shared by its contour, edgelet and region views, the tick
// drawing, typed holes beside the region's holes, equality and the refused typed operations.
#include <gtest/gtest.h>

#include "edgeletshapes.h"

namespace {

using namespace edgelettest;

using RegionHandles = std::vector<sgPtrHandle_const<sgRegion>>;

TEST(RegionTConstruction, FromEdgeletsIsAClosedRegionOfTheirPositionsOrTheirInverseImages) {
  const Edgelets data = rectangleEdgelets(0, 0, 4, 2);
  const RegionT region(data, 17);
  EXPECT_EQ(region.points(), positions(data));
  EXPECT_EQ(region.data(), data);
  EXPECT_TRUE(region.isClosed());
  EXPECT_TRUE(region.holes().empty());
  EXPECT_TRUE(region.sgRegion::holes().empty());
  EXPECT_EQ(region.label(), 17u);
  EXPECT_DOUBLE_EQ(region.area(true), 8.0);
  Xform xform = rigid(90.0, 10.0, 10.0);
  const RegionT turned(rectangleEdgelets(10, 10, 12, 13), xform, 3);
  expectPointsMatchData(turned);  // the points follow the inverse
  EXPECT_NE(turned.dataFromPointsXform().get(), xform.get());
  EXPECT_NEAR(turned.area(false), 6.0, 1e-12);
}

TEST(RegionTConstruction, FromContourTakesItsOutlineEdgeletsAndTransform) {
  ContourT contour(rectangleEdgelets(1, 1, 3, 4), rigid(30.0, 2.0, 0.0));
  contour.label(4);
  contour.cachedVectorSize(6);
  const RegionT region(contour, 8);
  EXPECT_EQ(region.points(), contour.points());
  EXPECT_EQ(region.data(), contour.data());
  EXPECT_EQ(region.dataFromPointsXform().get(), contour.dataFromPointsXform().get());
  EXPECT_EQ(region.cachedVectorSize(), 6);
  EXPECT_EQ(region.label(), 8u);
  EXPECT_TRUE(static_cast<const ContourT&>(region) == contour);
}

// sgContour is a virtual base of both sgContourT and sgRegion: a change through any view must
// be seen through the others, and a points change must reach the edgelets and the region caches.
TEST(RegionTDiamond, OneOutlineSeenAlikeThroughAllViews) {
  RegionT region(rectangleEdgelets(0, 0, 2, 2), 1);
  sgContour& viaEdgelets = static_cast<ContourT&>(region);
  sgContour& viaRegion = static_cast<sgRegion&>(region);
  EXPECT_EQ(&viaEdgelets, &viaRegion);
  EXPECT_DOUBLE_EQ(region.area(false), 4.0);

  viaRegion.points({V(0, 0), V(6, 0), V(6, 1)});
  EXPECT_EQ(static_cast<ContourT&>(region).points(), viaRegion.points());
  ASSERT_EQ(region.data().size(), 3u);
  expectDataFromPoints(region.data());
  expectPointsMatchData(region);
  EXPECT_DOUBLE_EQ(static_cast<sgRegion&>(region).area(false), 3.0);

  static_cast<ContourT&>(region).data(rectangleEdgelets(0, 0, 5, 5));
  EXPECT_EQ(viaRegion.points(), positions(rectangleEdgelets(0, 0, 5, 5)));
  EXPECT_DOUBLE_EQ(region.area(false), 25.0);
  EXPECT_TRUE(viaEdgelets.isClosed());
}

TEST(RegionTDiamond, CannotBeOpenedThroughAnyView) {
  RegionT region(rectangleEdgelets(0, 0, 2, 2), 1);
  EXPECT_THROW(region.isClosed(false), sgContourDefs::RegionCannotBeSetOpen);
  EXPECT_THROW(static_cast<sgContour&>(region).isClosed(false), sgContourDefs::RegionCannotBeSetOpen);
  region.isClosed(true);
  EXPECT_TRUE(static_cast<const sgContour&>(region).isClosed());
  EXPECT_EQ(region.data(), rectangleEdgelets(0, 0, 2, 2));
}

TEST(RegionTDraw, OneUnitTickPerEdgeletAcrossItsDirection) {
  RegionT region({edgelet(10, 20, 5, 64), edgelet(10, 20, 5, 0)}, 0);
  sgRecordingTablet tablet;
  const sgColor red(255, 0, 0);
  region.draw(tablet, red, sgUITablet::eOverlay);
  ASSERT_EQ(tablet.segments().size(), 2u);
  const auto& along = tablet.segments()[0];
  EXPECT_NEAR(along.from.x(), 10.5, 1e-12);
  EXPECT_NEAR(along.from.y(), 20.0, 1e-12);
  EXPECT_NEAR(along.to.x(), 9.5, 1e-12);
  EXPECT_NEAR(along.to.y(), 20.0, 1e-12);
  const auto& across = tablet.segments()[1];
  EXPECT_NEAR(across.from.x(), 10.0, 1e-12);
  EXPECT_NEAR(across.from.y(), 19.5, 1e-12);
  EXPECT_NEAR(across.to.x(), 10.0, 1e-12);
  EXPECT_NEAR(across.to.y(), 20.5, 1e-12);
  EXPECT_EQ(along.color, red);
  EXPECT_EQ(across.layer, sgUITablet::eOverlay);
}

TEST(RegionTDraw, DrawsEdgeletsNotOutlineNorHoles) {
  RegionT region(rectangleEdgelets(0, 0, 10, 10), 0);
  static_cast<sgRegion&>(region).holes(
      RegionHandles{sgPtrHandle_const<sgRegion>(new sgRegion({V(4, 4), V(6, 4), V(6, 6)}))});
  sgRecordingTablet tablet;
  region.draw(tablet, sgColor(), sgUITablet::eGraphics);
  EXPECT_EQ(tablet.segments().size(), 4u);  // one per edgelet, rebuilt from the outline
  tablet.clear();
  RegionT().draw(tablet, sgColor(), sgUITablet::eGraphics);
  EXPECT_TRUE(tablet.segments().empty());
  region.draw(tablet, sgContourDefs::eDrawOutline, sgColor(), sgUITablet::eGraphics);
  EXPECT_EQ(tablet.segments().size(), 4u);  // the contour form draws the outline's edges
}

TEST(RegionTHoles, TypedHolesAreAListOfTheirOwnAndRegionHolesRebuildTheEdgelets) {
  RegionT region(rectangleEdgelets(0, 0, 10, 10), 0);
  const Edgelets data = region.data();
  const sgPtrHandle_const<RegionT> hole(new RegionT(rectangleEdgelets(2, 2, 4, 4), 0));
  region.holes(TypedHandles{hole});
  ASSERT_EQ(region.holes().size(), 1u);
  EXPECT_EQ(region.holes()[0].get(), hole.get());
  EXPECT_TRUE(region.sgRegion::holes().empty());
  EXPECT_DOUBLE_EQ(region.area(true), 100.0);
  EXPECT_EQ(region.data(), data);

  static_cast<sgRegion&>(region).holes(
      RegionHandles{sgPtrHandle_const<sgRegion>(new sgRegion({V(2, 2), V(4, 2), V(4, 4), V(2, 4)}))});
  EXPECT_DOUBLE_EQ(region.area(true), 96.0);
  EXPECT_EQ(region.holes().size(), 1u);
  expectDataFromPoints(region.data());
  expectPointsMatchData(region);
}

TEST(RegionTEquality, SharedTransformAndEqualPointsWhateverTheHoles) {
  const RegionT a(rectangleEdgelets(0, 0, 10, 10), 1);
  RegionT b(a);
  static_cast<sgRegion&>(b).holes(
      RegionHandles{sgPtrHandle_const<sgRegion>(new sgRegion({V(2, 2), V(4, 2), V(4, 4)}))});
  b.holes(TypedHandles{sgPtrHandle_const<RegionT>(new RegionT(rectangleEdgelets(5, 5, 6, 6), 0))});
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == RegionT(rectangleEdgelets(0, 0, 10, 10), 1));
}

TEST(RegionTCopy, CopyAndAssignmentShareHolesAndTransformAndCopyEdgelets) {
  RegionT source(rectangleEdgelets(0, 0, 10, 10), 6);
  static_cast<sgRegion&>(source).holes(
      RegionHandles{sgPtrHandle_const<sgRegion>(new sgRegion({V(2, 2), V(4, 2), V(4, 4)}))});
  source.data(rectangleEdgelets(0, 0, 10, 10));
  source.holes(TypedHandles{sgPtrHandle_const<RegionT>(new RegionT(rectangleEdgelets(5, 5, 6, 6), 0))});
  EXPECT_DOUBLE_EQ(source.area(true), 98.0);  // fills the area cache before copying

  const RegionT copy(source);
  RegionT assigned(rectangleEdgelets(50, 50, 51, 51), 0);
  assigned = source;
  for (const RegionT* r : std::vector<const RegionT*>{&copy, &assigned}) {
    EXPECT_TRUE(*r == source);
    EXPECT_EQ(r->data(), source.data());
    EXPECT_EQ(r->label(), 6u);
    EXPECT_EQ(r->holes()[0].get(), source.holes()[0].get());
    EXPECT_EQ(r->sgRegion::holes()[0].get(), source.sgRegion::holes()[0].get());
    EXPECT_DOUBLE_EQ(r->area(true), 98.0);
  }
  source.data(rectangleEdgelets(0, 0, 1, 1));
  EXPECT_EQ(copy.data(), rectangleEdgelets(0, 0, 10, 10));
  EXPECT_DOUBLE_EQ(assigned.area(false), 100.0);
}

TEST(RegionTRefusals, TypedMapAndRegularizeThrowBadWindow) {
  const RegionT region(rectangleEdgelets(0, 0, 2, 2), 0);
  RegionT out(rectangleEdgelets(5, 5, 6, 6), 2);
  EXPECT_THROW(region.mapT(sgXform<2>::I, out), sgPel::BadWindow);
  EXPECT_THROW(region.regularizeT(out), sgPel::BadWindow);
  EXPECT_EQ(out.data(), rectangleEdgelets(5, 5, 6, 6));
  EXPECT_EQ(out.label(), 2u);
}

TEST(RegionTInherited, PointQueriesWorkOnTheOutline) {
  RegionT region(rectangleEdgelets(0, 0, 4, 4), 0);
  EXPECT_TRUE(region.inside(V(1, 1), true));
  EXPECT_FALSE(region.inside(V(5, 1), true));
  sgRegion mapped;
  region.map(sgXform<2>(sgMatrix<2>(), V(10, 0)), mapped);
  EXPECT_EQ(mapped.points()[0], V(10, 0));
  EXPECT_EQ(region.data(), rectangleEdgelets(0, 0, 4, 4));
}

}  // namespace
