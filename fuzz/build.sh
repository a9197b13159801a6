#!/usr/bin/env bash
# Builds the fuzzers into build/fuzz with clang: libFuzzer, ASan and UBSan over the library and
# the platform libraries it loads through.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLYNCNTR_FUZZ=ON -DLYNCNTR_WERROR=ON \
  -DLYNCNTR_BUILD_TESTS=OFF -DLYNCNTR_BUILD_TOOLS=OFF -DLYNCNTR_BUILD_BENCH=OFF >/dev/null
cmake --build build/fuzz --target archive_fuzz reader_fuzz geometry_fuzz -j"$(nproc)"
