// The per-thread random index source of the bounded caches.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <thread>
#include <vector>

// The source is internal to the library and not exported, so its implementation is compiled into
// this test; the library's own instance is exercised through the keyed caches (extents tests).
#include "../../cntr/randomsource.cpp"

namespace {

// The first n indices of a generator freshly seeded with 1, computed independently from the
// documented algorithm (mt19937_64, top 53 bits scaled to [0, bound)).
std::vector<int> referenceIndices(int bound, int n) {
  std::mt19937_64 engine(1);
  std::vector<int> out;
  for (int i = 0; i < n; ++i)
    out.push_back(static_cast<int>(std::floor(static_cast<double>(engine() >> 11) * 0x1.0p-53 * bound)));
  return out;
}

std::vector<int> drawOnFreshThread(int bound, int n) {
  std::vector<int> drawn;
  std::thread([&] {
    for (int i = 0; i < n; ++i) drawn.push_back(sgcntr::randomIndex(bound));
  }).join();
  return drawn;
}

TEST(RandomIndex, FreshThreadsDrawTheSameSequenceFromSeedOne) {
  const std::vector<int> first = drawOnFreshThread(5, 1);
  const std::vector<int> second = drawOnFreshThread(5, 1);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, referenceIndices(5, 1));
  // A thread that ended released its generator; the next one starts over.
  EXPECT_EQ(drawOnFreshThread(1000, 20), referenceIndices(1000, 20));
  EXPECT_EQ(drawOnFreshThread(1000, 20), referenceIndices(1000, 20));
}

TEST(RandomIndex, ThreadsDoNotShareAGenerator) {
  std::vector<int> a, b;
  std::thread ta([&] {
    for (int i = 0; i < 50; ++i) a.push_back(sgcntr::randomIndex(1 << 20));
  });
  std::thread tb([&] {
    for (int i = 0; i < 50; ++i) b.push_back(sgcntr::randomIndex(1 << 20));
  });
  ta.join();
  tb.join();
  EXPECT_EQ(a, referenceIndices(1 << 20, 50));
  EXPECT_EQ(b, referenceIndices(1 << 20, 50));
}

TEST(RandomIndex, OneCandidateAlwaysGivesZeroAndOthersStayInRange) {
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(sgcntr::randomIndex(1), 0);
  std::vector<int> seen(7);
  for (int i = 0; i < 7000; ++i) {
    const int r = sgcntr::randomIndex(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
    ++seen[static_cast<std::size_t>(r)];
  }
  for (int count : seen) EXPECT_GT(count, 0);
}

}  // namespace
