// Thread services: thread-local slots, thread identities, exit callbacks, random doubles.
#include "lynstd/thread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(ThreadLocal, EachThreadSeesItsOwnValue) {
  sg_ThreadLocal slot, other;
  int mine = 1, theirs = 2;
  slot.set(&mine);
  EXPECT_EQ(slot.get(), &mine);
  EXPECT_EQ(other.get(), nullptr);
  void* seenByNewThread = &mine;
  std::thread([&] {
    seenByNewThread = slot.get();
    slot.set(&theirs);
    EXPECT_EQ(slot.get(), &theirs);
  }).join();
  EXPECT_EQ(seenByNewThread, nullptr);
  EXPECT_EQ(slot.get(), &mine);
}

TEST(ThreadID, StableWithinAThreadAndDistinctAcrossThreads) {
  const sgThreadID main = sfGetCurrentThreadID();
  EXPECT_EQ(main, sfGetCurrentThreadID());
  EXPECT_NE(main.value(), 0u);
  constexpr int kThreads = 8;
  std::vector<std::uint64_t> ids(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i)
    threads.emplace_back([&ids, i] { ids[static_cast<std::size_t>(i)] = sfGetCurrentThreadID().value(); });
  for (auto& t : threads) t.join();
  std::set<std::uint64_t> distinct(ids.begin(), ids.end());
  distinct.insert(main.value());
  EXPECT_EQ(distinct.size(), kThreads + 1u);
}

struct ExitLog {
  std::vector<int> order;
  std::uint64_t thread = 0;
};

void recordFirst(const sgThreadID& t, void* data) {
  static_cast<ExitLog*>(data)->order.push_back(1);
  static_cast<ExitLog*>(data)->thread = t.value();
}
void recordSecond(const sgThreadID&, void* data) { static_cast<ExitLog*>(data)->order.push_back(2); }

TEST(ThreadExit, CallbacksRunInOrderWhenTheThreadEnds) {
  ExitLog log;
  std::uint64_t id = 0;
  std::thread([&] {
    id = sfGetCurrentThreadID().value();
    sgThreadID::atexit(sfGetCurrentThreadID(), &recordFirst, &log);
    sgThreadID::atexit(sfGetCurrentThreadID(), &recordSecond, &log);
    EXPECT_TRUE(log.order.empty());
  }).join();
  EXPECT_EQ(log.order, (std::vector<int>{1, 2}));
  EXPECT_EQ(log.thread, id);
}

TEST(ThreadExit, OnlyTheCallingThreadCanBeGiven) {
  ExitLog log;
  const sgThreadID main = sfGetCurrentThreadID();
  std::thread([&] {
    EXPECT_THROW(sgThreadID::atexit(main, &recordFirst, &log), std::invalid_argument);
    EXPECT_THROW(sgThreadID::atexit(sfGetCurrentThreadID(), nullptr, &log), std::invalid_argument);
  }).join();
  EXPECT_TRUE(log.order.empty());
}

TEST(RandomUniform, SameSeedSameSequenceAndCopiesContinueAlike) {
  sgRandomUniform a(42), b(42), c(43);
  bool differs = false;
  for (int i = 0; i < 100; ++i) {
    const double x = a.next(0.0, 1.0);
    EXPECT_EQ(x, b.next(0.0, 1.0));
    differs |= x != c.next(0.0, 1.0);
  }
  EXPECT_TRUE(differs);
  sgRandomUniform copy = a;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(copy.next(-5.0, 5.0), a.next(-5.0, 5.0));
}

TEST(RandomUniform, DrawsStayInTheHalfOpenRange) {
  sgRandomUniform r(1);
  double sum = 0.0;
  constexpr int kDraws = 20000;
  for (int i = 0; i < kDraws; ++i) {
    const double x = r.next(0.0, 1.0);
    ASSERT_GE(x, 0.0);
    ASSERT_LT(x, 1.0);
    sum += x;
    const double y = r.next(-3.0, 5.0);
    ASSERT_GE(y, -3.0);
    ASSERT_LT(y, 5.0);
    EXPECT_LT(std::floor(r.next(0.0, 5.0)), 5.0);
  }
  EXPECT_NEAR(sum / kDraws, 0.5, 0.01);
  // A range one double wide has a single value; rounding up to hi must not escape.
  const double hi = std::nextafter(1.0, 2.0);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(r.next(1.0, hi), 1.0);
  const double big = std::numeric_limits<double>::max();
  for (int i = 0; i < 1000; ++i) {
    const double x = r.next(-big, big);
    EXPECT_TRUE(std::isfinite(x));
    EXPECT_LT(x, big);
  }
}

TEST(RandomUniform, RefusesEmptyOrNonFiniteRanges) {
  sgRandomUniform r;
  EXPECT_THROW(r.next(1.0, 1.0), std::invalid_argument);
  EXPECT_THROW(r.next(2.0, 1.0), std::invalid_argument);
  EXPECT_THROW(r.next(0.0, std::numeric_limits<double>::infinity()), std::invalid_argument);
  EXPECT_THROW(r.next(std::nan(""), 1.0), std::invalid_argument);
}

}  // namespace
