# SPDX-License-Identifier: MIT
# Shared by the packaging tests: builds of the deliverables alone, made the
# way a packager or a user makes them, apart from the build under test.
# Sourced with the test's arguments SOURCE [C_COMPILER CXX_COMPILER ...], it
# sets `source`, `cc` and `cxx`, and `work`, a folder removed at exit.
#
#   sub_build SOURCE BUILD_DIR [cmake arguments...]
#       configures and builds, with the compilers of the build under test and
#       no CFLAGS, CXXFLAGS or LDFLAGS but those given; the log is
#       BUILD_DIR.log, shown when something fails
#   copy_source SOURCE DEST
#       the project's files, without build trees
source=$1 cc=${2:-} cxx=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../support/expect.sh"
[[ -z $cc ]] || need "$cc" "$([[ $cc == clang* ]] && echo clang || echo gcc)"

sub_build() {
  local source=$1 dir=$2
  shift 2
  if env -u CFLAGS -u CXXFLAGS -u CPPFLAGS -u LDFLAGS \
    cmake -S "$source" -B "$dir" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
    -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF "$@" >"$dir.log" 2>&1 &&
    cmake --build "$dir" -j2 >>"$dir.log" 2>&1; then
    return 0
  fi
  cat "$dir.log"
  return 1
}

copy_source() {
  mkdir -p "$2"
  if git -C "$1" rev-parse --show-toplevel >/dev/null 2>&1; then
    git -C "$1" ls-files -z --cached --others --exclude-standard |
      (cd "$1" && tar --null -T - -cf -) | tar -C "$2" -xf -
  else
    tar -C "$1" --exclude=./build --exclude=./.git -cf - . | tar -C "$2" -xf -
  fi
}
