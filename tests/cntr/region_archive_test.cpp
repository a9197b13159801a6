// The region's archive record: loading into a used region, shared holes, the legacy version 0
// layout and refused versions. The committed archive files (archive_golden_test) cover the round
// trips of holes, islands, labels and cache bounds.
#include <gtest/gtest.h>

#include <vector>

#include "archiveio.h"
#include "archivesamples.h"
#include "regionshapes.h"

namespace {

using namespace regiontest;
using archiveio::Bytes;
using archiveio::load;
using archiveio::store;
using archivesamples::makeLegacyRegionRecord;

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
  sgRegionTestAccess::listHolesUnchecked(sharing, Holes{hole, hole});
  sgRegion distinct(square10());
  sgRegionTestAccess::listHolesUnchecked(distinct,
                                         Holes{hole, sgPtrHandle_const<sgRegion>(new sgRegion(*hole))});
  const Bytes sharedBytes = store(sharing);
  EXPECT_LT(sharedBytes.size(), store(distinct).size());

  sgRegion loaded;
  load(sharedBytes, loaded);
  ASSERT_EQ(loaded.holes().size(), 2u);
  EXPECT_EQ(loaded.holes()[0].get(), loaded.holes()[1].get());
  EXPECT_NE(loaded.holes()[0].get(), hole.get());
  EXPECT_EQ(loaded.holes()[0]->points(), hole->points());
}

TEST(RegionArchive, VersionZeroRecordLoadsWithoutHolesAndLabel) {
  const Points points = {V(0, 0), V(4, 0), V(0, 3)};
  sgRegion loaded;
  loaded.label(9);
  load(makeLegacyRegionRecord(points, 6), loaded);
  EXPECT_EQ(loaded.points(), points);
  EXPECT_EQ(loaded.label(), 0u);
  EXPECT_EQ(loaded.cachedVectorSize(), 6);
  EXPECT_TRUE(loaded.holes().empty());
  EXPECT_FALSE(loaded.sgContour::isClosed());  // the stored flag, which a region ignores
  EXPECT_TRUE(loaded.isClosed());
  EXPECT_DOUBLE_EQ(loaded.area(false), 6.0);
}

TEST(RegionArchive, UnknownVersionsAndNegativeLegacyCacheSizesAreRefused) {
  sgRegion region;
  archiveio::expectUnknownVersion([&] { load(Bytes{2}, region); }, "cntr/region", 822);
  archiveio::expectUnknownVersion(
      [&] {
        load(makeLegacyRegionRecord({V(0, 0), V(1, 0), V(0, 1)}, 3, 1), region);
      },
      "cntr/region", 812);
  EXPECT_THROW(load(makeLegacyRegionRecord({V(0, 0), V(1, 0), V(0, 1)}, -1), region), sgArchive::Corrupt);
  EXPECT_EQ(region.cachedVectorSize(), 3);
}

}  // namespace
