#pragma once
// The one loop of the randomized differential tests: draws cases, hands each to a check that
// compares the library with an oracle, stops at the first failing case and names its seed, so
// that one case can be replayed alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <type_traits>

#include "support/randomshapes.h"

namespace differential {

/// Runs `check(make(rng), rng)` on `count` cases, each drawn from its own generator seeded from
/// `seed` and the case number. A check that returns a bool says whether it compared (false:
/// skipped, e.g. an input too close to a tie for the oracle). Prints and returns the number compared.
template <class Make, class Check>
int compare(const char* what, unsigned seed, int count, Make make, Check check) {
  // Failures so far in this test: a case fails when it adds one.
  const auto failures = [] {
    return testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
  };
  const int before = failures();
  int compared = 0;
  for (int i = 0; i < count; ++i) {
    shapes::Rng rng(seed * 1000003ull + static_cast<unsigned>(i));
    const auto input = make(rng);
    if constexpr (std::is_void_v<decltype(check(input, rng))>)
      check(input, rng), ++compared;
    else
      compared += check(input, rng) ? 1 : 0;
    if (failures() > before) {
      ADD_FAILURE() << what << ": first failing case: seed " << seed << ", case " << i;
      return compared;
    }
  }
  std::printf("%s: %d of %d cases compared, all agree\n", what, compared, count);
  return compared;
}

}  // namespace differential
