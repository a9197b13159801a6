// The archive's value encodings, their fixed byte layout, input validation and file handling.
#include "lynstd/archive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

template <class T>
Bytes storeValue(T v) {
  sgArchive ar;
  ar || v;
  return ar.bytes();
}

// Stores v, loads it into a differently initialised variable, and checks every byte was used.
template <class T>
T roundTrip(T v, T loadedInto = T()) {
  sgArchive in(storeValue(v));
  in || loadedInto;
  EXPECT_EQ(in.remaining(), 0u);
  return loadedInto;
}

template <class T>
void loadFrom(const Bytes& bytes, T& v) {
  sgArchive in(bytes);
  in || v;
}

Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(ArchivePrimitives, IntegersRoundTripAtTheirExtremes) {
  EXPECT_TRUE(sgArchive().isStoring());
  EXPECT_TRUE(sgArchive(Bytes{1}).isLoading());
  for (unsigned char v : {0, 1, 127, 128, 255}) EXPECT_EQ(roundTrip<unsigned char>(v, 7), v);
  for (bool v : {false, true}) EXPECT_EQ(roundTrip(v, !v), v);
  for (unsigned short v : {0, 1, 0x1234, 0xFFFF}) EXPECT_EQ(roundTrip<unsigned short>(v, 9), v);
  for (int v : {0, -1, 1, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()})
    EXPECT_EQ(roundTrip(v, 42), v);
  for (long v : {0L, -1L, std::numeric_limits<long>::min(), std::numeric_limits<long>::max()})
    EXPECT_EQ(roundTrip(v, 42L), v);
  for (unsigned long v : {0UL, 1UL, std::numeric_limits<unsigned long>::max()})
    EXPECT_EQ(roundTrip(v, 42UL), v);
}

TEST(ArchivePrimitives, DoublesKeepTheirExactBits) {
  const std::uint64_t patterns[] = {
      0x0000000000000000,  // +0
      0x8000000000000000,  // -0
      0x7FF0000000000000,  // +inf
      0xFFF0000000000000,  // -inf
      0x0000000000000001,  // smallest subnormal
      0x7FEFFFFFFFFFFFFF,  // largest finite
      0x7FF8000000000123,  // quiet NaN with a payload
      0xFFF8000000000000,  // negative NaN
  };
  for (std::uint64_t bits : patterns) {
    const double loaded = roundTrip(std::bit_cast<double>(bits), 3.5);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(loaded), bits) << std::hex << bits;
  }
}

TEST(ArchivePrimitives, GeometryRoundTrips) {
  const sgVector<2> v(-1.25, 1e300);
  EXPECT_EQ(roundTrip(v, sgVector<2>(7, 7)), v);

  // Elements set without setdt leave a stale determinant; loading must recompute it.
  sgMatrix<2> m;
  m.set(0, 0, 2.0), m.set(0, 1, 3.0), m.set(1, 0, -1.0), m.set(1, 1, 4.0);
  const sgMatrix<2> loaded = roundTrip(m);
  EXPECT_EQ(loaded, m);
  EXPECT_EQ(loaded.determinant(), 11.0);

  const sgXform<2> x(sgMatrix<2>(0.5, -2.0, 3.0, 1.0), sgVector<2>(10.0, -20.0));
  const sgXform<2> lx = roundTrip(x);
  EXPECT_EQ(lx, x);
  EXPECT_EQ(lx.matrix().determinant(), 6.5);
}

TEST(ArchivePrimitives, StringsRoundTrip) {
  for (const std::string& s :
       {std::string(), std::string("abc"), std::string("a\0b", 3), std::string(1000, 'x')})
    EXPECT_EQ(roundTrip(s, std::string("old")), s);
  const std::wstring wide[] = {L"", L"plain", L"\u00e4\u20ac\U0001D11E", std::wstring(1, wchar_t(0x10FFFF)),
                               std::wstring(L"nul\0inside", 10)};
  for (const std::wstring& s : wide) EXPECT_EQ(roundTrip(s, std::wstring(L"old")), s);
}

TEST(ArchiveEncoding, BytesArePinned) {
  EXPECT_EQ(storeValue(1L), (Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(storeValue(-2L), (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(storeValue(0x0102030405060708UL), (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(storeValue(0x01020304), (Bytes{4, 3, 2, 1}));
  EXPECT_EQ(storeValue<unsigned short>(0x1234), (Bytes{0x34, 0x12}));
  EXPECT_EQ(storeValue(true), (Bytes{1}));
  EXPECT_EQ(storeValue(1.0), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  EXPECT_EQ(storeValue(sgVector<2>(1.0, -2.0)),
            (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0xC0}));
  EXPECT_EQ(storeValue(std::string("ab")), (Bytes{2, 0, 0, 0, 0, 0, 0, 0, 'a', 'b'}));
  EXPECT_EQ(storeValue(std::wstring(L"\u00e9")), (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0xE9, 0, 0, 0}));
  // A matrix is its four elements row by row; a transform adds the translation.
  EXPECT_EQ(storeValue(sgMatrix<2>()),
            concat(concat(storeValue(1.0), storeValue(0.0)), concat(storeValue(0.0), storeValue(1.0))));
  EXPECT_EQ(storeValue(sgXform<2>()).size(), 6u * 8u);
}

TEST(ArchiveValidation, BoolOtherThanZeroOrOneIsCorrupt) {
  bool b = false;
  EXPECT_THROW(loadFrom(Bytes{2}, b), sgArchive::Corrupt);
  EXPECT_THROW(loadFrom(Bytes{0xFF}, b), sgArchive::Corrupt);
}

TEST(ArchiveValidation, WideCharactersBeyondUnicodeAreRefused) {
  std::wstring w;
  EXPECT_THROW(loadFrom(Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x11, 0x00}, w), sgArchive::Corrupt);
  EXPECT_THROW(loadFrom(Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, w), sgArchive::Corrupt);
  sgArchive out;
  std::wstring bad(1, static_cast<wchar_t>(0x110000));
  EXPECT_THROW(out || bad, sgArchive::Error);
}

TEST(ArchiveValidation, HugeCountsAreRefusedBeforeAllocating) {
  // A count of 2^60 with three bytes behind it: allocating first would throw bad_alloc instead.
  const Bytes huge{0, 0, 0, 0, 0, 0, 0, 0x10, 'a', 'b', 'c'};
  std::string s;
  std::wstring w;
  EXPECT_THROW(loadFrom(huge, s), sgArchive::Corrupt);
  EXPECT_THROW(loadFrom(huge, w), sgArchive::Corrupt);
  // Three wide characters need 12 bytes; 11 are not enough even though the count is small.
  EXPECT_THROW(loadFrom(Bytes{3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0}, w),
               sgArchive::Corrupt);

  sgArchive in(Bytes(16));
  EXPECT_NO_THROW(in.checkCount(4, 4));
  EXPECT_THROW(in.checkCount(5, 4), sgArchive::Corrupt);
  EXPECT_THROW(in.checkCount(17, 0), sgArchive::Corrupt);
}

TEST(ArchiveValidation, EveryTruncationIsEndOfData) {
  sgArchive out;
  std::wstring w = L"wide \u00e4";
  std::string s = "narrow";
  sgXform<2> x(sgMatrix<2>(1, 2, 3, 4), sgVector<2>(5, 6));
  long l = -7;
  out || w || s || x || l;
  const Bytes full = out.bytes();
  for (std::size_t len = 0; len < full.size(); ++len) {
    sgArchive in(Bytes(full.begin(), full.begin() + static_cast<long>(len)));
    std::wstring lw;
    std::string ls;
    sgXform<2> lx;
    long ll = 0;
    EXPECT_THROW(in || lw || ls || lx || ll, sgArchive::Error) << "length " << len;
  }
  sgArchive in(full);
  const auto readPastTheEnd = [&in] {
    long a = 0;
    for (int i = 0; i < 1000; ++i) in || a;
  };
  EXPECT_THROW(readPastTheEnd(), sgArchive::EndOfData);
}

class ArchiveFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("archive_test." + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(ArchiveFiles, WriteThenOpenGivesTheSameBytesAndLeavesNoTemporary) {
  sgArchive out;
  std::wstring w = L"file \u20ac";
  double d = -0.5;
  out || w || d;
  const std::string path = (dir_ / "a.bin").string();
  out.writeFile(path);
  out.writeFile(path);  // replacing an existing file works too
  std::unique_ptr<sgArchive> in(sgArchive::openForLoading(path));
  EXPECT_EQ(in->bytes(), out.bytes());
  std::wstring lw;
  double ld = 0;
  *in || lw || ld;
  EXPECT_EQ(lw, w);
  EXPECT_EQ(ld, d);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()),
            1);
}

TEST_F(ArchiveFiles, FailuresNameThePath) {
  const std::string missing = (dir_ / "missing.bin").string();
  try {
    delete sgArchive::openForLoading(missing);
    FAIL() << "opened a missing file";
  } catch (const sgArchive::Error& e) {
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
  }
  EXPECT_THROW(delete sgArchive::openForLoading(dir_.string()), sgArchive::Error);
  sgArchive out;
  EXPECT_THROW(out.writeFile((dir_ / "no" / "such" / "dir.bin").string()), sgArchive::Error);
}

}  // namespace
