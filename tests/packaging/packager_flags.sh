#!/bin/bash
# SPDX-License-Identifier: MIT
# A packager's flags are added to, never weakened: built as Debian builds
# (build type None, dpkg-buildflags' flags) with fortification level 3 and
# macro debug info, each installed deliverable was really compiled at level
# 3; built with -O0 (DEB_BUILD_OPTIONS=noopt), it was compiled at -O0.
#   packager_flags.sh SOURCE C_COMPILER CXX_COMPILER
set -uo pipefail
here=$(dirname "$0")
source "$here/sub_build.sh"
need dpkg-buildflags dpkg-dev

flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
# CMake reads no CPPFLAGS: Debian's helpers hand them over with CFLAGS.
level3() { echo "$(flags "$1") $(flags CPPFLAGS)" | sed -e 's/-D_FORTIFY_SOURCE=2/-D_FORTIFY_SOURCE=3/' -e 's/-g /-g3 /'; }
cflags=$(level3 CFLAGS) cxxflags=$(level3 CXXFLAGS)
expect "the packager's flags ask for level 3: $cxxflags" grep -q -- '-D_FORTIFY_SOURCE=3' <<<"$cxxflags"
if sub_build "$source" "$work/deb" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  "-DCMAKE_C_FLAGS=$cflags" "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)" \
  "-DCMAKE_SHARED_LINKER_FLAGS=$(flags LDFLAGS)"; then
  DESTDIR=$work/root cmake --install "$work/deb" >/dev/null
  for file in quarn2_version quarn_vadel_version liborvek_memory_debug.so.0; do
    installed=$(find "$work/root/usr" -name "$file")
    levels=$(readelf --debug-dump=macro "$installed" 2>/dev/null |
      sed -n 's/.*macro : _FORTIFY_SOURCE \([0-9]\).*/\1/p' | sort -u | tr '\n' ' ')
    expect "installed $file was compiled with _FORTIFY_SOURCE 3 only (found: $levels)" test "$levels" = "3 "
  done
  for deliverable in quarn2_version quarn_vadel_version orvek_memory_debug; do
    expect "$deliverable, built with the packager's flags, is still hardened" \
      "$here/../artifacts/check_deliverable.sh" "$work/deb" "$deliverable" optimised
  done
else
  fail "builds with the packager's flags"
fi

if sub_build "$source" "$work/noopt" -DCMAKE_BUILD_TYPE=None "-DCMAKE_C_FLAGS=-g -O0" "-DCMAKE_CXX_FLAGS=-g -O0"; then
  for deliverable in quarn2_version quarn_vadel_version orvek_memory_debug; do
    expect "$deliverable, built with a packager's -O0, was compiled at -O0" \
      "$here/../artifacts/check_deliverable.sh" "$work/noopt" "$deliverable" unoptimised
  done
else
  fail "builds with a packager's -O0"
fi
finish "a packager's flags"
