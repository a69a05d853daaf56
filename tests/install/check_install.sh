#!/bin/bash
# SPDX-License-Identifier: MIT
# Installs the build into a fresh prefix, moves the prefix elsewhere (the
# installed files must not care), and uses it as a user would, one part a
# test, so that a missing tool skips its own part alone:
#   files       the installed files, NEWS, and the example program built
#               through find_package
#   man         the manual pages, as man shows them (man-db)
#   pkg-config  the example built through pkg-config, and pkg-config's
#               answers once installed into /usr as a distribution does
#               (pkgconf)
#
#   check_install.sh PART --build DIR --source DIR --libdir DIR --docdir DIR
#                    --client-library DIR --vadel-library DIR
set -uo pipefail
part=$1
shift
while (($#)); do
  case $1 in
    --build) build=$2 ;;
    --source) source=$2 ;;
    --libdir) libdir=$2 ;;
    --docdir) docdir=$2 ;;
    --client-library) client_library=$2 ;;
    --vadel-library) vadel_library=$2 ;;
    *) echo "unknown option $1"; exit 2 ;;
  esac
  shift 2
done
# shellcheck source=../support/expect.sh
source "$(dirname "$0")/../support/expect.sh"
case $part in
  files) ;;
  man) need man man-db ;;
  pkg-config) need pkg-config pkgconf ;;
  *) echo "unknown part $part"; exit 2 ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/staged" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
mv "$work/staged" "$work/prefix"
prefix=$work/prefix
# The version of the installed package, as its CMake package file says.
version=$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' \
  "$prefix/$libdir/cmake/orvek_memory_debug/orvek_memory_debug-config-version.cmake")
[[ -n $version ]] || { echo "FAIL: the installed CMake package names no version"; exit 1; }
expected="a node of 64 bytes"
example=$source/docs/example.c


case $part in
files)
for file in bin/quarn2_version bin/quarn_vadel_version include/orvek_memory.h \
  "$libdir/liborvek_memory_debug.so.0" "$libdir/liborvek_memory_debug.so" \
  "$libdir/pkgconfig/orvek_memory_debug.pc" \
  "$libdir/cmake/orvek_memory_debug/orvek_memory_debug-config.cmake" \
  "$libdir/cmake/orvek_memory_debug/orvek_memory_debug-config-version.cmake" \
  "$docdir/LICENSE" "$docdir/NEWS"; do
  expect "installed $file" test -e "$prefix/$file"
done
expect "SONAME link liborvek_memory_debug.so.0 -> the library" \
  test "$(readlink "$prefix/$libdir/liborvek_memory_debug.so.0")" != ""
expect "no stand-in is installed" test -z "$(find "$prefix" -name 'libquarn*')"
for tool in quarn2_version quarn_vadel_version; do
  expect "installed $tool has no run path" \
    bash -c '! readelf -d "$1" | grep -Eq "R(UN)?PATH"' _ "$prefix/bin/$tool"
done

news=$(grep -m1 -oE '^quarn_orvek [0-9][^ ]*' "$prefix/$docdir/NEWS")
expect "NEWS leads with the installed version ($version)" test "$news" = "quarn_orvek $version"

# find_package, from the moved prefix.
if cmake -S "$source/tests/install/consumer" -B "$work/consumer-build" -DCMAKE_PREFIX_PATH="$prefix" \
  -DEXAMPLE_SOURCE="$example" >"$work/cmake.log" 2>&1 &&
  cmake --build "$work/consumer-build" >>"$work/cmake.log" 2>&1; then
  expect "the example, built through find_package, runs" \
    test "$("$work/consumer-build/consumer")" = "$expected"
else
  cat "$work/cmake.log"
  fail "the example builds through find_package"
fi
;;

man)
# Manual pages: each function's name leads to the library's page.
render() { LC_ALL=C.UTF-8 MANWIDTH=100 man -M "$prefix/share/man" "$1" "$2" 2>/dev/null; }
for name in quarn2_version:1 quarn_vadel_version:1 orvek_memory:3 orvek_memory_init:3 \
  orvek_memory_pop_node:3 orvek_memory_push_node:3 orvek_memory_destroy:3 orvek_i_memory_pre_activate:3; do
  page=${name%:*} section=${name#*:}
  expect "man $section $page renders the installed page" bash -c 'grep -q "$1" <<<"$2"' _ "$page" \
    "$(render "$section" "$page")"
done

# The pages say what the installed tools really print, and the version of
# the installed package.
for tool in quarn2_version quarn_vadel_version; do
  page=$(render 1 $tool)
  line=$(LD_LIBRARY_PATH=$client_library:$vadel_library "$prefix/bin/$tool")
  sample=$(awk -v cmd="\$ $tool" '$1 == "$" && substr($0, index($0, "$")) == cmd {getline; sub(/^ +/, ""); print; exit}' <<<"$page")
  expect "$tool(1) shows the line it prints: '$line'" test "$sample" = "$line"
  footer=$(tail -n 1 <<<"$page")
  expect "$tool(1) is the page of quarn_orvek $version" grep -qE "(^| )quarn_orvek $version( |$)" <<<"$footer"
done
vadel_line=$(LD_LIBRARY_PATH=$vadel_library "$prefix/bin/quarn_vadel_version")
expect "every vadel line in quarn_vadel_version(1) is '$vadel_line'" bash -c \
  '! grep -oE "quarn-vadel--[^ ]+" <<<"$1" | grep -vxF -- "$2"' _ "$(render 1 quarn_vadel_version)" "$vadel_line"
expect "orvek_memory(3) is the page of quarn_orvek $version" \
  grep -qE "(^| )quarn_orvek $version( |$)" <<<"$(render 3 orvek_memory | tail -n 1)"
;;

pkg-config)
# pkg-config, from the moved prefix.
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
flags=$(pkg-config --cflags --libs orvek_memory_debug)
expect "pkg-config points into the moved prefix" grep -q -- "-L$prefix/$libdir" <<<"$flags"
# shellcheck disable=SC2086
if cc -std=c99 -pedantic -Wall -Wextra -Werror "$example" $flags -o "$work/example-pc" 2>"$work/cc.log"; then
  expect "the example, built through pkg-config, runs" \
    test "$(LD_LIBRARY_PATH=$prefix/$libdir "$work/example-pc")" = "$expected"
else
  cat "$work/cc.log"
  fail "the example builds through pkg-config"
fi

# Into /usr, as a distribution installs: pkg-config's answers name no
# system folder.
DESTDIR=$work/root cmake --install "$build" --prefix /usr >"$work/install-usr.log" ||
  { cat "$work/install-usr.log"; exit 1; }
system_pc=$(find "$work/root/usr" -name orvek_memory_debug.pc)
in_usr() { PKG_CONFIG_PATH="" PKG_CONFIG_LIBDIR=$(dirname "$system_pc") pkg-config "$@" orvek_memory_debug | sed "s/ *$//"; }
expect "installed into /usr: --cflags is empty" test "$(in_usr --cflags)" = ""
expect "installed into /usr: --libs is -lorvek_memory_debug" test "$(in_usr --libs)" = "-lorvek_memory_debug"
;;
esac
finish "install into a moved prefix ($part)"
