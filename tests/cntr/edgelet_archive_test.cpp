// Archive records of the edgelet templates: round trips, the version 0 contour layout built byte
// by byte, a missing transform, refused versions, and the registered factories.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <typeinfo>

#include "edgeletshapes.h"
#include "lynstd/archive.h"

namespace {

using namespace edgelettest;
using Bytes = std::vector<unsigned char>;

Bytes store(sgPersistent& object) {
  sgArchive out;
  object.serialize(out);
  return out.bytes();
}

void load(const Bytes& bytes, sgPersistent& object) {
  sgArchive in(bytes);
  object.serialize(in);
  EXPECT_EQ(in.remaining(), 0u);
}

// Little-endian writers for the archive's primitive encodings.
void putByte(Bytes& b, unsigned char v) { b.push_back(v); }
void putUInt(Bytes& b, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void putDouble(Bytes& b, double v) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  putUInt(b, bits, 8);
}
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
  putUInt(b, label, 8);
  putByte(b, 1);
  putByte(b, 0);
  putUInt(b, data.size(), 8);
  for (const sgEdgelet& e : data) putPoint(b, e.position());
  putUInt(b, 3, 8);
  putByte(b, 0);
  putUInt(b, data.size(), 8);
  for (const sgEdgelet& e : data) {
    putPoint(b, e.position());
    putUInt(b, e.magnitude(), 2);
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

template <class Call>
void expectUnknownVersion(Call call, const char* source, int number) {
  try {
    call();
    ADD_FAILURE() << "nothing was thrown";
  } catch (const sgArchive::UnknownVersion& e) {
    EXPECT_EQ(e.source(), source);
    EXPECT_EQ(e.number(), number);
  }
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
  expectUnknownVersion([&] { load(contourTRecord(2, {}, 0), contour); }, "cntrtmpl", 98);
  EXPECT_EQ(contour.data(), rectangleEdgelets(0, 0, 1, 1));

  RegionT region(rectangleEdgelets(0, 0, 1, 1), 0);
  Bytes regionRecord = store(region);
  regionRecord[0] = 1;
  expectUnknownVersion([&] { load(regionRecord, region); }, "cntrtmpl", 186);

  RegionSetT set(TypedHandles{sgPtrHandle_const<RegionT>(new RegionT(region))});
  Bytes setRecord = store(set);
  setRecord[0] = 1;
  expectUnknownVersion([&] { load(setRecord, set); }, "cntrtmpl", 286);
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

TEST(RegionSetTArchive, RoundTripKeepsBothListsOnTheSameObjects) {
  const TypedHandles typed{sgPtrHandle_const<RegionT>(new RegionT(rectangleEdgelets(0, 0, 1, 1), 1)),
                           sgPtrHandle_const<RegionT>(new RegionT(rectangleEdgelets(3, 0, 5, 2), 2))};
  RegionSetT source(typed);
  RegionSetT target;
  sgArchive in(store(source));
  target.serialize(in);

  ASSERT_EQ(target.regionsT().size(), 2u);
  ASSERT_EQ(target.regions().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(target.regions()[i].get(), static_cast<const sgRegion*>(target.regionsT()[i].get()));
    EXPECT_EQ(target.regionsT()[i]->points(), typed[i]->points());
    EXPECT_EQ(target.regionsT()[i]->label(), typed[i]->label());
  }
  EXPECT_DOUBLE_EQ(target.area(false), 5.0);
}

TEST(EdgeletFactories, RegisteredFactoriesMakeEmptyObjects) {
  const std::unique_ptr<ContourT> contour = makeRegistered<ContourT>();
  ASSERT_NE(contour, nullptr);
  EXPECT_TRUE(contour->points().empty());
  EXPECT_TRUE(contour->isClosed());
  EXPECT_EQ(contour->label(), 0u);
  EXPECT_EQ(contour->dataFromPointsXform()->xform(), sgXform<2>::I);
  contour->points({V(1, 2), V(3, 4)});
  EXPECT_EQ(positions(contour->data()), (Points{V(1, 2), V(3, 4)}));

  const std::unique_ptr<RegionT> region = makeRegistered<RegionT>();
  ASSERT_NE(region, nullptr);
  EXPECT_TRUE(region->points().empty());
  EXPECT_TRUE(region->holes().empty());
  EXPECT_TRUE(region->sgRegion::holes().empty());

  const std::unique_ptr<RegionSetT> set = makeRegistered<RegionSetT>();
  ASSERT_NE(set, nullptr);
  EXPECT_TRUE(set->regions().empty());
  EXPECT_TRUE(set->regionsT().empty());
}

}  // namespace
