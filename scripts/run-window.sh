#!/usr/bin/env bash
# Opens the window program, or says why it cannot.
set -euo pipefail
build=${1:-build}
exe="$build/ui/morvane"
if [ ! -x "$exe" ]; then
  echo "The window program has not been built yet ($exe is missing)." >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display is available (DISPLAY and WAYLAND_DISPLAY are unset): the window cannot open." >&2
  echo "Use morvane-cli for conversions without a display." >&2
  exit 1
fi
exec "$exe"
