#!/usr/bin/env bash
# One file on several threads: wall time, CPU time and peak memory (maximum resident set, from
# /usr/bin/time -v) of whole-file runs of morvane-cli convert, for Polygon files of 2 and 20
# million vertices in TWD67 TM2 (bench_shapefile --write), with 1 thread and with each count
# given. Rounds alternate the thread counts; the median of each is printed. The peak memory
# must not grow with the file.
#
#   bench/threads_memory.sh [BUILD_DIR [ROUNDS [MODE [THREADS...]]]]
#       default: build, 3 rounds, command-line mode 11, threads 2; needs /usr/bin/time (Debian: time)
set -euo pipefail

build=${1:-build}
rounds=${2:-3}
mode=${3:-11}
shift $(($# < 3 ? $# : 3))
counts=(1 "${@:-2}")
cli=$build/cli/morvane-cli
generator=$build/bench/bench_shapefile
for tool in "$cli" "$generator" /usr/bin/time; do
  [ -x "$tool" ] || { echo "$tool is not there" >&2; exit 1; }
done

echo "processor: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
work=$(mktemp -d "${TMPDIR:-/tmp}/morvane-threads-XXXXXX")
trap 'rm -rf "$work"' EXIT

median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

for polygons in 20000 200000; do
  "$generator" --write "$work/in" "$polygons" 100
  echo "$((polygons * 100)) vertices, $(stat -c %s "$work/in.shp") bytes, mode $mode:"
  declare -A wall=() cpu=() rss=()
  for ((round = 1; round <= rounds; round++)); do
    for threads in "${counts[@]}"; do
      rm -f "$work"/in_1.*
      report=$(/usr/bin/time -v "$cli" convert --quiet --threads "$threads" --mode "$mode" --region 1 \
                 "$work/in.shp" 2>&1 >/dev/null)
      field() { grep -F "$1" <<<"$report" | awk -F': ' '{print $2}'; }
      elapsed=$(field "Elapsed (wall clock)" | awk -F: '{s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s}')
      wall[$threads]+=" $elapsed"
      cpu[$threads]+=" $(echo "$(field 'User time') + $(field 'System time')" | bc -l)"
      rss[$threads]+=" $(field 'Maximum resident set size')"
    done
  done
  for threads in "${counts[@]}"; do
    # shellcheck disable=SC2086
    printf '  threads %-2s  wall %6.2f s   cpu %6.2f s   peak %6d KB   (median of %d)\n' "$threads" \
      "$(median ${wall[$threads]})" "$(median ${cpu[$threads]})" "$(median ${rss[$threads]})" "$rounds"
  done
  rm -f "$work"/in.* "$work"/in_1.*
done
