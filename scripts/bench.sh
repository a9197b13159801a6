#!/usr/bin/env bash
# Times the library side by side with its peers (OpenCV, Boost.Geometry, GEOS) in one process:
# installs them, builds the benchmarks in a Release tree (build/bench), runs them once and writes
# the table, with the machine and the date, to bench/RESULTS.md. Takes about half an hour on a
# quiet 2-core machine. BENCH_PASSES (default 3) sets the number of whole passes; further
# arguments go to the benchmark binary (for instance --benchmark_min_time=0.2).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DLYNCNTR_BUILD_BENCH=ON \
      -DLYNCNTR_BUILD_TESTS=OFF -DLYNCNTR_BUILD_TOOLS=OFF >/dev/null
cmake --build build/bench -j"$(nproc)" --target cntr_bench
# Three whole passes, medians reported: one slow phase of the shared machine then decides nothing.
passes=${BENCH_PASSES:-3}
table=$(python3 bench/report.py build/bench/bench/cntr_bench --passes="$passes" "$@")
model=$(lscpu | grep 'Model name' | sed 's/^Model name: *//')
{
  echo "# Benchmarks against peer libraries"
  echo
  echo "Written by \`scripts/bench.sh\` on $(date -u +%Y-%m-%d): $(nproc) cores, ${model}."
  echo
  echo "The figures are ratios from one run on a shared machine (other jobs were running): compare"
  echo "ours with the peer within a row, not absolute times across runs. Times are CPU time per"
  echo "iteration, the median of ${passes} pass(es); growth is log(t2/t1) / log(n2/n1) of our time"
  echo "from the previous size (1 is linear; n log n from 10^4 to 10^5 is about 1.1). Sizes are"
  echo "vertices, or squares for the squares row; \"skipped (quadratic)\" marks a size whose one run,"
  echo "extrapolated from the previous size, would exceed 20 s of wall time (the estimate is shown)."
  echo "Cold rows build the object (and its edge index) inside the timing; warm rows time one query"
  echo "on an object whose caches and index were built before. The target column gives each target"
  echo "of the speed issue as a same-run limit and whether this run met it."
  echo
  echo "$table"
} >bench/RESULTS.md
cat bench/RESULTS.md
