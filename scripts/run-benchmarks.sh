#!/usr/bin/env bash
# Runs every benchmark program that was built and prints its figures.
set -euo pipefail
build=${1:-build}
found=0
for exe in "$build"/bench/bench_*; do
  [ -x "$exe" ] || continue
  found=1
  echo "== $(basename "$exe")"
  "$exe"
done
[ $found -eq 1 ] || echo "No benchmark has been built yet."
