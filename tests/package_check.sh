#!/usr/bin/env bash
# Builds the packages and checks each as a user meets it: unpacked, its
# program run on the bundled example must write the build tree's script (with
# CR LF line ends from the Windows one, run under wine); the .deb lists the
# manual page, which passes mandoc's lint.
# Usage: tests/package_check.sh LINUX-BUILD-DIR [WINDOWS-BUILD-DIR]
set -euo pipefail
linux_build=$1 windows_build=${2:-}
example=$(cd "$(dirname "$0")/.." && pwd)/examples/requests.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEPREFIX="$work/wine"

failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

# check_program PACKAGE PROGRAM EXPECTED-SCRIPT [RUNNER]
check_program() {
  local package=$1 program=$2 expected=$3 runner=${4:-}
  if [ ! -f "$program" ]; then
    fail "$package holds no $(basename "$program")"
  elif ! $runner "$program" < "$example" > "$work/got" || ! cmp -s "$expected" "$work/got"; then
    fail "$package: $(basename "$program") did not write the example's script"
  fi
}

"$linux_build/replaygen" < "$example" > "$work/expected"
(cd "$linux_build" && cpack > /dev/null)
mkdir "$work/deb" "$work/tgz"
deb=$(echo "$linux_build"/replaygen_*.deb)
dpkg-deb -x "$deb" "$work/deb"
check_program .deb "$work/deb/usr/bin/replaygen" "$work/expected"
tar -xzf "$linux_build"/replaygen-*-Linux.tar.gz -C "$work/tgz"
check_program .tar.gz "$(echo "$work"/tgz/replaygen-*)/bin/replaygen" "$work/expected"

manual=usr/share/man/man1/replaygen.1
dpkg-deb -c "$deb" | grep -q " \./$manual\$" || fail ".deb lists no manual page $manual"
if [ -f "$work/deb/$manual" ]; then
  if ! lint=$(mandoc -T lint -W warning "$work/deb/$manual" 2>&1) || [ -n "$lint" ]; then
    fail "the manual page does not pass the lint: $lint"
  fi
fi

if [ -n "$windows_build" ]; then
  sed 's/$/\r/' "$work/expected" > "$work/expected_crlf"
  (cd "$windows_build" && cpack > /dev/null)
  unzip -q "$windows_build"/replaygen-*-win64.zip -d "$work/zip"
  check_program .zip "$(echo "$work"/zip/replaygen-*)/replaygen.exe" "$work/expected_crlf" wine
fi
[ "$failed" = 0 ] && echo "Package check: all passed"
exit "$failed"
