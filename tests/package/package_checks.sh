#!/usr/bin/env bash
# Checks of the Debian package that `make package` builds, one per CTest test.
# Usage: package_checks.sh CHECK WORK_DIR [ARGS...]
#   build BUILD_DIR             builds the package into WORK_DIR and unpacks it into WORK_DIR/root
#   contents EXPECTED_LIST      the package holds exactly the listed files, of the right kinds
#   desktop                     desktop-file-validate on the installed menu entry
#   metainfo                    appstreamcli validate --no-net on the installed metainfo
#   lintian                     lintian finds no error; its other findings are printed
set -euo pipefail
check=$1
work=$2
shift 2

package() {
  local debs=("$work"/morvane_*_amd64.deb)
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "no single package in $work" >&2; exit 1; }
  echo "${debs[0]}"
}

fail() { echo "FAIL: $*" >&2; status=1; }
status=0

case $check in
  build)
    build=$1
    rm -rf "$work"
    mkdir -p "$work"
    "${CPACK:-cpack}" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
      { cat "$work/cpack.log" >&2; exit 1; }
    dpkg-deb -x "$(package)" "$work/root"
    ;;
  contents)
    expected=$1
    deb=$(package)
    # Regular files only, without the leading "./"; directories follow from them.
    dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { sub(/^\.\//, "", $6); print $6 }' | sort >"$work/files.txt"
    if ! diff -u <(grep -v -e '^#' -e '^$' "$expected" | sort) "$work/files.txt"; then
      fail "the package's files differ from $expected (- expected, + packaged)"
    fi
    # Owner root, programs executable, everything else plain readable data.
    dpkg-deb -c "$deb" | awk '$2 != "root/root" { print "not owned by root: " $6; bad=1 }
      $1 ~ /^-/ && $6 ~ /\/bin\// && $1 != "-rwxr-xr-x" { print "not 0755: " $6; bad=1 }
      $1 ~ /^-/ && $6 !~ /\/bin\// && $1 != "-rw-r--r--" { print "not 0644: " $6; bad=1 }
      END { exit bad }' || fail "ownership or modes"
    root=$work/root
    for exe in "$root"/usr/bin/*; do
      description=$(file -b "$exe")
      [[ $description == ELF\ 64-bit*x86-64*stripped* && $description != *not\ stripped* ]] ||
        fail "$exe is not a stripped x86-64 program: $description"
    done
    for size in 16 32 48 64 128 256; do
      png=$root/usr/share/icons/hicolor/${size}x${size}/apps/morvane.png
      [[ $(file -b "$png") == "PNG image data, $size x $size,"* ]] || fail "$png is not $size x $size"
    done
    for gz in "$root"/usr/share/man/man1/*.gz "$root"/usr/share/doc/morvane/changelog.gz; do
      gzip -t "$gz" || fail "$gz is not gzip data"
    done
    zcat "$root/usr/share/man/man1/morvane-cli.1.gz" | grep -q '"Morvane [0-9]' ||
      fail "the manual page shows no version"
    # The runtime dependencies were computed from the programs' libraries.
    depends=$(dpkg-deb -f "$deb" Depends)
    for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6; do
      [[ ", $depends," == *", $lib "* ]] || fail "Depends lacks $lib: $depends"
    done
    grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
      "$root/usr/share/doc/morvane/copyright" || fail "the copyright file is not machine-readable"
    ;;
  desktop)
    desktop-file-validate "$work/root/usr/share/applications/morvane.desktop"
    ;;
  metainfo)
    files=("$work"/root/usr/share/metainfo/*.metainfo.xml)
    [ ${#files[@]} -eq 1 ] || fail "expected one metainfo file: ${files[*]}"
    appstreamcli validate --no-net --explain "${files[0]}" || fail "appstreamcli rejects ${files[0]}"
    # Software centres find the entry by its id, which must name the file.
    id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "${files[0]}")
    [ "$(basename "${files[0]}")" = "$id.metainfo.xml" ] || fail "the file is not named after its id $id"
    ;;
  lintian)
    deb=$(package)
    # Errors fail the check; warnings and notes are printed for the record.
    lintian --fail-on error --tag-display-limit 0 --info "$deb" || fail "lintian reports errors"
    ;;
  *)
    echo "unknown check $check" >&2
    exit 2
    ;;
esac
exit $status
