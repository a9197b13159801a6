#!/usr/bin/env bash
# The main job: builds the library and its tools, then measures the sample outlines.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$(nproc)"
if [ -x build/release/tools/cntr ]; then
  cntr=build/release/tools/cntr
  "$cntr" measure examples/data/shapes.json examples/data/overlap.wkt
  # Pictures of each sample input, and of the same input with its regularization over it in red.
  mkdir -p build/pictures
  for input in examples/data/shapes.json examples/data/overlap.wkt examples/data/bowtie.wkt; do
    name=$(basename "${input%.*}")
    "$cntr" draw "$input" -o "build/pictures/$name.svg"
    "$cntr" draw --repair "$input" -o "build/pictures/$name-repair.svg"
  done
  echo "SVG pictures of the inputs and of their repair: $PWD/build/pictures/"
else
  rm -rf build/stage build/consumer
  cmake --install build/release --prefix build/stage >/dev/null
  cmake -S examples/consumer -B build/consumer -DCMAKE_PREFIX_PATH="$PWD/build/stage" >/dev/null
  cmake --build build/consumer >/dev/null
  build/consumer/consumer
fi
