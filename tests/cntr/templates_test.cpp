// The edgelet-carrying contour, region and region set, and the library's error classes. The
// agreement of points and edgelets after every mutation is the randomized edgelet test's.
#include <gtest/gtest.h>

#include <atomic>

#include "cntr/archivesamples.h"
#include "support/casetable.h"

namespace {

using namespace archivesamples;
using casetable::regionOf;
using Edgelets = std::vector<sgEdgelet>;
using Xform = sgPtrHandle_const<sg2XformBase>;
using ContourT = sgContourT<sgEdgelet>;
using RegionT = sgRegionT<sgEdgelet>;
using RegionSetT = sgRegionSetT<sgEdgelet>;
using TypedHandles = std::vector<sgPtrHandle_const<RegionT>>;
using RegionHandles = std::vector<sgPtrHandle_const<sgRegion>>;

sgEdgelet edgelet(double x, double y, unsigned short magnitude = 100, unsigned char code = 32) {
  return sgEdgelet(V(x, y), magnitude, sgAngle8(code));
}
Xform rigid(double degrees, double tx, double ty) {
  return Xform(new sg2Rigid(sgDegree(degrees), V(tx, ty)));
}
sgPtrHandle_const<RegionT> typedRegion(double x0, double y0, double x1, double y1) {
  return sgPtrHandle_const<RegionT>(new RegionT(sampleEdgelets(x0, y0, x1, y1), 0));
}

// An affine transform that counts how often an inverse is made of it or of any clone.
std::atomic<int> gInversesMade{0};
class CountingXform : public sg2XformLinear {
 public:
  explicit CountingXform(const sgXform<2>& x) : sg2XformLinear(x) {}
  sg2XformBase* inverseBase() const override {
    ++gInversesMade;
    return sg2XformLinear::inverseBase();
  }
  sg2XformBase* clone() const override { return new CountingXform(xform()); }
};

TEST(ContourT, PointsAreTheEdgeletsMappedBackThroughItsOwnTransform) {
  const Edgelets data = sampleEdgelets(10, 20, 14, 23);
  for (const ContourT& plain : {ContourT(data), ContourT(data, Xform())}) {
    EXPECT_EQ(plain.points(), rectangle(10, 20, 14, 23));
    EXPECT_TRUE(plain.isClosed());
    EXPECT_EQ(plain.dataFromPointsXform()->xform(), sgXform<2>::I);
  }
  const Xform xform = rigid(30.0, 5.0, -2.0);
  const ContourT contour(data, xform);
  EXPECT_NE(contour.dataFromPointsXform().get(), xform.get()) << "a clone is kept";
  EXPECT_EQ(contour.dataFromPointsXform()->xform(), xform->xform());
  const sgEdgelet back = contour.datum(contour.points()[2]);
  EXPECT_TRUE(sfRealEq(back.position(), data[2].position(), 1e-12)) << "the point maps back onto its edgelet";
  EXPECT_TRUE(back.magnitude() == 0 && back.angle().code() == 0) << "a datum made from a point";
  // A singular transform fails only where a point must be made from an edgelet.
  const Xform singular(new sg2XformLinear(sgXform<2>(sgMatrix<2>(1.0, 2.0, 2.0, 4.0), V(0, 0))));
  EXPECT_THROW(ContourT(sampleEdgelets(0, 0, 1, 1), singular), sgMathError::Singular);
  ContourT empty(Edgelets(), singular);
  empty.points({V(1, 1)});
  EXPECT_EQ(empty.data()[0].position(), V(3, 6));
}

// Setting either list rebuilds the other and the caches; copies share the transform and its one
// inverse, compare by it and the points, and keep edgelets of their own.
TEST(ContourT, EachListRebuildsTheOtherAndCopiesShareTheTransform) {
  gInversesMade = 0;
  const sgXform<2> scaleAndShift(sgMatrix<2>(2.0, 0.0, 0.0, 4.0), V(1.0, -3.0));
  ContourT contour(sampleEdgelets(0, 0, 1, 1), Xform(new CountingXform(scaleAndShift)));
  contour.points({V(1, 1), V(2, 0), V(0, 5)});
  EXPECT_EQ(contour.data()[2].position(), V(1.0, 17.0));
  const Edgelets data{edgelet(3, 5, 7, 9), edgelet(5, 1, 8, 10)};
  contour.data(data);
  EXPECT_EQ(contour.points(), (Points{V(1, 2), V(2, 1)}));
  EXPECT_DOUBLE_EQ(contour.length(), 2 * std::sqrt(2.0));
  contour.data(sampleEdgelets(1, -3, 5, 5));
  EXPECT_DOUBLE_EQ(contour.length(), 8.0);

  ContourT copy(contour);
  copy.data({edgelet(1, -3), edgelet(5, -3), edgelet(5, 5), edgelet(1, 5)});
  copy.label(5);
  EXPECT_TRUE(copy == contour) << "edgelet data and label are not compared";
  EXPECT_FALSE(ContourT(data) == ContourT(data)) << "each holds its own identity transform";
  EXPECT_EQ(copy.point(edgelet(3, 5)), V(1, 2));
  copy.data(data);
  EXPECT_FALSE(copy == contour);
  ContourT assigned(sampleEdgelets(5, 5, 6, 6));
  assigned = contour;
  EXPECT_TRUE(assigned == contour);
  contour.data(data);
  EXPECT_EQ(assigned.data(), sampleEdgelets(1, -3, 5, 5)) << "assignment copies the edgelets";
  EXPECT_EQ(gInversesMade, 1) << "the inverse is shared with copies";
}

// Loaded with a transform, a contour maps through it, not through the inverse of the old one;
// loaded without one, it refuses to map.
TEST(ContourT, LoadingReplacesTheTransformOrLeavesNone) {
  ContourT target(sampleEdgelets(0, 0, 1, 1), rigid(-70.0, 2.0, 2.0));  // inverse cached
  sgArchive out;
  ContourT(sampleEdgelets(10, 20, 13, 24), rigid(30.0, 4.0, -1.0)).serialize(out);
  sgArchive in(out.bytes());
  target.serialize(in);
  target.data(sampleEdgelets(5, 5, 8, 9));
  EXPECT_TRUE(sfRealEq(target.datum(target.points()[2]).position(), V(8, 9), 1e-12));

  sgArchive none(assemble("b1 b1 b0 q0 b1 P:1,2,3,4 q3 b0 q2 d1 d2 x:640020 d3 d4 x:640020 b0"));
  target.serialize(none);
  EXPECT_THROW(target.point(edgelet(1, 1)), sgBadPointer);
  EXPECT_THROW(target.datum(V(1, 1)), sgBadPointer);
  EXPECT_THROW(target.points({V(0, 0)}), sgBadPointer);
  EXPECT_THROW(target.data({edgelet(0, 0)}), sgBadPointer);
  target.data({});  // nothing to map
  EXPECT_TRUE(target.points().empty());
}

TEST(Templates, TypedMapHullAndRegularizeAreRefused) {
  ContourT contour(sampleEdgelets(5, 5, 6, 6));
  RegionT region(contour.data(), 2);
  RegionSetT set(TypedHandles{typedRegion(5, 5, 6, 6)});
  EXPECT_THROW(contour.mapT(sgXform<2>::I, contour), sgPel::BadWindow);
  EXPECT_THROW(contour.convexHullT(region), sgPel::BadWindow);
  EXPECT_THROW(region.mapT(sgXform<2>::I, region), sgPel::BadWindow);
  EXPECT_THROW(region.regularizeT(region), sgPel::BadWindow);
  EXPECT_THROW(set.mapT(sgXform<2>::I, set), sgPel::BadWindow);
  EXPECT_THROW(set.regularizeT(set), sgPel::BadWindow);
}

TEST(RegionT, OneOutlineSeenAlikeThroughTheContourEdgeletAndRegionViews) {
  ContourT contour(sampleEdgelets(1, 1, 3, 4), rigid(30.0, 2.0, 0.0));
  contour.cachedVectorSize(6);
  const RegionT fromContour(contour, 8);
  EXPECT_EQ(fromContour.data(), contour.data());
  EXPECT_TRUE(fromContour.cachedVectorSize() == 6 && fromContour.label() == 8u);
  EXPECT_TRUE(static_cast<const ContourT&>(fromContour) == contour);

  RegionT region(sampleEdgelets(0, 0, 2, 2), 17);
  sgContour& viaEdgelets = static_cast<ContourT&>(region);
  sgContour& viaRegion = static_cast<sgRegion&>(region);
  EXPECT_EQ(&viaEdgelets, &viaRegion);
  EXPECT_DOUBLE_EQ(region.area(false), 4.0);
  viaRegion.points({V(0, 0), V(6, 0), V(6, 1)});
  EXPECT_DOUBLE_EQ(region.area(false), 3.0);
  static_cast<ContourT&>(region).data(sampleEdgelets(0, 0, 5, 5));
  EXPECT_EQ(viaRegion.points(), rectangle(0, 0, 5, 5));
  EXPECT_DOUBLE_EQ(region.area(false), 25.0);
  EXPECT_THROW(region.isClosed(false), sgContourDefs::RegionCannotBeSetOpen);
  EXPECT_THROW(viaEdgelets.isClosed(false), sgContourDefs::RegionCannotBeSetOpen);
  region.isClosed(true);
  EXPECT_EQ(region.data(), sampleEdgelets(0, 0, 5, 5));
}

TEST(RegionT, DrawsOneUnitTickAcrossEachEdgeletNotTheOutlineNorTheHoles) {
  sgRecordingTablet tablet;
  const sgColor red(255, 0, 0);
  RegionT({edgelet(10, 20, 5, 64), edgelet(10, 20, 5, 0)}, 0).draw(tablet, red, sgUITablet::eOverlay);
  ASSERT_EQ(tablet.segments().size(), 2u);
  const double ends[] = {10.5, 20.0, 9.5, 20.0, 10.0, 19.5, 10.0, 20.5};  // directions 64, then 0
  for (std::size_t i = 0; i < 8; ++i) {
    const auto& segment = tablet.segments()[i / 4];
    const auto& end = i % 4 < 2 ? segment.from : segment.to;
    EXPECT_NEAR(i % 2 == 0 ? end.x() : end.y(), ends[i], 1e-12) << i;
  }
  EXPECT_TRUE(tablet.segments()[0].color == red && tablet.segments()[1].layer == sgUITablet::eOverlay);

  RegionT region(sampleEdgelets(0, 0, 10, 10), 0);
  static_cast<sgRegion&>(region).holes(RegionHandles{regionOf("POLYGON((4 4,6 4,6 6))")});
  tablet.clear();
  region.draw(tablet, sgColor(), sgUITablet::eGraphics);
  RegionT().draw(tablet, sgColor(), sgUITablet::eGraphics);
  EXPECT_EQ(tablet.segments().size(), 4u) << "one tick per edgelet of the outline, none for holes";
  tablet.clear();
  const sgPtrHandle_const<sgRegion> r(new RegionT({edgelet(1, 1)}, 0)), q(new RegionT({edgelet(2, 2)}, 0));
  sgRegionSet({r, q, r}).draw(tablet, sgColor(), sgUITablet::eOverlay);
  ASSERT_EQ(tablet.segments().size(), 3u) << "a set draws each region through its own slot, in order";
  EXPECT_TRUE(tablet.segments()[0].from.x() < 2 && tablet.segments()[1].from.x() > 1.5 &&
              tablet.segments()[2].from.x() < 2);
}

TEST(RegionT, TypedHolesAreTheirOwnListAndCopiesShareHolesAndTransform) {
  RegionT region(sampleEdgelets(0, 0, 10, 10), 6);
  const sgPtrHandle_const<RegionT> typedHole = typedRegion(5, 5, 6, 6);
  region.holes(TypedHandles{typedHole});
  EXPECT_TRUE(region.sgRegion::holes().empty());
  EXPECT_DOUBLE_EQ(region.area(true), 100.0) << "typed holes take no area";
  static_cast<sgRegion&>(region).holes(RegionHandles{regionOf("POLYGON((2 2,4 2,4 4,2 4))")});
  EXPECT_DOUBLE_EQ(region.area(true), 96.0);
  region.data(sampleEdgelets(0, 0, 10, 10));

  const RegionT copy(region);
  RegionT assigned(sampleEdgelets(50, 50, 51, 51), 0);
  assigned = region;
  for (const RegionT* r : std::initializer_list<const RegionT*>{&region, &copy, &assigned}) {
    EXPECT_TRUE(*r == region) << "the transform is shared";
    EXPECT_EQ(r->data(), sampleEdgelets(0, 0, 10, 10));
    EXPECT_EQ(r->holes()[0].get(), typedHole.get());
    EXPECT_EQ(r->sgRegion::holes()[0].get(), region.sgRegion::holes()[0].get());
  }
  region.data(sampleEdgelets(0, 0, 1, 1));
  EXPECT_EQ(copy.data(), sampleEdgelets(0, 0, 10, 10));
  EXPECT_DOUBLE_EQ(assigned.area(false), 100.0);
  RegionT bare(copy);
  bare.holes(TypedHandles{});
  static_cast<sgRegion&>(bare).holes(RegionHandles{});
  EXPECT_TRUE(bare == copy) << "holes are not compared";
  EXPECT_FALSE(copy == RegionT(sampleEdgelets(0, 0, 10, 10), 6));
}

TEST(RegionSetT, TypedRegionsFollowTheRegionListAndAreSharedByCopies) {
  const TypedHandles typed{typedRegion(0, 0, 1, 1), typedRegion(2, 0, 4, 2)};
  RegionSetT set(typed);
  ASSERT_EQ(set.regionsT().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i)
    EXPECT_TRUE(set.regionsT()[i] == typed[i] && set.regions()[i].get() == typed[i].get()) << i;
  const sgPtrHandle<RegionT> mutableHandle(new RegionT(sampleEdgelets(0, 0, 3, 3), 0));
  const RegionSetT fromMutable(std::vector<sgPtrHandle<RegionT>>{mutableHandle});
  EXPECT_TRUE(fromMutable.regionsT()[0].get() == mutableHandle.get() &&
              fromMutable.regions()[0].get() == mutableHandle.get());

  const RegionSetT copy(set);
  RegionSetT assigned(TypedHandles{typedRegion(9, 9, 10, 10)});
  assigned = set;
  EXPECT_TRUE(copy.regionsT()[1] == typed[1] && assigned.regionsT()[1] == typed[1]);
  EXPECT_TRUE(assigned == RegionSetT(TypedHandles{typedRegion(0, 0, 1, 1), typedRegion(2, 0, 4, 2)}));
  set.add(regionOf("POLYGON((5 5,7 5,7 8))"), sgContourDefs::eIgnore);
  ASSERT_EQ(set.regionsT().size(), 3u);
  EXPECT_NE(set.regionsT()[0].get(), typed[0].get()) << "every typed region is rebuilt from its outline";
  EXPECT_EQ(set.regions()[0].get(), typed[0].get());
  EXPECT_DOUBLE_EQ(set.area(false), 8.0);
  EXPECT_THROW(set.add(sgPtrHandle_const<sgRegion>(), sgContourDefs::eIgnore), sgBadPointer);
  ASSERT_EQ(set.regionsT().size(), 4u) << "the entries before the empty one are rebuilt";
  EXPECT_EQ(set.regionsT()[0]->points(), rectangle(0, 0, 1, 1));
  set.regions(RegionHandles{regionOf("POLYGON((5 0,6 0,5 1))")}, sgContourDefs::eIgnore);
  ASSERT_EQ(set.regionsT().size(), 1u);
  EXPECT_EQ(set.regionsT()[0]->points(), (Points{V(5, 0), V(6, 0), V(5, 1)}));
  set.regions(RegionHandles{}, sgContourDefs::eIgnore);
  EXPECT_TRUE(set.regionsT().empty());
}

// Each error class copies its message on assignment and rethrows as its true type; its record
// holds versions only (archives.cases), so the object loaded into keeps its own message.
template <class E>
void checkErrorClass() {
  E target(L"old");
  target = E(L"invalid contour");
  EXPECT_THROW(throw E(), sgContourDefs::Errors);
  sgContourDefs::Errors* onHeap = new E(target);
  try {
    onHeap->suicideAndRethrow();  // frees onHeap, which the leak checker of the sanitizer build sees
    ADD_FAILURE() << "suicideAndRethrow returned";
  } catch (const E& e) {
    EXPECT_EQ(e.string(), L"invalid contour");
  }
  sgArchive out;
  E(L"not stored").serialize(out);
  sgArchive in(out.bytes());
  target.serialize(in);
  EXPECT_TRUE(target.string() == L"invalid contour" && in.remaining() == 0u);
}

TEST(Errors, EachClassCopiesItsMessageRethrowsAsItselfAndLoadsOnlyVersions) {
  checkErrorClass<sgContourDefs::EmptyContour>();
  checkErrorClass<sgContourDefs::EmptyRegionSet>();
  checkErrorClass<sgContourDefs::BadParams>();
  checkErrorClass<sgContourDefs::RegionCannotBeSetOpen>();
}

}  // namespace
