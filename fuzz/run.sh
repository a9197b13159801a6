#!/usr/bin/env bash
# Builds the archive fuzzer and runs it for a bounded time on a copy of the committed seed
# corpus (so the committed corpus does not grow). Exits non-zero on any finding; the input that
# caused it is left in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
fuzz/build.sh
work=build/fuzz/corpus-run
rm -rf "$work" build/fuzz/artifacts
mkdir -p "$work" build/fuzz/artifacts
cp fuzz/corpus/archive/* "$work"/
build/fuzz/fuzz/archive_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
  -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/ "$work"
