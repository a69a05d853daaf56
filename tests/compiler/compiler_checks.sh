#!/bin/bash
# SPDX-License-Identifier: MIT
# What compilers make of the installed header, as a user compiles against
# it (`cc -O2 -Wall $(pkg-config --cflags orvek_memory_debug)`):
#
#   compiler_checks.sh warned C|C++ BUILD_DIR
#       GCC warns at each line of the user's misuse program marked
#       "warned:", naming each option given there, with -Wall and again with
#       -fanalyzer added
#   compiler_checks.sh clean gcc|clang BUILD_DIR
#       correct programs compile with no warning under -Werror (with gcc,
#       also with -fanalyzer); the project's deliberate misuses (the memory
#       checkers' program) under -Werror; clang takes every program, the
#       misuses too
#   compiler_checks.sh levels gcc|clang BUILD_DIR
#       the compiler takes the header at every language level it supports,
#       with -Wall -Wextra -pedantic-errors -Werror
set -uo pipefail
mode=$1
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/expect.sh
source "$here/../support/expect.sh"
need pkg-config pkgconf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
libdir=$(install_for_user "${!#}" "$work/prefix") || exit 1
export PKG_CONFIG_PATH=$libdir/pkgconfig LD_LIBRARY_PATH=$libdir
cflags=$(pkg-config --cflags orvek_memory_debug)
libs=$(pkg-config --libs orvek_memory_debug)
cp "$here"/*.c "$here"/*.cpp "$here/../../docs/example.c" "$here/../checkers/misuse.c" "$work"
cd "$work" || exit 1

# The allocator-deallocator pairing is GCC's, from version 11 on; it warns
# of a use after push from version 12 on.
gcc_12_or_later() {
  need "$1" gcc
  local major clang
  read -r major clang < <(echo '__GNUC__ __clang__' | "$1" -E -P -x c -)
  [[ $clang == __clang__ && $major =~ ^[0-9]+$ ]] && ((major >= 12)) && return 0
  echo "skip: $1 is not GCC 12 or later"
  exit 77
}
# compiles LOG COMPILER ARGS...: compiles, the diagnostics in LOG.
compiles() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { cat "$log"; return 1; }
}
# warned_at SOURCE LOG [analyzer]: every option marked at a line of SOURCE
# is in a warning at that line in LOG; with "analyzer", those after
# "-fanalyzer:" too. An option marked "OPTION..." may be reported at that
# line or later in the same function (a leak is reported where its path
# ends, which compiler versions place differently). The warning is known by
# its file, line and option, however the compiler words or decorates it (an
# option with a level may be shown as [-Wx=], other tags may stand beside
# it).
warned_at() {
  local source=$1 log=$2 with=${3:-} line spec options option marked last lines where
  marked=$(grep -nE '(/\*|//) warned:' "$source" | sed -E 's#^([0-9]+):.*warned:(.*)$#\1:\2#; s#\*/ *$##')
  expect "$source marks the lines to be warned at" test -n "$marked"
  while IFS=: read -r line spec; do
    options=${spec%%|*}
    [[ $with == analyzer ]] && options+=" ${spec#*-fanalyzer:}"
    for option in $options; do
      last=$line
      if [[ $option == *... ]]; then
        option=${option%...}
        last=$(awk -v from="$line" 'NR > from && /^}/ {print NR; exit}' "$source")
      fi
      lines=$(sed -nE "s#^(\./)?$source:([0-9]+):[0-9]+: warning: .*\[$option(=[^]]*)?\].*#\2#p" "$log")
      where=$line
      [[ $last == "$line" ]] || where="$line-$last"
      expect "$source:$where: warning [$option]" \
        awk -v from="$line" -v to="$last" '$1 >= from && $1 <= to {found = 1} END {exit !found}' <<<"$lines"
    done
  done <<<"$marked"
}

case $mode in
  warned)
    [[ $2 == C ]] && { compiler=cc source=misuse_warned.c; } || { compiler=c++ source=misuse_warned.cpp; }
    gcc_12_or_later $compiler
    # shellcheck disable=SC2086
    expect "$compiler -O2 -Wall compiles $source" compiles plain.log $compiler -O2 -Wall $cflags -c $source
    warned_at $source plain.log
    # shellcheck disable=SC2086
    expect "$compiler -O2 -Wall -fanalyzer compiles $source" \
      compiles analyzer.log $compiler -O2 -Wall -fanalyzer $cflags -c $source
    warned_at $source analyzer.log analyzer
    [[ $(failures_so_far) == 0 ]] || { echo "--- -Wall:"; cat plain.log; echo "--- -fanalyzer:"; cat analyzer.log; }
    ;;
  clean)
    compiler=$2
    if [[ $compiler == gcc ]]; then
      gcc_12_or_later cc
      for program in example.c node_list.c; do
        for switches in "-Wall -Wextra" "-Wall -Wextra -fanalyzer"; do
          # shellcheck disable=SC2086
          expect "cc -O2 $switches -Werror: $program" \
            compiles cc.log cc -O2 $switches -Werror $program $cflags $libs -o "${program%.c}"
        done
      done
      expect "the list program, built by gcc, runs" test "$(./node_list)" = "10 items, sum 45"
      # shellcheck disable=SC2086
      expect "cc -O2 -Wall -Wextra -Werror: the checkers' deliberate misuses (misuse.c)" \
        compiles misuse.log cc -O2 -Wall -Wextra -Werror -c misuse.c $cflags
    else
      need clang clang
      for program in example.c node_list.c; do
        # shellcheck disable=SC2086
        expect "clang -O2 -Wall -Wextra -Werror: $program" \
          compiles clang.log clang -O2 -Wall -Wextra -Werror $program $cflags $libs -o "${program%.c}"
      done
      expect "the list program, built by clang, runs" test "$(./node_list)" = "10 items, sum 45"
      # shellcheck disable=SC2086
      expect "clang -O2 -Wall -Wextra -Werror: the checkers' deliberate misuses (misuse.c)" \
        compiles misuse.log clang -O2 -Wall -Wextra -Werror -c misuse.c $cflags
      # shellcheck disable=SC2086
      expect "clang -O2 -Wall: misuse_warned.c" compiles clang.log clang -O2 -Wall -c misuse_warned.c $cflags
      # shellcheck disable=SC2086
      expect "clang++ -O2 -Wall: misuse_warned.cpp" compiles clang.log clang++ -O2 -Wall -c misuse_warned.cpp $cflags
    fi
    ;;
  levels)
    compiler=$2
    need "$compiler" "$compiler"
    for std in c89 c99 c11 c17; do
      # shellcheck disable=SC2086
      expect "$compiler -std=$std" compiles level.log "$compiler" -std=$std -Wall -Wextra -pedantic-errors -Werror \
        $cflags -c header_use.c
    done
    for std in c++98 c++11 c++14 c++17 c++20; do
      # shellcheck disable=SC2086
      expect "$compiler -x c++ -std=$std" compiles level.log "$compiler" -x c++ -std=$std -Wall -Wextra \
        -pedantic-errors -Werror $cflags -c header_use.cpp
    done
    ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac
finish "compilers on the installed header ($*)"
