// Archive records of the edgelet templates: round trips into used objects, the version 0 contour
// layout built byte by byte, a missing transform, refused versions and the contour's factory. The
// committed archive files (archive_golden_test) cover the round trips through pointers.
#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "archiveio.h"
#include "archivesamples.h"
#include "edgeletshapes.h"

namespace {

using namespace edgelettest;
using archiveio::Bytes;
using archiveio::load;
using archiveio::store;
using archivesamples::putByte;
using archivesamples::putDouble;
using archivesamples::putUInt64;

void putPoint(Bytes& b, const V& p) {
  putDouble(b, p.x());
  putDouble(b, p.y());
}

// An edgelet contour record up to its transform: the edgelet level's version byte, the contour
// level (version 1: sgPersistent level, label, closed flag, points, cachedVectorSize) and the
// edgelets as a vector record.
Bytes contourTRecord(unsigned char version, const Edgelets& data, unsigned long label) {
  Bytes b;
  putByte(b, version);
  putByte(b, 1);
  putByte(b, 0);
  putUInt64(b, label);
  putByte(b, 1);
  putByte(b, 0);
  putUInt64(b, data.size());
  for (const sgEdgelet& e : data) putPoint(b, e.position());
  putUInt64(b, 3);
  putByte(b, 0);
  putUInt64(b, data.size());
  for (const sgEdgelet& e : data) {
    putPoint(b, e.position());
    putByte(b, static_cast<unsigned char>(e.magnitude()));
    putByte(b, static_cast<unsigned char>(e.magnitude() >> 8));
    putByte(b, e.angle().code());
  }
  return b;
}

Bytes nullPointerRecord() {
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, nullptr, unused);
  return out.bytes();
}

template <class Class>
std::unique_ptr<Class> makeRegistered() {
  const sg_Instantiator::Factory factory = sg_Instantiator::find(typeid(Class).name());
  if (!factory) return nullptr;
  return std::unique_ptr<Class>(dynamic_cast<Class*>(factory()));
}

TEST(ContourTArchive, RoundTripRestoresEverythingAndRemakesTheInverse) {
  ContourT source(rectangleEdgelets(10, 20, 13, 24), rigid(30.0, 4.0, -1.0));
  source.label(12);
  source.isClosed(false);
  source.cachedVectorSize(9);
  ContourT target(rectangleEdgelets(0, 0, 1, 1), rigid(-70.0, 2.0, 2.0));  // inverse cached

  load(store(source), target);
  EXPECT_EQ(target.points(), source.points());
  EXPECT_EQ(target.data(), source.data());
  EXPECT_EQ(target.label(), 12u);
  EXPECT_FALSE(target.isClosed());
  EXPECT_EQ(target.cachedVectorSize(), 9);
  ASSERT_NE(dynamic_cast<const sg2Rigid*>(target.dataFromPointsXform().get()), nullptr);
  EXPECT_EQ(target.dataFromPointsXform()->xform(), source.dataFromPointsXform()->xform());
  target.data(rectangleEdgelets(5, 5, 8, 9));
  expectPointsMatchData(target);
}

TEST(ContourTArchive, VersionZeroRecordKeepsTheObjectsTransform) {
  const Edgelets data{edgelet(1, 2, 300, 7), edgelet(4, 2, 301, 8), edgelet(4, 6, 302, 9)};
  ContourT target(rectangleEdgelets(0, 0, 1, 1), rigid(90.0, 0.0, 0.0));
  const Xform before = target.dataFromPointsXform();

  load(contourTRecord(0, data, 5), target);
  EXPECT_EQ(target.dataFromPointsXform().get(), before.get());
  EXPECT_EQ(target.data(), data);
  EXPECT_EQ(target.points(), positions(data));  // as stored: nothing is recomputed
  EXPECT_EQ(target.label(), 5u);
  target.points(target.points());
  expectPointsMatchData(target);
}

TEST(ContourTArchive, MissingTransformLoadsEmptyAndThenRefusesToMap) {
  Bytes record = contourTRecord(1, {edgelet(1, 2), edgelet(3, 4)}, 0);
  const Bytes null = nullPointerRecord();
  record.insert(record.end(), null.begin(), null.end());
  ContourT target;
  load(record, target);
  EXPECT_EQ(target.points(), (Points{V(1, 2), V(3, 4)}));
  EXPECT_TRUE(target.dataFromPointsXform().isNull());
  EXPECT_THROW(target.point(edgelet(1, 1)), sgBadPointer);
  EXPECT_THROW(target.datum(V(1, 1)), sgBadPointer);
  EXPECT_THROW(target.points({V(0, 0)}), sgBadPointer);
  EXPECT_THROW(target.data({edgelet(0, 0)}), sgBadPointer);
  target.data(Edgelets());  // nothing to map
  EXPECT_TRUE(target.points().empty());
}

TEST(EdgeletArchiveRefusals, UnknownVersionsNameTheirSourceAndNumber) {
  ContourT contour(rectangleEdgelets(0, 0, 1, 1));
  archiveio::expectUnknownVersion([&] { load(contourTRecord(2, {}, 0), contour); }, "cntrtmpl", 98);
  EXPECT_EQ(contour.data(), rectangleEdgelets(0, 0, 1, 1));

  RegionT region(rectangleEdgelets(0, 0, 1, 1), 0);
  Bytes regionRecord = store(region);
  regionRecord[0] = 1;
  archiveio::expectUnknownVersion([&] { load(regionRecord, region); }, "cntrtmpl", 186);

  RegionSetT set(TypedHandles{sgPtrHandle_const<RegionT>(new RegionT(region))});
  Bytes setRecord = store(set);
  setRecord[0] = 1;
  archiveio::expectUnknownVersion([&] { load(setRecord, set); }, "cntrtmpl", 286);
  EXPECT_EQ(set.regionsT().size(), 1u);
}

TEST(RegionTArchive, RecordIsTheRegionLevelAlone) {
  RegionT region(rectangleEdgelets(0, 0, 10, 10), 4);
  static_cast<sgRegion&>(region).holes(std::vector<sgPtrHandle_const<sgRegion>>{
      sgPtrHandle_const<sgRegion>(new sgRegion({V(2, 2), V(4, 2), V(4, 4)}))});
  region.holes(TypedHandles{sgPtrHandle_const<RegionT>(new RegionT(rectangleEdgelets(5, 5, 6, 6), 0))});
  sgRegion plain(static_cast<const sgRegion&>(region));

  Bytes expected{0};
  const Bytes plainRecord = store(plain);
  expected.insert(expected.end(), plainRecord.begin(), plainRecord.end());
  EXPECT_EQ(store(region), expected);
}

// The edgelets, transform and typed holes are not in the record: the loaded region keeps those of
// the object it was loaded into, even where they no longer match its points.
TEST(RegionTArchive, LoadsPointsAndHolesAndKeepsTheTargetsEdgelets) {
  RegionT source(rectangleEdgelets(0, 0, 10, 10), 4);
  static_cast<sgRegion&>(source).holes(std::vector<sgPtrHandle_const<sgRegion>>{
      sgPtrHandle_const<sgRegion>(new sgRegion({V(2, 2), V(4, 2), V(4, 4)}))});
  const Edgelets targetData = rectangleEdgelets(50, 50, 51, 52);
  RegionT target(targetData, 0);
  const sgPtrHandle_const<RegionT> typedHole(new RegionT(rectangleEdgelets(50.2, 50.2, 50.4, 50.4), 0));
  target.holes(TypedHandles{typedHole});
  const Xform targetXform = target.dataFromPointsXform();

  load(store(source), target);
  EXPECT_EQ(target.points(), source.points());
  EXPECT_EQ(target.label(), 4u);
  ASSERT_EQ(target.sgRegion::holes().size(), 1u);
  EXPECT_EQ(target.sgRegion::holes()[0]->points(), (Points{V(2, 2), V(4, 2), V(4, 4)}));
  EXPECT_DOUBLE_EQ(target.area(true), 98.0);
  EXPECT_EQ(target.data(), targetData);
  EXPECT_EQ(target.dataFromPointsXform().get(), targetXform.get());
  ASSERT_EQ(target.holes().size(), 1u);
  EXPECT_EQ(target.holes()[0].get(), typedHole.get());
}

// The factory table (archive_factory_test) makes each class as itself; a contour made for loading
// must also have a transform, so that points can be mapped before a record is loaded.
TEST(EdgeletFactories, ContourIsMadeEmptyWithTheIdentityTransform) {
  const std::unique_ptr<ContourT> contour = makeRegistered<ContourT>();
  ASSERT_NE(contour, nullptr);
  EXPECT_TRUE(contour->points().empty());
  EXPECT_EQ(contour->dataFromPointsXform()->xform(), sgXform<2>::I);
  contour->points({V(1, 2), V(3, 4)});
  EXPECT_EQ(positions(contour->data()), (Points{V(1, 2), V(3, 4)}));
}

}  // namespace
