#!/usr/bin/env bash
# Builds the fuzzers and runs each for a bounded time on a copy of its committed seed corpus
# (so the committed corpus does not grow). Exits non-zero on any finding; the input that caused
# it is left in build/fuzz/artifacts/<fuzzer>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-50}
fuzz/build.sh
for name in archive reader geometry; do
  work=build/fuzz/corpus-run/$name
  artifacts=build/fuzz/artifacts/$name
  rm -rf "$work" "$artifacts"
  mkdir -p "$work" "$artifacts"
  cp fuzz/corpus/"$name"/* "$work"/
  echo "fuzzing $name for ${seconds}s"
  build/fuzz/fuzz/${name}_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$artifacts"/ "$work"
done
