#!/usr/bin/env bash
# Times the library side by side with its peers (OpenCV, Boost.Geometry, GEOS) in one process:
# installs them, builds the benchmarks in a Release tree (build/bench), runs them once and writes
# the table, with the machine and the date, to bench/RESULTS.md. Takes about five minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DLYNCNTR_BUILD_BENCH=ON \
      -DLYNCNTR_BUILD_TESTS=OFF -DLYNCNTR_BUILD_TOOLS=OFF >/dev/null
cmake --build build/bench -j"$(nproc)" --target cntr_bench
# Three whole passes, medians reported: one slow phase of the shared machine then decides nothing.
table=$(python3 bench/report.py build/bench/bench/cntr_bench --passes=3)
model=$(lscpu | grep 'Model name' | sed 's/^Model name: *//')
{
  echo "# Benchmarks against peer libraries"
  echo
  echo "Written by \`scripts/bench.sh\` on $(date -u +%Y-%m-%d): $(nproc) cores, ${model}."
  echo
  echo "The figures are ratios from one run on a shared machine (other jobs were running): compare"
  echo "ours with the peer within a row, not absolute times across runs. Times are CPU time per"
  echo "iteration, the median of three passes; growth is log(t2/t1) / log(n2/n1) of our time"
  echo "from the previous size (1 is linear; n log n from 10^4 to 10^5 is about 1.1). Sizes are"
  echo "vertices, or squares for the squares row; \"skipped (quadratic)\" marks a size whose one run,"
  echo "extrapolated from the previous size, would exceed 20 s of wall time (the estimate is shown)."
  echo
  echo "$table"
} >bench/RESULTS.md
cat bench/RESULTS.md
