// sgContour's archive record: the version 1 layout, the legacy version 0 layout, refusals.
#include <gtest/gtest.h>

#include "cntr/contour.h"
#include "cntr/contourprobe.h"
#include "lynstd/archive.h"

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

// The legacy record: version 0, the old base level (version 0, then the sgPersistent level),
// the points, an unused byte, the cache size and the closed flag; no label.
std::vector<unsigned char> version0Record(Points points, long cacheSize, bool closed,
                                          unsigned char baseVersion = 0) {
  sgArchive ar;
  unsigned char zero = 0, unused = 7;
  unsigned long count = points.size();
  ar || zero || baseVersion || zero || zero || count;
  for (sgVector<2>& p : points) ar || p;
  ar || unused || cacheSize || closed;
  return ar.bytes();
}

TEST(ContourArchive, StoresTheVersion1Layout) {
  sgContour c(Points{{1, 2}, {3, 4}, {-5, 0.5}}, false, 42);
  c.cachedVectorSize(5);
  sgArchive out;
  c.serialize(out);
  EXPECT_EQ(out.bytes(), version1Record(42, false, c.points(), 5));
}

TEST(ContourArchive, RoundTripThroughAPointerRestoresEveryPersistentField) {
  sgContour c(Points{{1, 2}, {3, 4}, {-5, 0.5}}, false, 42);
  c.cachedVectorSize(7);
  sgArchive out;
  sgPersistent* unused = nullptr;
  sgPersistent::serializePointer(out, &c, unused);

  sgPtrHandle_const<sgContour> loaded;
  {
    sgArchive in(out.bytes());
    sgPersistent* p = nullptr;
    sgPersistent::serializePointer(in, nullptr, p);
    loaded = sgPtrHandle_const<sgContour>(dynamic_cast<const sgContour*>(p));
  }
  ASSERT_TRUE(loaded);
  EXPECT_EQ(typeid(*loaded), typeid(sgContour));
  EXPECT_TRUE(*loaded == c);
  EXPECT_EQ(loaded->label(), 42u);
  EXPECT_FALSE(loaded->isClosed());
  EXPECT_EQ(loaded->cachedVectorSize(), 7);
  EXPECT_DOUBLE_EQ(loaded->length(), c.length());
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

TEST(ContourArchive, Version0RecordLoadsWithLabelZero) {
  sgContour target(Points{{9, 9}, {8, 8}}, true, 5);
  sgArchive in(version0Record(Points{{0, 0}, {3, 0}, {3, 4}}, 9, false));
  target.serialize(in);
  EXPECT_EQ(in.remaining(), 0u);
  EXPECT_EQ(target.points(), (Points{{0, 0}, {3, 0}, {3, 4}}));
  EXPECT_FALSE(target.isClosed());
  EXPECT_EQ(target.cachedVectorSize(), 9);
  EXPECT_EQ(target.label(), 0u);
  EXPECT_DOUBLE_EQ(target.length(), 7.0);

  // The legacy reader is reused by later loads.
  sgContour again;
  sgArchive in2(version0Record(Points{{1, 1}, {2, 2}}, 0, true));
  again.serialize(in2);
  EXPECT_EQ(again.points().size(), 2u);
  EXPECT_TRUE(again.isClosed());
}

void expectRefusal(const std::vector<unsigned char>& bytes, const std::string& source, int number) {
  sgContour target;
  sgArchive in(bytes);
  try {
    target.serialize(in);
    ADD_FAILURE() << "record accepted";
  } catch (const sgArchive::UnknownVersion& e) {
    EXPECT_EQ(e.source(), source);
    EXPECT_EQ(e.number(), number);
  }
}

TEST(ContourArchive, UnknownVersionsAreRefusedWhereTheyOccur) {
  std::vector<unsigned char> record = version1Record(1, true, Points{{0, 0}, {1, 1}}, 3);
  record[0] = 2;
  expectRefusal(record, "cntr/contour", 900);
  expectRefusal(version0Record(Points{{0, 0}, {1, 1}}, 3, true, 1), "cntr/contour", 890);
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
