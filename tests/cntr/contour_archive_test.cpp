// sgContour's archive record: the version 1 layout, the legacy version 0 layout, refusals. The
// committed archive files (archive_golden_test) cover the round trips.
#include <gtest/gtest.h>

#include "cntr/archiveio.h"
#include "cntr/archivesamples.h"
#include "cntr/contourprobe.h"

namespace {

using Points = std::vector<sgVector<2>>;

// The version 1 record of a contour, written field by field.
std::vector<unsigned char> version1Record(unsigned long label, bool closed, Points points, long cacheSize) {
  sgArchive ar;
  unsigned char contourVersion = 1, zero = 0;
  unsigned long count = points.size();
  ar || contourVersion || zero || label || closed || zero || count;
  for (sgVector<2>& p : points) ar || p;
  ar || cacheSize;
  return ar.bytes();
}

using archivesamples::makeLegacyContourRecord;

TEST(ContourArchive, StoresTheVersion1Layout) {
  sgContour c(Points{{1, 2}, {3, 4}, {-5, 0.5}}, false, 42);
  c.cachedVectorSize(5);
  sgArchive out;
  c.serialize(out);
  EXPECT_EQ(out.bytes(), version1Record(42, false, c.points(), 5));
}

TEST(ContourArchive, LoadingDropsTheCachesOfTheOldVertices) {
  ContourProbe target(Points{{1, 0}, {0, 0}}, false, 3);
  ASSERT_DOUBLE_EQ(target.length(), 1.0);
  ASSERT_EQ(target.extremalVertexIndex(sgRadian(0.0)), 0);
  sgArchive in(version1Record(9, true, Points{{0, 0}, {3, 0}, {3, 4}}, 3));
  target.serialize(in);
  EXPECT_DOUBLE_EQ(target.length(), 12.0);
  EXPECT_EQ(target.extremalVertexIndex(sgRadian(0.0)), 1);
  EXPECT_EQ(target.extremalVertexIndex(sgRadian(1.5)), 2);
  EXPECT_EQ(target.label(), 9u);
}

TEST(ContourArchive, StoringChangesNothing) {
  ContourProbe c(square2(), true, 1);
  ASSERT_DOUBLE_EQ(c.length(), 8.0);
  c.moveVertexUnnoticed(2, {2, 9});
  sgArchive out;
  c.serialize(out);
  EXPECT_DOUBLE_EQ(c.length(), 8.0) << "caches kept";
  EXPECT_EQ(c.label(), 1u);
}

TEST(ContourArchive, Version0RecordLoadsWithLabelZeroAndTheReaderIsReused) {
  sgContour target(Points{{9, 9}, {8, 8}}, true, 5);
  archiveio::load(makeLegacyContourRecord(Points{{0, 0}, {3, 0}, {3, 4}}, 9, false), target);
  EXPECT_EQ(target.points(), (Points{{0, 0}, {3, 0}, {3, 4}}));
  EXPECT_FALSE(target.isClosed());
  EXPECT_EQ(target.cachedVectorSize(), 9);
  EXPECT_EQ(target.label(), 0u);
  EXPECT_DOUBLE_EQ(target.length(), 7.0);

  sgContour again;
  archiveio::load(makeLegacyContourRecord(Points{{1, 1}, {2, 2}}, 0, true), again);
  EXPECT_EQ(again.points().size(), 2u);
  EXPECT_TRUE(again.isClosed());
}

void expectRefusal(const std::vector<unsigned char>& bytes, const std::string& source, int number) {
  sgContour target;
  archiveio::expectUnknownVersion([&] { archiveio::load(bytes, target); }, source, number);
}

TEST(ContourArchive, UnknownVersionsAreRefusedWhereTheyOccur) {
  std::vector<unsigned char> record = version1Record(1, true, Points{{0, 0}, {1, 1}}, 3);
  record[0] = 2;
  expectRefusal(record, "cntr/contour", 900);
  expectRefusal(makeLegacyContourRecord(Points{{0, 0}, {1, 1}}, 3, true, 1), "cntr/contour", 890);
  // The points' vector record: version byte after the version byte, sgPersistent level, label
  // (8 bytes) and closed flag.
  record[0] = 1;
  record[11] = 1;
  expectRefusal(record, "", 0);
}

TEST(ContourArchive, ImpossibleCountsAndNegativeCacheSizesAreCorrupt) {
  std::vector<unsigned char> record = version1Record(1, true, Points{{0, 0}, {1, 1}}, 3);
  record[19] = 0x7f;  // most significant byte of the point count
  sgContour target;
  sgArchive in(record);
  EXPECT_THROW(target.serialize(in), sgArchive::Corrupt);

  ContourProbe cached(square2());
  ASSERT_DOUBLE_EQ(cached.length(), 8.0);
  sgArchive bad(version1Record(1, false, Points{{0, 0}, {5, 0}}, -1));
  EXPECT_THROW(cached.serialize(bad), sgArchive::Corrupt);
  EXPECT_EQ(cached.cachedVectorSize(), 3);
  // Whatever was loaded before the refusal, no cache describes the old vertices any more.
  EXPECT_DOUBLE_EQ(cached.length(), sgContour(cached.points(), cached.isClosed()).length());
}

}  // namespace
