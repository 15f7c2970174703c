#!/usr/bin/env bash
# The Windows build under wine, fed through a file and through a pipe, must
# write the Linux build's script with CR LF line ends, from LF and CR LF input
# alike, refuse UTF-16 input with the Linux build's message, and report an
# output pipe closed early as a broken pipe.
# Usage: tests/windows_check.sh LINUX-REPLAYGEN WINDOWS-REPLAYGEN.EXE
set -euo pipefail
linux=$1 windows=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEPREFIX="$work/wine" WINEDLLOVERRIDES=winemenubuilder.exe=d  # nothing in the home

here=$(dirname "$0")
cp "$here"/../examples/*.txt "$work/"
printf '[0.0]a [1.5]b\n[1.5]c\n' > "$work/worked_example.txt"
printf '[2.0]a [1.0]b "x\\y [1.0]p q\n[0]a [0.25]b [1.0]c [1.75]d\n' > "$work/waits_and_escapes.txt"
printf '12[3.4]q x[2.5]]z[ [-1.5]m\n[1]ab\0cd \0x [3]\x01\x7f\x80\xff]\n' > "$work/malformed.txt"
python3 -c "import sys; sys.stdout.write('[1.5' + '0' * 400 + ']a [' + '9' * 400 + ']b\n')" > "$work/out_of_range.txt"
printf '[1.5]a\x1ab\n[2\x1a5]c\x1a\n' > "$work/ctrl_z_bytes.txt"
printf '\xef\xbb\xbf[1.5]a\n[2.0]b\n' > "$work/utf8_mark.txt"
printf '\xff\xfe[\x001\x00]\x00a\x00' > "$work/utf16_le"
printf '\xfe\xff\x00[\x001\x00]\x00a' > "$work/utf16_be"

# Runs the Windows program with standard input from the file $1 through a
# file or, if $2 is "pipe", through a pipe.
run_windows() {
  if [ "$2" = pipe ]; then wine "$windows" < <(cat "$1"); else wine "$windows" < "$1"; fi
}
wine "$windows" < /dev/null > /dev/null 2>&1  # sets up the prefix, which wine reports

failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}
for input in "$work"/*.txt; do
  "$linux" < "$input" | sed 's/$/\r/' > "$work/expected"
  sed 's/$/\r/' "$input" > "$work/crlf_input"
  for variant in "$input" "$work/crlf_input"; do
    for how in file pipe; do
      if ! run_windows "$variant" "$how" > "$work/got" || ! cmp -s "$work/expected" "$work/got"; then
        fail "Windows script differs for $(basename "$input")" \
          "($([ "$variant" = "$input" ] && echo LF || echo CR LF) input through a $how)"
      fi
    done
  done
done
for input in "$work"/utf16_*; do
  "$linux" < "$input" 2>&1 > /dev/null | sed 's/$/\r/' > "$work/expected" || true
  for how in file pipe; do
    status=0
    run_windows "$input" "$how" > "$work/got" 2> "$work/got_error" || status=$?
    if [ "$status" != 1 ] || [ -s "$work/got" ] || ! cmp -s "$work/expected" "$work/got_error"; then
      fail "Windows program did not refuse $(basename "$input") through a $how" \
        "(status $status, $(wc -c < "$work/got") bytes out, error: $(cat "$work/got_error"))"
    fi
  done
done
# Windows has no SIGPIPE: an output pipe closed early is a write error, as where Linux ignores it.
python3 -c "import sys; sys.stdout.write('[0.5]id=1;op=2\n' * 100000)" > "$work/many_requests"
{
  set +e  # the status is the finding here
  wine "$windows" < "$work/many_requests" 2> "$work/got_error"
  echo $? > "$work/status"
} | head -c 1 > /dev/null
if [ "$(cat "$work/status")" != 1 ] || ! printf 'replaygen: write error: Broken pipe\r\n' | cmp -s - "$work/got_error"; then
  fail "Windows program did not report a closed output pipe" \
    "(status $(cat "$work/status"), error: $(cat "$work/got_error"))"
fi
[ "$failed" = 0 ] && echo "Windows check: all passed"
exit "$failed"
