#!/usr/bin/env bash
# Derives data/coastline-taiwan.txt, the coastline that the window's preview draws under the
# shapes, from GSHHG (high resolution, every shoreline between land and sea) for Taiwan,
# Penghu, Kinmen, Matsu and the facing mainland coast. Only needed to make the file again:
# building and testing use the file in the repository.
# Needs the Debian packages gmt and gmt-gshhg-high (apt-get install gmt gmt-gshhg-high).
# Usage: scripts/make-coastline.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/data/coastline-taiwan.txt"
region=116/124/20/27.5
version=$(dpkg-query -W -f '${Version}' gmt-gshhg-high 2>/dev/null || echo unknown)
{
  echo "# Coastline of Taiwan, Penghu, Kinmen, Matsu and the nearby mainland coast,"
  echo "# longitude and latitude in degrees (WGS84), one line of points after each '>'."
  echo "# Derived from GSHHG $version (high resolution, shorelines of level 1) by"
  echo "# scripts/make-coastline.sh, region $region. GSHHG: Wessel, P., and W. H. F. Smith,"
  echo "# A Global Self-consistent, Hierarchical, High-resolution Shoreline Database,"
  echo "# J. Geophys. Res., 101, 8741-8743, 1996. Licensed under the GNU LGPL, version 3 or"
  echo "# later: see coastline-taiwan.LGPL-3.txt and coastline-taiwan.GPL-3.txt beside it."
  # Four decimals are about 10 m, well below what the preview can show of the coast.
  gmt coast -R$region -Dh -A0/0/1 -W -M --IO_SEGMENT_MARKER='>' |
    awk '/^>/ { print ">"; next } { printf "%.4f %.4f\n", $1, $2 }'
} > "$out"
cp /usr/share/common-licenses/LGPL-3 "$here/data/coastline-taiwan.LGPL-3.txt"
cp /usr/share/common-licenses/GPL-3 "$here/data/coastline-taiwan.GPL-3.txt"
echo "Wrote $out ($(grep -c '^>' "$out") lines, $(grep -vc '^[>#]' "$out") points)"
