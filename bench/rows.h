#pragma once
// How benchmarks become rows of the report: each is named "<operation>/ours" or
// "<operation>/<peer function>" and runs at the sizes below; bench/report.py pairs ours with each
// peer by operation and size. The label of ours says whether it is timed cold or warm.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "inputs.h"

namespace bench {

/// The size a benchmark runs at: vertices of the polygon, or regions of the set.
inline int size(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

/// Vertex counts 10^2, 10^3, 10^4 and 10^5.
void atEverySize(benchmark::internal::Benchmark* b);
/// Vertex counts 10^2 to 10^6, for the queries that must grow slowly.
void atIndexSizes(benchmark::internal::Benchmark* b);
/// The same, for cold rows, each of whose iterations builds an index: run long enough that even
/// the largest size is timed over several builds.
void atColdIndexSizes(benchmark::internal::Benchmark* b);
/// Region counts 10^2 and 10^3.
void atSetSizes(benchmark::internal::Benchmark* b);

/// Registers fn(state, kind) as "<operation>, <outline name>/<who>" for both outline kinds
/// (inputs.h), at the sizes `sizes` applies.
template <class Fn>
void registerPerOutline(const std::string& operation, const std::string& who, Fn fn,
                        void (*sizes)(benchmark::internal::Benchmark*)) {
  for (int kind = 0; kind < 2; ++kind) {
    const std::string name = operation + ", " + outlineName(kind) + "/" + who;
    sizes(
        benchmark::RegisterBenchmark(name.c_str(), [fn, kind](benchmark::State& state) { fn(state, kind); }));
  }
}

/// Keeps quadratic operations (ours, and a peer's where it is one too) within the time of the
/// whole run: a size is skipped when one run, extrapolated quadratically from the last size
/// measured for the same benchmark, would take longer than kSecondsPerRun of wall time.
/// Construct it before the timing loop and test skipped().
class QuadraticBudget {
 public:
  static constexpr double kSecondsPerRun = 20.0;
  QuadraticBudget(benchmark::State& state, std::string benchmark);
  /// Records the wall time per iteration of a size that ran, for the next size's estimate.
  ~QuadraticBudget();
  QuadraticBudget(const QuadraticBudget&) = delete;
  QuadraticBudget& operator=(const QuadraticBudget&) = delete;
  bool skipped() const { return skipped_; }

 private:
  benchmark::State& state_;
  std::string benchmark_;
  bool skipped_ = false;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace bench
