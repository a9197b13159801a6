// The edgelet-carrying contour, region and region set, and the library's error classes. The
// agreement of points and edgelets after every mutation is the randomized edgelet test's.
#include <gtest/gtest.h>

#include <atomic>

#include "edgeletshapes.h"
#include "lynstd/archive.h"

namespace {

using namespace edgelettest;
using RegionHandles = std::vector<sgPtrHandle_const<sgRegion>>;

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

sgPtrHandle_const<sgRegion> plainRegion(const Points& points) {
  return sgPtrHandle_const<sgRegion>(new sgRegion(points));
}
sgPtrHandle_const<RegionT> typedRegion(double x0, double y0, double x1, double y1) {
  return sgPtrHandle_const<RegionT>(new RegionT(rectangleEdgelets(x0, y0, x1, y1), 0));
}

TEST(ContourT, PointsAreTheEdgeletsMappedBackThroughItsOwnTransform) {
  const Edgelets data = rectangleEdgelets(10, 20, 14, 23);
  for (const ContourT& plain : {ContourT(data), ContourT(data, Xform())}) {
    EXPECT_EQ(plain.points(), positions(data));
    EXPECT_TRUE(plain.isClosed());
    EXPECT_EQ(plain.dataFromPointsXform()->xform(), sgXform<2>::I);
  }
  const Xform xform = rigid(30.0, 5.0, -2.0);
  const ContourT contour(data, xform);
  EXPECT_NE(contour.dataFromPointsXform().get(), xform.get()) << "a clone is kept";
  EXPECT_EQ(contour.dataFromPointsXform()->xform(), xform->xform());
  expectPointsMatchData(contour, 1e-12);
  const sgEdgelet back = contour.datum(contour.points()[2]);
  expectNear(back.position(), data[2].position(), 1e-12);
  expectDataFromPoints({back});
  // A singular transform fails only where a point must be made from an edgelet.
  const Xform singular(new sg2XformLinear(sgXform<2>(sgMatrix<2>(1.0, 2.0, 2.0, 4.0), V(0, 0))));
  EXPECT_THROW(ContourT(rectangleEdgelets(0, 0, 1, 1), singular), sgMathError::Singular);
  ContourT empty(Edgelets(), singular);
  empty.points({V(1, 1)});
  EXPECT_EQ(empty.data()[0].position(), V(3, 6));
}

// Setting either list rebuilds the other and the caches; copies share the transform and its one
// inverse, compare by it and the points, and keep edgelets of their own.
TEST(ContourT, EachListRebuildsTheOtherAndCopiesShareTheTransform) {
  gInversesMade = 0;
  const sgXform<2> scaleAndShift(sgMatrix<2>(2.0, 0.0, 0.0, 4.0), V(1.0, -3.0));
  ContourT contour(rectangleEdgelets(0, 0, 1, 1), Xform(new CountingXform(scaleAndShift)));
  contour.points({V(1, 1), V(2, 0), V(0, 5)});
  EXPECT_EQ(contour.data()[2].position(), V(1.0, 17.0));
  const Edgelets data{edgelet(3, 5, 7, 9), edgelet(5, 1, 8, 10)};
  contour.data(data);
  EXPECT_EQ(contour.points(), (Points{V(1, 2), V(2, 1)}));
  EXPECT_DOUBLE_EQ(contour.length(), 2 * std::sqrt(2.0));
  contour.data(rectangleEdgelets(1, -3, 5, 5));
  EXPECT_DOUBLE_EQ(contour.length(), 8.0);

  ContourT copy(contour);
  copy.data({edgelet(1, -3), edgelet(5, -3), edgelet(5, 5), edgelet(1, 5)});
  copy.label(5);
  EXPECT_TRUE(copy == contour) << "edgelet data and label are not compared";
  EXPECT_FALSE(ContourT(data) == ContourT(data)) << "each holds its own identity transform";
  EXPECT_EQ(copy.point(edgelet(3, 5)), V(1, 2));
  copy.data(data);
  EXPECT_FALSE(copy == contour);
  ContourT assigned(rectangleEdgelets(5, 5, 6, 6));
  assigned = contour;
  EXPECT_TRUE(assigned == contour);
  contour.data(data);
  EXPECT_EQ(assigned.data(), rectangleEdgelets(1, -3, 5, 5)) << "assignment copies the edgelets";
  EXPECT_EQ(gInversesMade, 1) << "the inverse is shared with copies";
}

TEST(Templates, TypedMapHullAndRegularizeAreRefused) {
  ContourT contour(rectangleEdgelets(5, 5, 6, 6));
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
  ContourT contour(rectangleEdgelets(1, 1, 3, 4), rigid(30.0, 2.0, 0.0));
  contour.cachedVectorSize(6);
  const RegionT fromContour(contour, 8);
  EXPECT_EQ(fromContour.data(), contour.data());
  EXPECT_EQ(fromContour.cachedVectorSize(), 6);
  EXPECT_EQ(fromContour.label(), 8u);
  EXPECT_TRUE(static_cast<const ContourT&>(fromContour) == contour);
  Xform quarterTurn = rigid(90.0, 10.0, 10.0);
  expectPointsMatchData(RegionT(rectangleEdgelets(10, 10, 12, 13), quarterTurn, 3));

  RegionT region(rectangleEdgelets(0, 0, 2, 2), 17);
  sgContour& viaEdgelets = static_cast<ContourT&>(region);
  sgContour& viaRegion = static_cast<sgRegion&>(region);
  EXPECT_EQ(&viaEdgelets, &viaRegion);
  EXPECT_DOUBLE_EQ(region.area(false), 4.0);
  viaRegion.points({V(0, 0), V(6, 0), V(6, 1)});
  EXPECT_DOUBLE_EQ(region.area(false), 3.0);
  static_cast<ContourT&>(region).data(rectangleEdgelets(0, 0, 5, 5));
  EXPECT_EQ(viaRegion.points(), positions(rectangleEdgelets(0, 0, 5, 5)));
  EXPECT_DOUBLE_EQ(region.area(false), 25.0);
  EXPECT_THROW(region.isClosed(false), sgContourDefs::RegionCannotBeSetOpen);
  EXPECT_THROW(viaEdgelets.isClosed(false), sgContourDefs::RegionCannotBeSetOpen);
  region.isClosed(true);
  EXPECT_EQ(region.data(), rectangleEdgelets(0, 0, 5, 5));
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
  EXPECT_EQ(tablet.segments()[0].color, red);
  EXPECT_EQ(tablet.segments()[1].layer, sgUITablet::eOverlay);

  RegionT region(rectangleEdgelets(0, 0, 10, 10), 0);
  static_cast<sgRegion&>(region).holes(RegionHandles{plainRegion({V(4, 4), V(6, 4), V(6, 6)})});
  tablet.clear();
  region.draw(tablet, sgColor(), sgUITablet::eGraphics);
  RegionT().draw(tablet, sgColor(), sgUITablet::eGraphics);
  EXPECT_EQ(tablet.segments().size(), 4u) << "one tick per edgelet of the outline, none for holes";
}

TEST(RegionT, TypedHolesAreTheirOwnListAndCopiesShareHolesAndTransform) {
  RegionT region(rectangleEdgelets(0, 0, 10, 10), 6);
  const sgPtrHandle_const<RegionT> typedHole = typedRegion(5, 5, 6, 6);
  region.holes(TypedHandles{typedHole});
  EXPECT_TRUE(region.sgRegion::holes().empty());
  EXPECT_DOUBLE_EQ(region.area(true), 100.0) << "typed holes take no area";
  static_cast<sgRegion&>(region).holes(RegionHandles{plainRegion({V(2, 2), V(4, 2), V(4, 4), V(2, 4)})});
  EXPECT_DOUBLE_EQ(region.area(true), 96.0);
  region.data(rectangleEdgelets(0, 0, 10, 10));

  const RegionT copy(region);
  RegionT assigned(rectangleEdgelets(50, 50, 51, 51), 0);
  assigned = region;
  for (const RegionT* r : std::initializer_list<const RegionT*>{&region, &copy, &assigned}) {
    EXPECT_TRUE(*r == region) << "the transform is shared";
    EXPECT_EQ(r->data(), rectangleEdgelets(0, 0, 10, 10));
    EXPECT_EQ(r->holes()[0].get(), typedHole.get());
    EXPECT_EQ(r->sgRegion::holes()[0].get(), region.sgRegion::holes()[0].get());
  }
  region.data(rectangleEdgelets(0, 0, 1, 1));
  EXPECT_EQ(copy.data(), rectangleEdgelets(0, 0, 10, 10));
  EXPECT_DOUBLE_EQ(assigned.area(false), 100.0);
  RegionT bare(copy);
  bare.holes(TypedHandles{});
  static_cast<sgRegion&>(bare).holes(RegionHandles{});
  EXPECT_TRUE(bare == copy) << "holes are not compared";
  EXPECT_FALSE(copy == RegionT(rectangleEdgelets(0, 0, 10, 10), 6));
}

TEST(RegionSetT, TypedRegionsFollowTheRegionListAndAreSharedByCopies) {
  const TypedHandles typed{typedRegion(0, 0, 1, 1), typedRegion(2, 0, 4, 2)};
  RegionSetT set(typed);
  ASSERT_EQ(set.regionsT().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(set.regionsT()[i].get(), typed[i].get());
    EXPECT_EQ(set.regions()[i].get(), static_cast<const sgRegion*>(typed[i].get()));
  }
  const sgPtrHandle<RegionT> mutableHandle(new RegionT(rectangleEdgelets(0, 0, 3, 3), 0));
  const RegionSetT fromMutable(std::vector<sgPtrHandle<RegionT>>{mutableHandle});
  EXPECT_EQ(fromMutable.regionsT()[0].get(), mutableHandle.get());
  EXPECT_EQ(fromMutable.regions()[0].get(), static_cast<const sgRegion*>(mutableHandle.get()));

  const RegionSetT copy(set);
  RegionSetT assigned(TypedHandles{typedRegion(9, 9, 10, 10)});
  assigned = set;
  EXPECT_EQ(copy.regionsT()[1].get(), typed[1].get());
  EXPECT_EQ(assigned.regionsT()[1].get(), typed[1].get());
  EXPECT_TRUE(assigned == RegionSetT(TypedHandles{typedRegion(0, 0, 1, 1), typedRegion(2, 0, 4, 2)}));
  set.add(plainRegion({V(5, 5), V(7, 5), V(7, 8)}), sgContourDefs::eIgnore);
  ASSERT_EQ(set.regionsT().size(), 3u);
  EXPECT_NE(set.regionsT()[0].get(), typed[0].get()) << "every typed region is rebuilt from its outline";
  EXPECT_EQ(set.regions()[0].get(), static_cast<const sgRegion*>(typed[0].get()));
  EXPECT_DOUBLE_EQ(set.area(false), 8.0);
  EXPECT_THROW(set.add(sgPtrHandle_const<sgRegion>(), sgContourDefs::eIgnore), sgBadPointer);
  ASSERT_EQ(set.regionsT().size(), 4u) << "the entries before the empty one are rebuilt";
  EXPECT_EQ(set.regionsT()[0]->points(), positions(rectangleEdgelets(0, 0, 1, 1)));
  set.regions(RegionHandles{plainRegion({V(5, 0), V(6, 0), V(5, 1)})}, sgContourDefs::eIgnore);
  ASSERT_EQ(set.regionsT().size(), 1u);
  EXPECT_EQ(set.regionsT()[0]->points(), (Points{V(5, 0), V(6, 0), V(5, 1)}));
  set.regions(RegionHandles{}, sgContourDefs::eIgnore);
  EXPECT_TRUE(set.regionsT().empty());
}

// Number, message, rethrow as the true type, and the archive record of one error class.
template <class E>
void checkErrorClass(long number, const std::string& name) {
  SCOPED_TRACE(name);
  EXPECT_EQ(E().errorNumber(), number);
  EXPECT_TRUE(E().string().empty());
  E target(L"old");
  target = E(L"invalid contour");
  EXPECT_EQ(target.string(), L"invalid contour");
  EXPECT_THROW(throw E(), sgContourDefs::Errors);
  sgContourDefs::Errors* onHeap = new E(L"rethrown");
  try {
    onHeap->suicideAndRethrow();  // frees onHeap, which the leak checker of the sanitizer build sees
    ADD_FAILURE() << "suicideAndRethrow returned";
  } catch (const E& e) {
    EXPECT_EQ(e.string(), L"rethrown");
  }
  // The record holds the leaf's version, then the Errors level's, and no message: the object
  // loaded into keeps its own.
  sgArchive out;
  E(L"not stored").serialize(out);
  E loaded(L"kept");
  sgArchive in(out.bytes());
  loaded.serialize(in);
  EXPECT_EQ(loaded.string(), L"kept");
  EXPECT_EQ(in.remaining(), 0u);
  for (std::size_t at : {0u, 1u}) {
    std::vector<unsigned char> bytes = out.bytes();
    bytes[at] = 1;
    sgArchive bad(bytes);
    try {
      E().serialize(bad);
      ADD_FAILURE() << "version 1 accepted at byte " << at;
    } catch (const sgArchive::UnknownVersion& e) {
      EXPECT_EQ(e.source(), at == 0 ? name : "sgContourDefs::Errors");
      EXPECT_EQ(e.number(), 0);
    }
  }
}

TEST(Errors, EachClassHasItsNumberMessageRethrowAndRecord) {
  checkErrorClass<sgContourDefs::EmptyContour>(0x10004680, "sgContourDefs::EmptyContour");
  checkErrorClass<sgContourDefs::EmptyRegionSet>(0x10004682, "sgContourDefs::EmptyRegionSet");
  checkErrorClass<sgContourDefs::BadParams>(0x10004683, "sgContourDefs::BadParams");
  checkErrorClass<sgContourDefs::RegionCannotBeSetOpen>(0x10004684, "sgContourDefs::RegionCannotBeSetOpen");
}

}  // namespace
