// The committed archive files: today's library writes exactly their bytes for the sample objects,
// and reads every file (current and legacy records) back to the expected objects. Archives are
// kept on disk across runs and library versions, so any change to a record fails here.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>

#include "cntr/archivesamples.h"

namespace {

using namespace archivesamples;

Bytes readGoldenFile(const std::string& name) {
  const std::unique_ptr<sgArchive> in(
      sgArchive::openForLoading(std::string(LYNCNTR_TEST_DATA_DIR) + "/archives/" + name));
  return in->bytes();
}

// Loads the one pointer record of a golden file, which must fill the file exactly and hold an
// object of class T. The handle keeps the object once the archive is gone.
template <class T>
sgPtrHandle_const<T> loadShared(const std::string& name) {
  sgArchive in(readGoldenFile(name));
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(in, nullptr, loaded);
  EXPECT_EQ(in.remaining(), 0u) << name;
  if (!loaded) {
    ADD_FAILURE() << name << " holds a null pointer";
    return {};
  }
  EXPECT_EQ(typeid(*loaded), typeid(T)) << name;
  return sgPtrHandle_const<T>(dynamic_cast<const T*>(loaded));
}

// Loads an error file: error objects are not reference-counted and belong to the loader.
template <class E>
std::unique_ptr<E> loadError(const std::string& name) {
  sgArchive in(readGoldenFile(name));
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(in, nullptr, loaded);
  std::unique_ptr<sgPersistent> owned(loaded);
  EXPECT_EQ(in.remaining(), 0u) << name;
  auto* error = dynamic_cast<E*>(owned.get());
  if (error) owned.release();
  return std::unique_ptr<E>(error);
}

void expectSameContourFields(const sgContour& actual, const sgContour& expected) {
  EXPECT_EQ(actual.points(), expected.points());
  EXPECT_EQ(actual.sgContour::isClosed(), expected.sgContour::isClosed());
  EXPECT_EQ(actual.label(), expected.label());
  EXPECT_EQ(actual.cachedVectorSize(), expected.cachedVectorSize());
}

// Whether entries i and j of each list are one object must agree between the lists.
template <class Handles>
void expectSameSharing(const Handles& actual, const Handles& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      EXPECT_EQ(actual[i].get() == actual[j].get(), expected[i].get() == expected[j].get())
          << "entries " << j << " and " << i;
}

void expectSameRegion(const sgRegion& actual, const sgRegion& expected) {
  expectSameContourFields(actual, expected);
  expectSameSharing(actual.holes(), expected.holes());
  for (std::size_t i = 0; i < actual.holes().size() && i < expected.holes().size(); ++i) {
    ASSERT_EQ(actual.holes()[i].isNull(), expected.holes()[i].isNull());
    if (!actual.holes()[i].isNull()) expectSameRegion(*actual.holes()[i], *expected.holes()[i]);
  }
}

void expectSameRegionSet(const sgRegionSet& actual, const sgRegionSet& expected) {
  EXPECT_EQ(actual.cachedVectorSize(), expected.cachedVectorSize());
  const auto actualRegions = actual.regions();
  const auto expectedRegions = expected.regions();
  expectSameSharing(actualRegions, expectedRegions);
  for (std::size_t i = 0; i < actualRegions.size() && i < expectedRegions.size(); ++i) {
    ASSERT_EQ(actualRegions[i].isNull(), expectedRegions[i].isNull());
    if (!actualRegions[i].isNull()) expectSameRegion(*actualRegions[i], *expectedRegions[i]);
  }
}

TEST(GoldenArchives, TodaysBytesEqualTheCommittedFiles) {
  for (const auto& [name, bytes] : makeGoldenArchives()) EXPECT_EQ(bytes, readGoldenFile(name)) << name;
}

// Loading and storing again loses nothing and writes the current version: the legacy files come
// back as the current records of the objects they describe.
TEST(GoldenArchives, LoadedObjectsStoreAsTheSameRecordsAgain) {
  const auto storeAfterLoading = [](const std::string& name) {
    sgArchive in(readGoldenFile(name));
    sgPersistent* loaded = nullptr;
    sgPersistent::serializePointer(in, nullptr, loaded);
    if (!loaded) return Bytes{};
    const Bytes again = storeThroughPointer(*loaded);
    if (!dynamic_cast<sgRepBase*>(loaded)) delete loaded;
    return again;
  };
  for (const char* name :
       {"contour.bin", "region.bin", "regionset.bin", "contourt.bin", "regiont.bin", "regionsett.bin",
        "emptycontour.bin", "emptyregionset.bin", "badparams.bin", "regioncannotbesetopen.bin"})
    EXPECT_EQ(storeAfterLoading(name), readGoldenFile(name)) << name;

  sgContour legacyContour(legacyContourPoints(), false, 0);
  legacyContour.cachedVectorSize(6);
  EXPECT_EQ(storeAfterLoading("contour_v0.bin"), storeThroughPointer(legacyContour));
}

TEST(GoldenArchives, ContourLoadsWithEveryFieldAndRecomputesItsMeasures) {
  const auto loaded = loadShared<sgContour>("contour.bin");
  ASSERT_FALSE(loaded.isNull());
  const sgContour sample = makeSampleContour();
  expectSameContourFields(*loaded, sample);
  EXPECT_DOUBLE_EQ(loaded->length(), sample.length());
}

TEST(GoldenArchives, RegionLoadsWithItsHolesAndTheirSharing) {
  const auto loaded = loadShared<sgRegion>("region.bin");
  ASSERT_FALSE(loaded.isNull());
  const sgRegion sample = makeSampleRegion();
  expectSameRegion(*loaded, sample);
  ASSERT_EQ(loaded->holes().size(), 3u);
  EXPECT_EQ(loaded->holes()[0].get(), loaded->holes()[1].get());
  EXPECT_DOUBLE_EQ(loaded->area(true), sample.area(true));
  EXPECT_TRUE(loaded->inside(V(5.5, 5.5), true)) << "the island of the third hole";
}

TEST(GoldenArchives, RegionSetLoadsWithSharedRegionsAndEmptyHandles) {
  const auto loaded = loadShared<sgRegionSet>("regionset.bin");
  ASSERT_FALSE(loaded.isNull());
  const sgRegionSet sample = makeSampleRegionSet();
  expectSameRegionSet(*loaded, sample);
  const auto regions = loaded->regions();
  ASSERT_EQ(regions.size(), 4u);
  EXPECT_TRUE(regions[2].isNull());
  EXPECT_EQ(regions[0].get(), regions[3].get());
}

TEST(GoldenArchives, EdgeletContourLoadsWithItsDataAndTransform) {
  const auto loaded = loadShared<sgContourT<sgEdgelet>>("contourt.bin");
  ASSERT_FALSE(loaded.isNull());
  const sgContourT<sgEdgelet> sample = makeSampleContourT();
  expectSameContourFields(*loaded, sample);
  EXPECT_EQ(loaded->data(), sample.data());
  const auto* rigid = dynamic_cast<const sg2Rigid*>(loaded->dataFromPointsXform().get());
  ASSERT_NE(rigid, nullptr);
  EXPECT_EQ(rigid->rotation().toDouble(), 30.0);
  EXPECT_EQ(rigid->translation(), V(1, -2));
}

TEST(GoldenArchives, EdgeletRegionLoadsItsRegionLevel) {
  const auto loaded = loadShared<sgRegionT<sgEdgelet>>("regiont.bin");
  ASSERT_FALSE(loaded.isNull());
  const sgRegionT<sgEdgelet> sample = makeSampleRegionT();
  expectSameRegion(*loaded, sample);
  EXPECT_TRUE(loaded->holes().empty()) << "typed holes are not part of the record";
}

TEST(GoldenArchives, EdgeletRegionSetLoadsBothListsOnTheSameRegions) {
  const auto loaded = loadShared<sgRegionSetT<sgEdgelet>>("regionsett.bin");
  ASSERT_FALSE(loaded.isNull());
  const sgRegionSetT<sgEdgelet> sample = makeSampleRegionSetT();
  expectSameRegionSet(*loaded, sample);
  const auto regions = loaded->regions();
  const auto typed = loaded->regionsT();
  ASSERT_EQ(typed.size(), 3u);
  ASSERT_EQ(regions.size(), 3u);
  for (std::size_t i = 0; i < typed.size(); ++i)
    EXPECT_EQ(static_cast<const sgRegion*>(typed[i].get()), regions[i].get()) << i;
  EXPECT_EQ(typed[0].get(), typed[2].get());
}

// Error records carry no message: each loads with its class and number and an empty message.
TEST(GoldenArchives, ErrorsLoadWithTheirClassAndNumber) {
  const auto emptyContour = loadError<sgContourDefs::EmptyContour>("emptycontour.bin");
  ASSERT_TRUE(emptyContour);
  EXPECT_EQ(emptyContour->errorNumber(), 0x10004680);
  EXPECT_EQ(emptyContour->string(), L"");

  const auto emptyRegionSet = loadError<sgContourDefs::EmptyRegionSet>("emptyregionset.bin");
  ASSERT_TRUE(emptyRegionSet);
  EXPECT_EQ(emptyRegionSet->errorNumber(), 0x10004682);
  EXPECT_EQ(emptyRegionSet->string(), L"");

  const auto badParams = loadError<sgContourDefs::BadParams>("badparams.bin");
  ASSERT_TRUE(badParams);
  EXPECT_EQ(badParams->errorNumber(), 0x10004683);
  EXPECT_EQ(badParams->string(), L"");

  const auto cannotOpen = loadError<sgContourDefs::RegionCannotBeSetOpen>("regioncannotbesetopen.bin");
  ASSERT_TRUE(cannotOpen);
  EXPECT_EQ(cannotOpen->errorNumber(), 0x10004684);
  EXPECT_EQ(cannotOpen->string(), L"");
}

TEST(GoldenArchives, LegacyContourLoadsWithLabelZeroAndItsStoredFlag) {
  const auto loaded = loadShared<sgContour>("contour_v0.bin");
  ASSERT_FALSE(loaded.isNull());
  EXPECT_EQ(loaded->points(), legacyContourPoints());
  EXPECT_EQ(loaded->label(), 0u);
  EXPECT_FALSE(loaded->isClosed());
  EXPECT_EQ(loaded->cachedVectorSize(), 6);
  EXPECT_DOUBLE_EQ(loaded->length(), 3.5);
}

TEST(GoldenArchives, LegacyRegionLoadsClosedWithoutHolesOrLabel) {
  const auto loaded = loadShared<sgRegion>("region_v0.bin");
  ASSERT_FALSE(loaded.isNull());
  EXPECT_EQ(loaded->points(), legacyRegionPoints());
  EXPECT_EQ(loaded->label(), 0u);
  EXPECT_EQ(loaded->cachedVectorSize(), 8);
  EXPECT_TRUE(loaded->holes().empty());
  EXPECT_TRUE(loaded->isClosed());
  EXPECT_DOUBLE_EQ(loaded->area(true), 6.0);
}

TEST(GoldenArchives, LegacyRegionSetLoadsLegacyRegionsSharedAndKeepsTheBound) {
  const auto loaded = loadShared<sgRegionSet>("regionset_v0.bin");
  ASSERT_FALSE(loaded.isNull());
  EXPECT_EQ(loaded->cachedVectorSize(), 3) << "the bound of the object made for loading";
  const auto regions = loaded->regions();
  ASSERT_EQ(regions.size(), 3u);
  ASSERT_FALSE(regions[0].isNull());
  ASSERT_FALSE(regions[1].isNull());
  EXPECT_EQ(regions[0]->points(), legacySetFirstRegion());
  EXPECT_EQ(regions[1]->points(), legacySetSecondRegion());
  EXPECT_EQ(regions[2].get(), regions[0].get());
  EXPECT_DOUBLE_EQ(loaded->area(false), 9.0 + 1.5 + 9.0);
}

}  // namespace
