// Archives that no library wrote, found by fuzzing the loader: they must fail with an archive
// error, or load as the records allow, without leaking or freeing what someone else holds.
#include <gtest/gtest.h>

#include <memory>

#include "cntr/archivesamples.h"

namespace {

using namespace archivesamples;

// The record of a region without holes, less its empty hole list (version byte and count), so
// that a test can append a hole list of its own.
Bytes regionRecordWithoutHoles() {
  sgRegion region(rectangle(0, 0, 4, 4));
  sgArchive out;
  region.serialize(out);
  Bytes bytes = out.bytes();
  bytes.resize(bytes.size() - 9);
  return bytes;
}

// A hole list of one hole: the given pointer record.
Bytes withOneHole(Bytes record, const Bytes& holePointer) {
  putByte(record, 0);
  putUInt64(record, 1);
  record.insert(record.end(), holePointer.begin(), holePointer.end());
  return record;
}

Bytes backReference(std::uint64_t id) {
  Bytes b;
  putBackReference(b, id);
  return b;
}

void loadThroughPointer(const Bytes& bytes) {
  sgArchive in(bytes);
  sgPersistent* loaded = nullptr;
  sgPersistent::serializePointer(in, nullptr, loaded);
}

// Reference counting could never free a region that is its own hole; the archive must refuse it
// and leave no cycle behind (the sanitizer build checks for the leak).
TEST(HostileArchives, RegionAmongItsOwnHolesIsCorrupt) {
  const Bytes selfHole =
      wrapAsNewObject(typeid(sgRegion), withOneHole(regionRecordWithoutHoles(), backReference(0)));
  EXPECT_THROW(loadThroughPointer(selfHole), sgArchive::Corrupt);

  // Region 0 has hole 1, whose own hole is region 0 again.
  const Bytes inner =
      wrapAsNewObject(typeid(sgRegion), withOneHole(regionRecordWithoutHoles(), backReference(0)));
  const Bytes outer = wrapAsNewObject(typeid(sgRegion), withOneHole(regionRecordWithoutHoles(), inner));
  EXPECT_THROW(loadThroughPointer(outer), sgArchive::Corrupt);
}

TEST(HostileArchives, ARegionSharedAtTwoDepthsIsNoCycle) {
  // The outer region (loaded in place, so not numbered) has holes 0 and 1, and hole 0 is also
  // the hole of hole 1: shared, but acyclic. Hole 0 has one empty hole of its own.
  const Bytes shared = wrapAsNewObject(typeid(sgRegion), withOneHole(regionRecordWithoutHoles(), {0}));
  const Bytes second = withOneHole(regionRecordWithoutHoles(), backReference(0));
  Bytes outer = regionRecordWithoutHoles();
  putByte(outer, 0);
  putUInt64(outer, 2);
  outer.insert(outer.end(), shared.begin(), shared.end());
  const Bytes secondPointer = wrapAsNewObject(typeid(sgRegion), second);
  outer.insert(outer.end(), secondPointer.begin(), secondPointer.end());

  sgRegion loaded;
  sgArchive in(outer);
  loaded.serialize(in);
  ASSERT_EQ(loaded.holes().size(), 2u);
  ASSERT_EQ(loaded.holes()[1]->holes().size(), 1u);
  EXPECT_EQ(loaded.holes()[1]->holes()[0].get(), loaded.holes()[0].get());
}

// An error object where a hole belongs loads as an empty hole. Nothing else holds the error, so
// it is freed, and a later reference to it is refused rather than handed out freed.
TEST(HostileArchives, ErrorInAHoleSlotLoadsAsAnEmptyHole) {
  sgContourDefs::BadParams error(L"not a region");
  const Bytes errorPointer = storeThroughPointer(error);
  sgRegion loaded;
  {
    sgArchive in(withOneHole(regionRecordWithoutHoles(), errorPointer));
    loaded.serialize(in);
  }
  ASSERT_EQ(loaded.holes().size(), 1u);
  EXPECT_TRUE(loaded.holes()[0].isNull());

  Bytes twice = regionRecordWithoutHoles();
  putByte(twice, 0);
  putUInt64(twice, 2);
  twice.insert(twice.end(), errorPointer.begin(), errorPointer.end());
  putBackReference(twice, 0);
  sgArchive in(twice);
  EXPECT_THROW(loaded.serialize(in), sgArchive::Corrupt);
}

// An error that the caller loaded first and owns is only referred to by the hole: it is left to
// its owner.
TEST(HostileArchives, ObjectOwnedByAnEarlierLoaderIsLeftToIt) {
  sgContourDefs::BadParams error(L"owned by the caller");
  Bytes bytes = storeThroughPointer(error);
  const Bytes region = withOneHole(regionRecordWithoutHoles(), backReference(0));
  bytes.insert(bytes.end(), region.begin(), region.end());

  sgArchive in(bytes);
  sgPersistent* first = nullptr;
  sgPersistent::serializePointer(in, nullptr, first);
  const std::unique_ptr<sgPersistent> owned(first);
  sgRegion loaded;
  loaded.serialize(in);
  EXPECT_TRUE(loaded.holes().at(0).isNull());
  const auto* stillThere = dynamic_cast<const sgContourDefs::BadParams*>(owned.get());
  ASSERT_NE(stillThere, nullptr);
  EXPECT_EQ(stillThere->errorNumber(), error.errorNumber());
}

}  // namespace
