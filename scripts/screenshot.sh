#!/usr/bin/env bash
# Renders the window with the samples folder selected, its shapefiles listed and areas.shp
# previewed to docs/screenshot.png, and the same in English to docs/screenshot-en.png, on Qt's
# offscreen platform (no display needed).
# Usage: scripts/screenshot.sh [BUILD_DIR]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
tool="$build/ui/morvane-render-window"
if [ ! -x "$tool" ]; then
  echo "Build the window first: $tool is missing." >&2
  exit 1
fi
# Sort the tree as a Traditional Chinese desktop would, where that locale exists.
if locale -a 2>/dev/null | grep -qi '^zh_TW.utf-\?8$'; then export LC_ALL=zh_TW.UTF-8; else export LC_ALL=C.UTF-8; fi
mkdir -p "$here/docs"
QT_QPA_PLATFORM=offscreen "$tool" "$here/samples" "$here/docs/screenshot.png" areas.shp
echo "Wrote $here/docs/screenshot.png"
# The window's language follows the desktop's (LANGUAGE), as the installed program's does.
LANGUAGE=en QT_QPA_PLATFORM=offscreen "$tool" "$here/samples" "$here/docs/screenshot-en.png" areas.shp
echo "Wrote $here/docs/screenshot-en.png"
