#!/usr/bin/env bash
# Builds the packages and checks each as a user meets it: unpacked, its
# program run on the bundled example must write the build tree's script (with
# CR LF line ends from the Windows one, run under wine); each holds the
# licence and matches its checksum; the .deb passes lintian without a tag, its
# program is bound at start (bind-now), and it holds the manual page, which
# passes mandoc's lint; each .tar.gz's program runs alone in an empty root (by
# chroot, as root; under qemu-user with no sysroot for aarch64). A second clean
# build of the same sources, later and elsewhere, must make byte-identical packages.
# Usage: tests/package_check.sh LINUX-BUILD-DIR AARCH64-BUILD-DIR [WINDOWS-BUILD-DIR]
set -euo pipefail
linux_build=$1 aarch64_build=$2 windows_build=${3:-}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
example=$source_dir/examples/requests.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEPREFIX="$work/wine" WINEDLLOVERRIDES=winemenubuilder.exe=d  # nothing in the home

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

# check_archive BUILD-DIR [EMULATOR]: run in an empty root, beside the static EMULATOR if any.
check_archive() {
  local top=$work/${1##*/}
  mkdir -p "$top/root" && tar -xzf "$1"/replaygen-*-Linux-*.tar.gz -C "$top" --strip-components=1
  [ -f "$top/share/doc/replaygen/LICENSE" ] || fail "$1: the .tar.gz holds no LICENSE"
  ! readelf -d "$top/bin/replaygen" | grep NEEDED || fail "$1: the .tar.gz's program needs a shared library"
  cp "$top/bin/replaygen" ${2:+"$(command -v "$2")"} "$top/root"
  env -u QEMU_LD_PREFIX chroot "$top/root" ${2:+"/$2"} /replaygen < "$example" | cmp -s - "$work/expected" ||
    fail "$1: the .tar.gz's program did not write the example's script alone in an empty root"
}

# make_packages BUILD-DIR: its packages, each of which must match its checksum.
make_packages() {
  (cd "$1" && rm -f replaygen[-_]* && cpack > /dev/null && sha256sum --quiet -c ./*.sha256) ||
    fail "$1: packages or checksums"
}

# same_again BUILD-DIR [CMAKE-OPTION...]: a second clean build must make the
# same packages, which their checksums tell.
same_again() {
  local again=$work/again-${1##*/}
  cmake -S "$source_dir" -B "$again" -DREPLAYGEN_WERROR=ON -DREPLAYGEN_TESTS=OFF -DREPLAYGEN_BENCH=OFF "${@:2}" > /dev/null
  cmake --build "$again" -j2 > /dev/null && make_packages "$again" 2> /dev/null
  diff <(cat "$1"/*.sha256) <(cat "$again"/*.sha256) || fail "a second build of $1 differs"
}

"$linux_build/replaygen" < "$example" > "$work/expected"
make_packages "$linux_build"
mkdir "$work/deb"
deb=$(echo "$linux_build"/replaygen_*.deb)
dpkg-deb -x "$deb" "$work/deb"
check_program .deb "$work/deb/usr/bin/replaygen" "$work/expected"
check_archive "$linux_build"
make_packages "$aarch64_build"
check_archive "$aarch64_build" qemu-aarch64-static

if ! tags=$(lintian -I --fail-on error,warning,info "$deb") || [ -n "$tags" ]; then
  fail "lintian finds fault with the .deb: $tags"
fi
readelf -d "$work/deb/usr/bin/replaygen" | grep -q BIND_NOW || fail "the .deb's program is not bound at start"
manual=usr/share/man/man1/replaygen.1.gz
listing=$(dpkg-deb -c "$deb")
for file in $manual usr/share/doc/replaygen/copyright usr/share/doc/replaygen/changelog.gz; do
  grep -q " \./$file\$" <<< "$listing" || fail ".deb holds no $file"
done
if [ -f "$work/deb/$manual" ]; then
  if ! lint=$(mandoc -T lint -W warning "$work/deb/$manual" 2>&1) || [ -n "$lint" ]; then
    fail "the manual page does not pass the lint: $lint"
  fi
fi

if [ -n "$windows_build" ]; then
  sed 's/$/\r/' "$work/expected" > "$work/expected_crlf"
  make_packages "$windows_build"
  unzip -q "$windows_build"/replaygen-*-win64.zip -d "$work/zip"
  check_program .zip "$(echo "$work"/zip/replaygen-*)/replaygen.exe" "$work/expected_crlf" wine
  [ -f "$(echo "$work"/zip/replaygen-*)/LICENSE" ] || fail ".zip holds no LICENSE"
  same_again "$windows_build" --toolchain "$source_dir/cmake/mingw-w64-x86_64.cmake"
fi
same_again "$linux_build"
[ "$failed" = 0 ] && echo "Package check: all passed"
exit "$failed"
