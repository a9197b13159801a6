// The library's error classes: numbers, messages, rethrowing as the true type, archive records.
// Loading each class through its factory is covered by the committed archive files.
#include <gtest/gtest.h>

#include <sstream>

#include "cntr/contourdefs.h"
#include "lynstd/archive.h"

namespace {

using BadParams = sgContourDefs::BadParams;
using EmptyContour = sgContourDefs::EmptyContour;
using EmptyRegionSet = sgContourDefs::EmptyRegionSet;
using RegionCannotBeSetOpen = sgContourDefs::RegionCannotBeSetOpen;

std::wstring printed(const sgException& e) {
  std::wostringstream os;
  e.message_(os);
  return os.str();
}

TEST(ErrorNumbers, EachLeafHasItsOwnNumberAndNoneUses0x10004681) {
  EXPECT_EQ(EmptyContour().errorNumber(), 0x10004680);
  EXPECT_EQ(EmptyRegionSet().errorNumber(), 0x10004682);
  EXPECT_EQ(BadParams().errorNumber(), 0x10004683);
  EXPECT_EQ(RegionCannotBeSetOpen().errorNumber(), 0x10004684);
}

TEST(ErrorMessages, DefaultIsEmptyAGivenTextIsPrintedExactlyAndAssignmentCopiesIt) {
  EXPECT_EQ(printed(BadParams()), L"");
  EXPECT_EQ(printed(BadParams(L"holes cannot intersect region")), L"holes cannot intersect region");
  EXPECT_STREQ(BadParams(L"invalid contour").what(), "invalid contour");
  BadParams target(L"old");
  target = BadParams(L"new");
  EXPECT_EQ(target.string(), L"new");
}

TEST(ErrorFamily, EveryLeafIsCaughtThroughEachBase) {
  int caught = 0;
  try {
    throw RegionCannotBeSetOpen(L"x");
  } catch (const sgContourDefs::Errors& e) {
    caught += e.errorNumber() == 0x10004684;
  }
  try {
    throw EmptyContour();
  } catch (const sgExceptionWithString&) {
    ++caught;
  }
  try {
    throw EmptyRegionSet();
  } catch (const sgPersistent&) {
    ++caught;
  }
  try {
    throw BadParams();
  } catch (const std::exception&) {
    ++caught;
  }
  EXPECT_EQ(caught, 4);
}

TEST(ErrorRethrow, SuicideAndRethrowThrowsTheTrueTypeAndFreesTheHeapObject) {
  sgContourDefs::Errors* error = new RegionCannotBeSetOpen(L"open region");
  try {
    error->suicideAndRethrow();
    FAIL() << "suicideAndRethrow returned";
  } catch (const RegionCannotBeSetOpen& e) {
    EXPECT_EQ(e.string(), L"open region");
  }
  // The heap object is gone; the leak checker of the sanitizer build verifies it.
}

// sgBadPointer adds only its version byte to the plain exception record.
std::vector<unsigned char> plainExceptionRecord() {
  sgBadPointer reference;
  sgArchive out;
  reference.serialize(out);
  return {out.bytes().begin() + 1, out.bytes().end()};
}

TEST(ErrorArchive, RecordIsLeafVersionThenErrorsVersionThenThePlainExceptionLevel) {
  BadParams error(L"bad thing");
  sgArchive out;
  error.serialize(out);
  std::vector<unsigned char> expected = {0, 0};
  const std::vector<unsigned char> tail = plainExceptionRecord();
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(out.bytes(), expected);

  // The message is not stored: the object loaded into keeps its own.
  BadParams loaded(L"kept");
  sgArchive in(out.bytes());
  loaded.serialize(in);
  EXPECT_EQ(loaded.string(), L"kept");
  EXPECT_EQ(loaded.errorNumber(), error.errorNumber());
  EXPECT_EQ(in.remaining(), 0u);
}

template <class E>
void expectVersionRefusals(const char* leafName) {
  E error(L"m");
  sgArchive out;
  error.serialize(out);
  for (std::size_t at : {0u, 1u}) {
    std::vector<unsigned char> bytes = out.bytes();
    bytes[at] = 1;
    sgArchive in(bytes);
    E target;
    try {
      target.serialize(in);
      ADD_FAILURE() << leafName << ": version 1 accepted at byte " << at;
    } catch (const sgArchive::UnknownVersion& e) {
      EXPECT_EQ(e.source(), at == 0 ? leafName : "sgContourDefs::Errors");
      EXPECT_EQ(e.number(), 0);
    }
    EXPECT_TRUE(target.string().empty());
  }
}

TEST(ErrorArchive, VersionOneIsRefusedAtEachLevelWithTheClassName) {
  expectVersionRefusals<EmptyContour>("sgContourDefs::EmptyContour");
  expectVersionRefusals<EmptyRegionSet>("sgContourDefs::EmptyRegionSet");
  expectVersionRefusals<BadParams>("sgContourDefs::BadParams");
  expectVersionRefusals<RegionCannotBeSetOpen>("sgContourDefs::RegionCannotBeSetOpen");
}

}  // namespace
