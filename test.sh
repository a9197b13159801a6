#!/usr/bin/env bash
# Builds everything and runs every test: a plain optimised build, a build with address and
# undefined-behaviour sanitizers (leaks fail it), a ThreadSanitizer build of the threaded tests,
# bounded fuzzing runs, and a program outside the tree built against the installed package.
# Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --tests
jobs=$(nproc)
root=$PWD

# The release tree also builds the Python module for Debian's interpreter (the one with NumPy),
# which its tests then use in place.
PYTHON=${PYTHON:-/usr/bin/python3}
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLYNCNTR_BUILD_TESTS=ON -DLYNCNTR_WERROR=ON \
      -DLYNCNTR_BUILD_PYTHON=ON -DPython_EXECUTABLE="$PYTHON"
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure -j"$jobs"
PYTHONPATH="$root/build/release/python" "$PYTHON" -m pytest -q -p no:cacheprovider tests/python

cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DLYNCNTR_SANITIZE=ON -DLYNCNTR_WERROR=ON
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j"$jobs"

# The tests that share objects between threads, under ThreadSanitizer (which cannot be combined
# with ASan, hence a build of its own); any report is an error.
tsan_tests=(threads_test)
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLYNCNTR_TSAN=ON -DLYNCNTR_BUILD_TOOLS=OFF -DLYNCNTR_WERROR=ON
cmake --build build/tsan -j"$jobs" --target "${tsan_tests[@]}"
for t in "${tsan_tests[@]}"; do
  TSAN_OPTIONS=halt_on_error=1:abort_on_error=1 build/tsan/tests/"$t"
done

# The fuzzers (archive loader, tool readers, geometry driver) under libFuzzer with ASan and UBSan,
# each for 50 seconds on its seed corpus.
fuzz/run.sh

rm -rf build/stage build/consumer
cmake --install build/release --prefix build/stage
cmake -S examples/consumer -B build/consumer -DCMAKE_PREFIX_PATH="$root/build/stage"
cmake --build build/consumer -j"$jobs"
build/consumer/consumer
# The same program built through the installed pkg-config file instead of the CMake package.
g++ examples/consumer/main.cpp $(PKG_CONFIG_PATH="$root/build/stage/lib/pkgconfig" pkg-config --cflags --libs lyncntr10u) \
  -o build/consumer/consumer-pkgconfig
build/consumer/consumer-pkgconfig
