#!/usr/bin/env bash
# morvane --help and --version print to standard output and exit 0 without a display; the
# same program without them needs one, which shows that the two never reach the window.
# Usage: start_options_test.sh MORVANE VERSION
set -uo pipefail
morvane=$1
version=$2
failures=0
# No display of any kind: a window could not open. A program that opens one anyway (an
# offscreen platform named on its command line) is stopped after a while.
headless=(timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb)

check() {
  local name=$1 expected=$2
  shift 2
  local out err status
  err=$(mktemp)
  out=$("${headless[@]}" "$morvane" "$@" 2>"$err")
  status=$?
  if [[ $status -ne 0 || "$out" != $expected || -s $err ]]; then
    echo "FAIL: $name: exit $status, stdout: $out, stderr: $(cat "$err")" >&2
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
  rm -f "$err"
}

check "--help" "Usage: morvane [--lang LANGUAGE]"*"--version"* --help
check "-h" "Usage: morvane "* -h
check "--help after --lang" "Usage: morvane "* --lang en --help
check "--version" "morvane $version" --version
check "--version before Qt's options" "morvane $version" --version -platform offscreen

if "${headless[@]}" "$morvane" --lang en >/dev/null 2>&1; then
  echo "FAIL: without --help the program started with no display" >&2
  failures=$((failures + 1))
fi
exit $((failures > 0))
