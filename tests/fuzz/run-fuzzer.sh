#!/usr/bin/env bash
# Runs the shapefile fuzzer for a bounded time and fails on any finding:
#     tests/fuzz/run-fuzzer.sh BUILD_DIR [SECONDS]
# BUILD_DIR is a clang build with MORVANE_BUILD_FUZZERS and MORVANE_SANITIZE. The fuzzer starts
# from the seeds and from tests/fuzz/corpus (read, never written); the inputs it adds go to
# BUILD_DIR/fuzz-work. An input that finds a fault is left in BUILD_DIR/fuzz-findings; once
# the fault is fixed, copy it into tests/fuzz/corpus so that every build runs it again.
# FUZZ_JOBS (default: the number of processors) fuzzes in that many processes at once.
set -euo pipefail
build=${1:?usage: run-fuzzer.sh BUILD_DIR [SECONDS]}
seconds=${2:-120}
jobs=${FUZZ_JOBS:-$(nproc)}
here=$(cd "$(dirname "$0")" && pwd)

mkdir -p "$build/fuzz-seeds" "$build/fuzz-work" "$build/fuzz-findings"
"$build/tests/shapefile/write_seeds" "$build/fuzz-seeds"

# Bounded work per input: 4 KiB inputs, 10 s, no single allocation above 64 MiB.
status=0
"$build/tests/shapefile/shapefile_fuzzer" -fork="$jobs" -max_total_time="$seconds" \
    -max_len=4096 -timeout=10 -malloc_limit_mb=64 -rss_limit_mb=2048 \
    -artifact_prefix="$build/fuzz-findings/" \
    "$build/fuzz-work" "$build/fuzz-seeds" "$here/corpus" 2>&1 | tee "$build/fuzz.log" || status=$?

echo "fuzzing: $(grep -E '^#[0-9]+:' "$build/fuzz.log" | tail -1)"
if [ "$status" -ne 0 ]; then
  echo "the fuzzer found a fault (exit $status); its input is in $build/fuzz-findings/" >&2
  exit "$status"
fi
