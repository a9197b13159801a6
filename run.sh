#!/usr/bin/env bash
# The main job: builds the library and its tools, then measures the sample outlines.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$(nproc)"
if [ -x build/release/tools/cntr ]; then
  build/release/tools/cntr measure examples/data/shapes.json
else
  rm -rf build/stage build/consumer
  cmake --install build/release --prefix build/stage >/dev/null
  cmake -S examples/consumer -B build/consumer -DCMAKE_PREFIX_PATH="$PWD/build/stage" >/dev/null
  cmake --build build/consumer >/dev/null
  build/consumer/consumer
fi
