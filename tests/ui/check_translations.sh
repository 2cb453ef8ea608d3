#!/usr/bin/env bash
# Every translatable text of the window has an English translation: lupdate, run over the
# window's sources against a copy of the .ts, must find no text without one.
# Usage: check_translations.sh LUPDATE TS_FILE WORK_DIR SOURCE...
set -euo pipefail
lupdate=$1
ts=$2
work=$3
shift 3
mkdir -p "$work"
copy="$work/$(basename "$ts")"
cp "$ts" "$copy"
"$lupdate" -silent -locations none -no-obsolete "$@" -ts "$copy"
# New texts come in unfinished, with no translation.
if grep -n -B2 'type="unfinished"' "$copy"; then
  echo "FAIL: texts above have no translation in $ts" >&2
  exit 1
fi
echo "every text of the window is translated in $ts"
