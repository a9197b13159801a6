#include "rows.h"

#include <cmath>
#include <map>
#include <string>
#include <utility>

namespace bench {
namespace {

struct LastRun {
  double size = 0.0;
  double seconds = 0.0;
};

/// Google Benchmark runs the sizes of one benchmark in ascending order, one after the other.
std::map<std::string, LastRun>& lastRuns() {
  static std::map<std::string, LastRun> runs;
  return runs;
}

}  // namespace

void atEverySize(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(10)->Range(100, 100000)->Unit(benchmark::kMicrosecond);
}

void atIndexSizes(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(10)->Range(100, 1000000)->Unit(benchmark::kMicrosecond);
}

void atColdIndexSizes(benchmark::internal::Benchmark* b) { atIndexSizes(b->MinTime(2.0)); }

void atSetSizes(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(10)->Range(100, 1000)->Unit(benchmark::kMicrosecond);
}

QuadraticBudget::QuadraticBudget(benchmark::State& state, std::string benchmark)
    : state_(state), benchmark_(std::move(benchmark)), start_(std::chrono::steady_clock::now()) {
  const auto found = lastRuns().find(benchmark_);
  if (found == lastRuns().end()) return;
  const double growth = static_cast<double>(state.range(0)) / found->second.size;
  const double estimate = found->second.seconds * growth * growth;
  if (estimate > kSecondsPerRun) {
    skipped_ = true;
    const std::string reason =
        "skipped (quadratic, one run est. " + std::to_string(std::lround(estimate)) + " s)";
    state.SkipWithError(reason.c_str());
  }
}

QuadraticBudget::~QuadraticBudget() {
  if (skipped_ || state_.iterations() == 0) return;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
  lastRuns()[benchmark_] = {static_cast<double>(state_.range(0)),
                            elapsed.count() / static_cast<double>(state_.iterations())};
}

}  // namespace bench
