// The region's archive record: round trips, shared holes, the legacy version 0 layout built
// byte by byte, and refused versions.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "lynstd/archive.h"
#include "regionshapes.h"

namespace {

using namespace regiontest;
using Bytes = std::vector<unsigned char>;

Bytes store(sgRegion& region) {
  sgArchive out;
  region.serialize(out);
  return out.bytes();
}

void load(const Bytes& bytes, sgRegion& region) {
  sgArchive in(bytes);
  region.serialize(in);
  EXPECT_EQ(in.remaining(), 0u);
}

// Little-endian writers for the archive's primitive encodings.
void putByte(Bytes& b, unsigned char v) { b.push_back(v); }
void putUInt64(Bytes& b, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void putDouble(Bytes& b, double v) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  putUInt64(b, bits);
}

// A version 0 region record: region level 0, legacy base level 0, sgPersistent level 0, the
// points as a vector record, one unused byte, cachedVectorSize.
Bytes legacyRegionRecord(const Points& points, long cacheSize, unsigned char baseVersion = 0) {
  Bytes b;
  putByte(b, 0);
  putByte(b, baseVersion);
  putByte(b, 0);
  putByte(b, 0);
  putUInt64(b, points.size());
  for (const V& p : points) {
    putDouble(b, p.x());
    putDouble(b, p.y());
  }
  putByte(b, 0xAB);
  putUInt64(b, static_cast<std::uint64_t>(cacheSize));
  return b;
}

TEST(RegionArchive, RoundTripRestoresBoundaryLabelCacheSizeAndHoles) {
  sgRegion island(rectangle(2.5, 2.5, 3.5, 3.5));
  sgRegion holeWithIsland(rectangle(2, 2, 4, 4));
  holeWithIsland.holes(Holes{sgPtrHandle_const<sgRegion>(new sgRegion(island))});
  sgRegion region({V(0, 0), V(10, 0), V(10, 10), V(0.5, 10.25)});
  region.label(7);
  region.cachedVectorSize(5);
  region.holes(
      Holes{sgPtrHandle_const<sgRegion>(new sgRegion(holeWithIsland)), shared(rectangle(6, 6, 8, 8))});

  sgRegion loaded;
  load(store(region), loaded);
  EXPECT_EQ(loaded.points(), region.points());
  EXPECT_EQ(loaded.label(), 7u);
  EXPECT_EQ(loaded.cachedVectorSize(), 5);
  EXPECT_TRUE(loaded.sgContour::isClosed());
  ASSERT_EQ(loaded.holes().size(), 2u);
  EXPECT_EQ(loaded.holes()[0]->points(), holeWithIsland.points());
  EXPECT_EQ(loaded.holes()[1]->points(), rectangle(6, 6, 8, 8));
  ASSERT_EQ(loaded.holes()[0]->holes().size(), 1u);
  EXPECT_EQ(loaded.holes()[0]->holes()[0]->points(), island.points());
  EXPECT_TRUE(loaded.inside(V(3, 3), true));
  EXPECT_FALSE(loaded.inside(V(7, 7), true));
}

TEST(RegionArchive, LoadingReplacesHolesAndClearsCaches) {
  sgRegion source(rectangle(0, 0, 5, 5));
  sgRegion target(square10());
  target.holes(Holes{shared(rectangle(2, 2, 4, 4))});
  EXPECT_DOUBLE_EQ(target.area(true), 96.0);
  load(store(source), target);
  EXPECT_TRUE(target.holes().empty());
  EXPECT_DOUBLE_EQ(target.area(true), 25.0);
  EXPECT_DOUBLE_EQ(target.area(false), 25.0);
}

TEST(RegionArchive, SharedHoleIsStoredOnceAndRestoredShared) {
  const auto hole = shared(rectangle(2, 2, 4, 4));
  sgRegion sharing(square10());
  sharing.holes(Holes{hole, hole});
  sgRegion distinct(square10());
  distinct.holes(Holes{hole, sgPtrHandle_const<sgRegion>(new sgRegion(*hole))});
  const Bytes sharedBytes = store(sharing);
  EXPECT_LT(sharedBytes.size(), store(distinct).size());

  sgRegion loaded;
  load(sharedBytes, loaded);
  ASSERT_EQ(loaded.holes().size(), 2u);
  EXPECT_EQ(loaded.holes()[0].get(), loaded.holes()[1].get());
  EXPECT_NE(loaded.holes()[0].get(), hole.get());
  EXPECT_EQ(loaded.holes()[0]->points(), hole->points());
}

TEST(RegionArchive, RegionBehindPointerIsMadeByItsFactory) {
  sgRegion region(square10());
  region.label(11);
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, &region, unused);

  sgPtrHandle_const<sgRegion> held;
  {
    sgArchive in(out.bytes());
    sgPersistent* loaded = nullptr;
    sgPersistent::serializePointer(in, nullptr, loaded);
    held = sgPtrHandle_const<sgRegion>(dynamic_cast<const sgRegion*>(loaded));
  }
  ASSERT_FALSE(held.isNull());
  EXPECT_EQ(held->points(), square10());
  EXPECT_EQ(held->label(), 11u);
  EXPECT_TRUE(held->holes().empty());
}

TEST(RegionArchive, VersionZeroRecordLoadsWithoutHolesAndLabel) {
  const Points points = {V(0, 0), V(4, 0), V(0, 3)};
  sgRegion loaded;
  loaded.label(9);
  load(legacyRegionRecord(points, 6), loaded);
  EXPECT_EQ(loaded.points(), points);
  EXPECT_EQ(loaded.label(), 0u);
  EXPECT_EQ(loaded.cachedVectorSize(), 6);
  EXPECT_TRUE(loaded.holes().empty());
  EXPECT_FALSE(loaded.sgContour::isClosed());  // the stored flag, which a region ignores
  EXPECT_TRUE(loaded.isClosed());
  EXPECT_DOUBLE_EQ(loaded.area(false), 6.0);
}

// Old archives hold many legacy regions in one record (here as holes): each one must consume
// its own legacy base level.
TEST(RegionArchive, SeveralVersionZeroRegionsLoadInOnePass) {
  sgRegion outer(square10());
  Bytes record = store(outer);
  record.resize(record.size() - 9);  // drop the empty hole list: version byte and count

  // The pointer record header (tag and class name) of a new region object, as the archive writes it.
  outer.holes(Holes{shared(rectangle(2, 2, 4, 4))});
  const Bytes withHole = store(outer);
  const std::size_t headerStart = record.size() + 9;
  std::uint64_t nameLength = 0;
  for (int i = 0; i < 8; ++i) nameLength |= std::uint64_t{withHole[headerStart + 1 + i]} << (8 * i);
  const Bytes header(withHole.begin() + static_cast<long>(headerStart),
                     withHole.begin() + static_cast<long>(headerStart + 9 + nameLength));

  putByte(record, 0);
  putUInt64(record, 2);
  const Points first = rectangle(2, 2, 4, 4);
  const Points second = {V(6, 6), V(8, 6), V(7, 8)};
  for (const Points* hole : {&first, &second}) {
    record.insert(record.end(), header.begin(), header.end());
    const Bytes legacy = legacyRegionRecord(*hole, 3);
    record.insert(record.end(), legacy.begin(), legacy.end());
  }

  sgRegion loaded;
  load(record, loaded);
  ASSERT_EQ(loaded.holes().size(), 2u);
  EXPECT_EQ(loaded.holes()[0]->points(), first);
  EXPECT_EQ(loaded.holes()[1]->points(), second);
}

TEST(RegionArchive, UnknownVersionsAreRefused) {
  sgRegion region;
  try {
    load(Bytes{2}, region);
    ADD_FAILURE() << "version 2 was accepted";
  } catch (const sgArchive::UnknownVersion& e) {
    EXPECT_EQ(e.source(), "cntr/region");
    EXPECT_EQ(e.number(), 822);
  }
  try {
    load(legacyRegionRecord({V(0, 0), V(1, 0), V(0, 1)}, 3, 1), region);
    ADD_FAILURE() << "legacy base version 1 was accepted";
  } catch (const sgArchive::UnknownVersion& e) {
    EXPECT_EQ(e.source(), "cntr/region");
    EXPECT_EQ(e.number(), 812);
  }
}

TEST(RegionArchive, NegativeLegacyCacheSizeIsCorrupt) {
  sgRegion region;
  EXPECT_THROW(load(legacyRegionRecord({V(0, 0), V(1, 0), V(0, 1)}, -1), region), sgArchive::Corrupt);
  EXPECT_EQ(region.cachedVectorSize(), 3);
}

}  // namespace
