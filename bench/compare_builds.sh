#!/usr/bin/env bash
# Two builds (or more) of the engine side by side: `bench_vs_proj --engine MODE PASSES` of each
# build in turn, ROUNDS times, and the smallest and the median CPU time (perf stat's task-clock)
# of each. On a shared virtual machine the same binary can take a third longer from one run to
# the next; alternating short runs many times and comparing the smallest times shows a change of
# a few per cent where one long run of each does not. About 15 ms of each run is start-up.
#
#   bench/compare_builds.sh MODE PASSES ROUNDS BUILD_DIR...     needs perf (Debian: linux-perf)
#   e.g. bench/compare_builds.sh 11 150 21 build-before build-perf
set -euo pipefail

[ $# -ge 4 ] || { sed -n '8,9p' "$0" >&2; exit 2; }
mode=$1
passes=$2
rounds=$3
shift 3
for build in "$@"; do
  [ -x "$build/bench/bench_vs_proj" ] || { echo "$build/bench/bench_vs_proj is not built" >&2; exit 1; }
done
command -v perf >/dev/null || { echo "perf not found (Debian: linux-perf)" >&2; exit 1; }

echo "processor: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
declare -A times
for ((round = 1; round <= rounds; round++)); do
  for build in "$@"; do
    ms=$(perf stat -x, -e task-clock "$build/bench/bench_vs_proj" --engine "$mode" "$passes" 2>&1 >/dev/null |
      awk -F, '/task-clock/ {print $1}')
    times[$build]+=" $ms"
  done
done
for build in "$@"; do
  printf '%s\n' ${times[$build]} | sort -g |
    awk -v build="$build" -v mode="$mode" -v passes="$passes" \
      '{v[NR] = $1} END {printf "mode %s, %s passes, %-24s smallest %8.1f ms   median %8.1f ms   (%d runs)\n",
                                mode, passes, build, v[1], v[int((NR + 1) / 2)], NR}'
done
