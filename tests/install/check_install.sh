#!/bin/bash
# Installs the build into a fresh prefix, moves the prefix elsewhere (the
# installed files must not care), and builds a C program against it twice:
# through pkg-config and through find_package.
#
#   check_install.sh BUILD_DIR CONSUMER_SOURCE_DIR LIBDIR
set -euo pipefail
build=$1 consumer=$2 libdir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/expect.sh"

cmake --install "$build" --prefix "$work/staged" >"$work/install.log"
mv "$work/staged" "$work/prefix"
prefix=$work/prefix

for file in bin/quarn2_version bin/quarn_vadel_version include/orvek_memory.h \
  "$libdir/liborvek_memory_debug.so.0" "$libdir/liborvek_memory_debug.so" \
  "$libdir/pkgconfig/orvek_memory_debug.pc" \
  "$libdir/cmake/orvek_memory_debug/orvek_memory_debug-config.cmake" \
  "$libdir/cmake/orvek_memory_debug/orvek_memory_debug-config-version.cmake"; do
  expect "installed $file" test -e "$prefix/$file"
done
expect "SONAME link liborvek_memory_debug.so.0 -> the library" \
  test "$(readlink "$prefix/$libdir/liborvek_memory_debug.so.0")" != ""
expect "no stand-in is installed" test -z "$(find "$prefix" -name 'libquarn*')"
for tool in quarn2_version quarn_vadel_version; do
  expect "installed $tool has no run path" \
    bash -c '! readelf -d "$1" | grep -Eq "R(UN)?PATH"' _ "$prefix/bin/$tool"
done

# Manual pages: each function's name leads to the library's page.
for name in quarn2_version:1 quarn_vadel_version:1 orvek_memory:3 orvek_memory_init:3 \
  orvek_memory_pop_node:3 orvek_memory_push_node:3 orvek_memory_destroy:3 orvek_i_memory_pre_activate:3; do
  page=${name%:*} section=${name#*:}
  expect "man $section $page renders the installed page" bash -c \
    'MANWIDTH=80 man -M "$1/share/man" "$2" "$3" 2>/dev/null | grep -q "$3"' _ "$prefix" "$section" "$page"
done

expected="a node of 64 bytes"

# pkg-config, from the moved prefix.
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
flags=$(pkg-config --cflags --libs orvek_memory_debug)
expect "pkg-config points into the moved prefix" grep -q -- "-L$prefix/$libdir" <<<"$flags"
# shellcheck disable=SC2086
if cc -std=c99 -pedantic -Wall -Wextra -Werror "$consumer/consumer.c" $flags -o "$work/consumer-pc" 2>"$work/cc.log"; then
  expect "pkg-config consumer runs" test "$(LD_LIBRARY_PATH=$prefix/$libdir "$work/consumer-pc")" = "$expected"
else
  cat "$work/cc.log"
  fail "pkg-config consumer builds"
fi

# find_package, from the moved prefix.
if cmake -S "$consumer" -B "$work/consumer-build" -DCMAKE_PREFIX_PATH="$prefix" >"$work/cmake.log" 2>&1 &&
  cmake --build "$work/consumer-build" >>"$work/cmake.log" 2>&1; then
  expect "find_package consumer runs" test "$("$work/consumer-build/consumer")" = "$expected"
else
  cat "$work/cmake.log"
  fail "find_package consumer builds"
fi

finish "install into a moved prefix"
