#!/usr/bin/env bash
# The Windows build under wine must write the Linux build's script with CR LF
# line ends, from LF and CR LF input alike.
# Usage: tests/windows_check.sh LINUX-REPLAYGEN WINDOWS-REPLAYGEN.EXE
set -euo pipefail
linux=$1 windows=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEPREFIX="$work/wine"

here=$(dirname "$0")
cp "$here"/../examples/*.txt "$work/"
printf '[0.0]a [1.5]b\n[1.5]c\n' > "$work/worked_example.txt"
printf '[2.0]a [1.0]b "x\\y [1.0]p q\n[0]a [0.25]b [1.0]c [1.75]d\n' > "$work/waits_and_escapes.txt"
printf '12[3.4]q x[2.5]]z[ [-1.5]m\n[1]ab\0cd \0x [3]\x01\x7f\x80\xff]\n' > "$work/malformed.txt"
python3 -c "import sys; sys.stdout.write('[1.5' + '0' * 400 + ']a [' + '9' * 400 + ']b\n')" > "$work/out_of_range.txt"

failed=0
for input in "$work"/*.txt; do
  "$linux" < "$input" | sed 's/$/\r/' > "$work/expected"
  sed 's/$/\r/' "$input" > "$work/crlf_input"
  for variant in "$input" "$work/crlf_input"; do
    if ! wine "$windows" < "$variant" > "$work/got" || ! cmp -s "$work/expected" "$work/got"; then
      echo "FAILED: Windows script differs for $(basename "$input") ($([ "$variant" = "$input" ] && echo LF || echo CR LF) input)"
      failed=1
    fi
  done
done
[ "$failed" = 0 ] && echo "Windows check: all scripts match"
exit "$failed"
