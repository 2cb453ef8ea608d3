#!/usr/bin/env bash
# Whole files: morvane-cli convert against GDAL's ogr2ogr with the same transformation given as
# a PROJ pipeline (-ct), and against cp of the same three files, on a generated Polygon
# shapefile of five million vertices in TWD67 TM2 (a second copy in TWD67 geographic
# coordinates serves the forward mode). Each tool runs in turn, three rounds, and the median of
# each tool's rounds counts (the best is shown beside it); the processor and the compiler flags
# of the build are printed first. ConvertPoints alone on the same vertices, timed in each round too, gives
# the share of the conversion spent outside the engine (reading, writing, the index and the
# table, making the outputs durable and moving them into place).
#
# The command line converts each file on one thread per core unless THREADS is given; the share
# outside the engine is shown for one thread only, where the two times are comparable.
#
#   bench/compare_ogr2ogr.sh [BUILD_DIR [ROUNDS [THREADS]]]     default build, 3, one per core;
#                                                               needs gdal-bin
set -euo pipefail

build=${1:-build}
rounds=${2:-3}
threads=${3:-}
threads_option=()
[ -n "$threads" ] && threads_option=(--threads "$threads")
cli=$build/cli/morvane-cli
generator=$build/bench/bench_shapefile
for tool in "$cli" "$generator"; do
  [ -x "$tool" ] || { echo "$tool is not built" >&2; exit 1; }
done
command -v ogr2ogr >/dev/null || { echo "ogr2ogr not found (Debian: gdal-bin)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/morvane-ogr2ogr-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The engine's constants as PROJ steps (angles in radians between steps).
twd67_tm2="+proj=tmerc +lat_0=0 +lon_0=121 +k=0.9999 +x_0=250000 +y_0=0 +a=6378160 +rf=298.247167"
twd97_tm2="+proj=tmerc +lat_0=0 +lon_0=121 +k=0.9999 +x_0=250000 +y_0=0 +a=6378137 +rf=298.2572221008827"
helmert97="+proj=helmert +x=-0.00670000859 +y=-0.00609993803 +z=0.0184999911 +rx=1.0746486068784996e-09"
helmert97+=" +ry=8.6506500402418353e-12 +rz=5.5904198986242057e-10 +s=-0.01 +convention=coordinate_frame"
datum="+step +proj=cart +a=6378160 +es=0.00669454185 +step +proj=helmert +x=-752 +y=-358 +z=-179"
datum+=" +step $helmert97 +step +inv +proj=cart +a=6378137 +rf=298.2572221008827"

# name | command-line mode | input | pipeline
cases=(
  "TWD67 TM2 to TWD97 TM2|11|tm2|+proj=pipeline +step +inv $twd67_tm2 $datum +step $twd97_tm2"
  "TWD67 geographic to TWD67 TM2 (forward)|2|geo|+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step $twd67_tm2"
  "TWD67 TM2 to TWD67 geographic (inverse)|1|tm2|+proj=pipeline +step +inv $twd67_tm2 +step +proj=unitconvert +xy_in=rad +xy_out=deg"
)

"$generator" --machine
echo "morvane-cli threads per file: ${threads:-one per core ($(nproc))}"
echo "generating the input in $work"
"$generator" --write "$work/tm2" 50000 100
"$cli" convert --quiet --mode 1 --region 1 "$work/tm2.shp"
for ext in shp shx dbf; do mv "$work/tm2_1.$ext" "$work/geo.$ext"; done
rm -f "$work"/tm2_1.* "$work"/geo.prj
ls -l "$work"/tm2.shp "$work"/geo.shp | awk '{print $5, $9}'

seconds() { # runs "$@" and prints its wall-clock seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
best() { # the smallest of its arguments
  printf '%s\n' "$@" | sort -g | head -n1
}
median() { # the middle one of its arguments, or the mean of the two middle ones
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

copy_files() {
  for ext in shp shx dbf; do cp "$work/tm2.$ext" "$work/copy.$ext"; done
}

declare -A times
for ((round = 1; round <= rounds; round++)); do
  for entry in "${cases[@]}"; do
    IFS='|' read -r name mode input pipeline <<<"$entry"
    rm -f "$work/${input}_1".* "$work/ogr".*
    m=$(seconds "$cli" convert --quiet "${threads_option[@]}" --mode "$mode" --region 1 "$work/$input.shp")
    o=$(seconds ogr2ogr -f "ESRI Shapefile" "$work/ogr.shp" "$work/$input.shp" -ct "$pipeline")
    e=$("$generator" --engine "$work/$input.shp" "$mode" 1 | awk '{print $1}')
    times[$name.morvane]+=" $m"
    times[$name.ogr2ogr]+=" $o"
    times[$name.engine]+=" $e"
    printf 'round %d  %-42s morvane-cli %6.3f s   ogr2ogr %6.3f s\n' "$round" "$name" "$m" "$o"
  done
  rm -f "$work"/copy.*
  c=$(seconds copy_files)
  times[cp]+=" $c"
  printf 'round %d  %-42s %6.3f s\n' "$round" "cp of the three files" "$c"
done

echo
copy=$(median ${times[cp]})
printf '%-42s %9s %9s %12s %9s %16s\n' "median of $rounds alternating rounds" "morvane" "ogr2ogr" "ogr2ogr/mv" "cp" \
  "outside engine"
for entry in "${cases[@]}"; do
  IFS='|' read -r name mode input pipeline <<<"$entry"
  m=$(median ${times[$name.morvane]})
  o=$(median ${times[$name.ogr2ogr]})
  engine=$(median ${times[$name.engine]})
  if [ "$threads" = 1 ]; then
    outside=$(printf '%6.3fs, %4.1f%%' "$(echo "$m - $engine" | bc -l)" "$(echo "100 * ($m - $engine) / $m" | bc -l)")
  else
    outside=$(printf 'engine alone %.3fs' "$engine")
  fi
  printf '%-42s %8.3fs %8.3fs %11.2fx %8.3fs %s\n' "$name" "$m" "$o" \
    "$(echo "$o / $m" | bc -l)" "$copy" "$outside"
done
echo "(outside engine: the command line's median time less the median of ConvertPoints alone on the"
echo " same vertices, read into memory first, as a share of the command line's time; with threads"
echo " other than 1, the median of ConvertPoints alone on one thread instead)"
echo
printf '%-42s %9s %9s %12s\n' "best of $rounds rounds" "morvane" "ogr2ogr" "ogr2ogr/mv"
for entry in "${cases[@]}"; do
  IFS='|' read -r name mode input pipeline <<<"$entry"
  m=$(best ${times[$name.morvane]})
  o=$(best ${times[$name.ogr2ogr]})
  printf '%-42s %8.3fs %8.3fs %11.2fx\n' "$name" "$m" "$o" "$(echo "$o / $m" | bc -l)"
done
