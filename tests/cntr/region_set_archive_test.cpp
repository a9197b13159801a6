// The region-set archive record: loading into a used set, shared regions, the legacy version 0
// record and refused versions. The committed archive files (archive_golden_test) cover loading
// through a pointer and empty handles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cntr/archiveio.h"
#include "cntr/regionsetshapes.h"

namespace {

using namespace regionsettest;
using archiveio::Bytes;
using archiveio::load;
using archiveio::store;

constexpr std::size_t kBoundBytes = 8;  // the trailing cachedVectorSize of a version 1 record

TEST(RegionSetArchive, RoundTripRestoresRegionsAndBound) {
  sgRegionSet original({square(0.0, 0.0), rectangle(3, 0, 5, 2)});
  original.cachedVectorSize(6);
  const Bytes bytes = store(original);
  EXPECT_EQ(bytes.front(), 1) << "version 1 is written";

  sgRegionSet loaded({square(9.0, 9.0, 3.0)});
  EXPECT_DOUBLE_EQ(loaded.area(false), 9.0);
  load(bytes, loaded);
  EXPECT_TRUE(loaded == original);
  EXPECT_EQ(loaded.cachedVectorSize(), 6);
  EXPECT_DOUBLE_EQ(loaded.area(false), 5.0) << "caches of the old content must be dropped";
}

TEST(RegionSetArchive, EmptySetLoadsEmpty) {
  sgRegionSet empty;
  sgRegionSet loaded({square(0.0, 0.0)});
  load(store(empty), loaded);
  EXPECT_TRUE(loaded.regions().empty());
}

TEST(RegionSetArchive, RegionSharedByTwoSetsComesBackShared) {
  const auto shared = square(0.0, 0.0);
  sgRegionSet first({shared, square(4.0, 0.0)});
  sgRegionSet second({square(8.0, 0.0), shared});
  sgArchive out;
  first.serialize(out);
  second.serialize(out);

  sgRegionSet firstLoaded;
  sgRegionSet secondLoaded;
  {
    sgArchive in(out.bytes());
    firstLoaded.serialize(in);
    secondLoaded.serialize(in);
    EXPECT_EQ(in.remaining(), 0u);
  }
  // The sets' handles keep the regions alive after the archive is gone.
  ASSERT_EQ(firstLoaded.regions().size(), 2u);
  ASSERT_EQ(secondLoaded.regions().size(), 2u);
  EXPECT_EQ(firstLoaded.regions()[0].get(), secondLoaded.regions()[1].get());
  EXPECT_NE(firstLoaded.regions()[0].get(), shared.get());
  EXPECT_TRUE(*firstLoaded.regions()[0] == *shared);
  EXPECT_TRUE(secondLoaded.regions()[0]->area(false) > 0.0);
}

TEST(RegionSetArchive, VersionZeroRecordKeepsTheObjectsBound) {
  sgRegionSet original({square(0.0, 0.0), square(4.0, 0.0)});
  original.cachedVectorSize(9);
  Bytes legacy = store(original);
  legacy.front() = 0;
  legacy.resize(legacy.size() - kBoundBytes);

  sgRegionSet loaded;
  loaded.cachedVectorSize(5);
  load(legacy, loaded);
  EXPECT_TRUE(loaded == original);
  EXPECT_EQ(loaded.cachedVectorSize(), 5);
}

TEST(RegionSetArchive, UnknownVersionIsRefusedBeforeReadingAnything) {
  sgRegionSet original({square(0.0, 0.0)});
  Bytes bytes = store(original);
  bytes.front() = 2;
  sgRegionSet loaded({square(5.0, 5.0)});
  archiveio::expectUnknownVersion([&] { load(bytes, loaded); }, "cntr/regionst", 480);
  ASSERT_EQ(loaded.regions().size(), 1u);
  EXPECT_TRUE(*loaded.regions()[0] == *square(5.0, 5.0));
}

TEST(RegionSetArchive, NegativeBoundIsCorrupt) {
  sgRegionSet original({square(0.0, 0.0)});
  Bytes bytes = store(original);
  std::fill(bytes.end() - kBoundBytes, bytes.end(), 0xFF);  // -1 in two's complement
  sgRegionSet loaded;
  EXPECT_THROW(load(bytes, loaded), sgArchive::Corrupt);
  EXPECT_EQ(loaded.cachedVectorSize(), 3);
}

TEST(RegionSetArchive, TruncatedRecordFailsCleanly) {
  sgRegionSet original({square(0.0, 0.0), square(4.0, 0.0)});
  const Bytes bytes = store(original);
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    sgRegionSet loaded;
    sgArchive in(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
    EXPECT_THROW(loaded.serialize(in), sgArchive::Error) << "cut at " << cut;
  }
}

}  // namespace
