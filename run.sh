#!/usr/bin/env bash
# The main job: builds the library and the `cntr` tool (nothing of the tests), measures the
# sample outlines and draws them.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLYNCNTR_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target cntr
cntr=build/release/tools/cntr
"$cntr" measure examples/data/shapes.json examples/data/overlap.wkt
# Pictures of each sample input, and of the same input under its filled, translucent repair.
mkdir -p build/pictures
for input in examples/data/shapes.json examples/data/overlap.wkt examples/data/bowtie.wkt; do
  name=$(basename "${input%.*}")
  "$cntr" draw "$input" -o "build/pictures/$name.svg"
  "$cntr" draw --repair "$input" -o "build/pictures/$name-repair.svg"
done
echo "SVG pictures of the inputs and of their repair: $PWD/build/pictures/"
