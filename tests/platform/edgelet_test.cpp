// Edgelets: angle codes and their archive record.
#include "lynip/edgelet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

constexpr double kCode = sgRadian::kTwoPi / 256.0;

TEST(Angle8, FromRadianPicksTheNearestCodeInOneTurn) {
  EXPECT_EQ(sgAngle8::fromRadian(sgRadian(0.0)).code(), 0);
  EXPECT_EQ(sgAngle8::fromRadian(sgRadian(kCode)).code(), 1);
  EXPECT_EQ(sgAngle8::fromRadian(sgRadian(0.4 * kCode)).code(), 0);
  EXPECT_EQ(sgAngle8::fromRadian(sgRadian(0.6 * kCode)).code(), 1);
  EXPECT_EQ(sgAngle8::fromRadian(sgRadian(sgRadian::kTwoPi / 2)).code(), 128);
  EXPECT_EQ(sgAngle8::fromRadian(sgRadian(-sgRadian::kTwoPi / 4)).code(), 192);
  EXPECT_EQ(sgAngle8::fromRadian(sgRadian(-0.1 * kCode)).code(), 0);  // just below a full turn
  EXPECT_EQ(sgAngle8::fromRadian(sgRadian(255.6 * kCode)).code(), 0);
  EXPECT_EQ(sgAngle8::fromRadian(sgRadian(5 * sgRadian::kTwoPi + 3 * kCode)).code(), 3);
  for (int code = 0; code < 256; ++code) {
    const sgAngle8 a(static_cast<unsigned char>(code));
    EXPECT_EQ(sgAngle8::fromRadian(a.toRadian()), a);
  }
}

TEST(Angle8, RefusesNonFiniteAngles) {
  EXPECT_THROW(sgAngle8::fromRadian(sgRadian(std::numeric_limits<double>::quiet_NaN())),
               std::invalid_argument);
  EXPECT_THROW(sgAngle8::fromRadian(sgRadian(std::numeric_limits<double>::infinity())),
               std::invalid_argument);
}

TEST(Edgelet, ArchiveRecordRoundTripsAndHasAFixedLayout) {
  sgEdgelet e(sgVector<2>(1.0, -2.5), 0xBEEF, sgAngle8(200));
  sgArchive out;
  out || e;
  const auto& bytes = out.bytes();
  ASSERT_EQ(bytes.size(), 8u + 8u + 2u + 1u);
  EXPECT_EQ(bytes[16], 0xEF);
  EXPECT_EQ(bytes[17], 0xBE);
  EXPECT_EQ(bytes[18], 200);

  sgEdgelet loaded;
  sgArchive in(bytes);
  in || loaded;
  EXPECT_EQ(loaded, e);
  EXPECT_EQ(loaded.magnitude(), 0xBEEF);

  for (std::size_t len = 0; len < bytes.size(); ++len) {
    sgArchive shortIn(std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<long>(len)));
    EXPECT_THROW(shortIn || loaded, sgArchive::EndOfData);
  }
}

}  // namespace
