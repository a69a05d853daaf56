# shellcheck shell=bash
# SPDX-License-Identifier: MIT
# Shared by the packaging tests: builds of the project apart from the build
# under test, where two trees are the point (two paths, a parent project,
# switches without their frameworks, refusals). Sourcing it also gives the
# helpers of ../support/expect.sh.
#
#   sub_build C_COMPILER CXX_COMPILER SOURCE BUILD_DIR [cmake arguments...]
#       configures and builds with those compilers and no CFLAGS, CXXFLAGS
#       or LDFLAGS but those given; the log is BUILD_DIR.log, shown when
#       something fails
#   copy_source SOURCE DEST
#       the project's files, without build trees
# shellcheck source=../support/expect.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/expect.sh"

sub_build() {
  local cc=$1 cxx=$2 source=$3 dir=$4
  shift 4
  if env -u CFLAGS -u CXXFLAGS -u CPPFLAGS -u LDFLAGS \
    cmake -S "$source" -B "$dir" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
    -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF "$@" >"$dir.log" 2>&1 &&
    cmake --build "$dir" >>"$dir.log" 2>&1; then
    return 0
  fi
  cat "$dir.log"
  return 1
}

copy_source() {
  mkdir -p "$2"
  if command -v git >/dev/null && git -C "$1" rev-parse --show-toplevel >/dev/null 2>&1; then
    git -C "$1" ls-files -z --cached --others --exclude-standard |
      (cd "$1" && tar --null -T - -cf -) | tar -C "$2" -xf -
  else
    tar -C "$1" --exclude=./build --exclude=./.git -cf - . | tar -C "$2" -xf -
  fi
}
