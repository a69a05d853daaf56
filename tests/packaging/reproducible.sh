#!/bin/bash
# SPDX-License-Identifier: MIT
# The same source, built at two paths of different lengths in the default
# build type and installed unstripped, gives byte-identical files. The
# plain build's vadel tool reports the documented package version.
#   reproducible.sh SOURCE C_COMPILER CXX_COMPILER
set -uo pipefail
here=$(dirname "$0")
# shellcheck source=sub_build.sh
source "$here/sub_build.sh"
source=$1 cc=$2 cxx=$3
need_compiler "$cc"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for copy in a/src a-folder-of-another-length/quarn_orvek-0.1.0; do
  copy_source "$source" "$work/$copy"
  sub_build "$cc" "$cxx" "$work/$copy" "$work/$copy/build" || { fail "plain build at $copy"; finish "reproducible build"; }
  DESTDIR=$work/$copy/root cmake --install "$work/$copy/build" --prefix /usr/local >/dev/null ||
    fail "install at $copy"
done
a=$work/a/src/root b=$work/a-folder-of-another-length/quarn_orvek-0.1.0/root

expect "both installed the same files" \
  diff <(cd "$a" && find . | sort) <(cd "$b" && find . | sort)
expect "every installed file is byte for byte the same" diff -r --no-dereference "$a" "$b"
expect "installed unstripped (debug info kept)" \
  grep -q '\.debug_info' <(readelf -SW "$a/usr/local/lib/liborvek_memory_debug.so.0")
expect "no build path in any installed file" \
  bash -c '! grep -rl -e "$1" -e "$2" "$3"' _ "$work/a/src" "$work/a-folder" "$a"

line=$(LD_LIBRARY_PATH=$work/a/src/build/stand-ins/quarn_vadel "$a/usr/local/bin/quarn_vadel_version")
expect "a plain build's quarn_vadel_version prints quarn-vadel--1.24.3 (got '$line')" \
  test "$line" = "quarn-vadel--1.24.3"
finish "reproducible build"
