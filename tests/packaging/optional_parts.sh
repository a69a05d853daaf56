#!/bin/bash
# SPDX-License-Identifier: MIT
# Tests and benchmarks are switches of their own. Left at their defaults
# where GoogleTest and Google Benchmark are absent, the deliverables still
# configure, build and install, and configuring says in one line what it
# leaves out and which package brings it; asked for explicitly, a missing
# framework stops the configuration with that reason. The tests need no
# Google Benchmark.
#   optional_parts.sh SOURCE C_COMPILER CXX_COMPILER
set -uo pipefail
here=$(dirname "$0")
# shellcheck source=sub_build.sh
source "$here/sub_build.sh"
source=$1 cc=$2 cxx=$3
need_compiler "$cc"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

no_gtest=-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
no_benchmark=-DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
configure() { # DIR cmake-arguments... -> the log in DIR.log
  local dir=$1
  shift
  cmake -S "$source" -B "$dir" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" "$@" >"$dir.log" 2>&1
}
fails() { ! "$@"; }
builds_and_installs() {
  cmake --build "$1" >"$1-build.log" 2>&1 && cmake --install "$1" --prefix "$1-prefix" >>"$1-build.log" 2>&1 ||
    { cat "$1-build.log"; return 1; }
}
show_log() { echo "--- $1.log"; cat "$1.log"; return 1; }
logged() { said "$1.log" "$2" || show_log "$1"; }
stopped() { cmake_error "$1.log" "$2" || show_log "$1"; }
tests_left_out="Tests left out: GoogleTest not found (Debian package libgtest-dev)."
benchmarks_left_out="Benchmarks left out: Google Benchmark not found (Debian package libbenchmark-dev)."

expect "without either framework, the defaults configure" configure "$work/none" $no_gtest $no_benchmark
expect "... saying which tests are left out" logged "$work/none" "$tests_left_out"
expect "... and which benchmarks" logged "$work/none" "$benchmarks_left_out"
expect "... and the deliverables build and install" builds_and_installs "$work/none"

expect "asked for tests without GoogleTest, configuring stops" \
  fails configure "$work/tests" $no_gtest -DBUILD_TESTING=ON
expect "... with an error saying why" stopped "$work/tests" "BUILD_TESTING is ON but GoogleTest was not found (Debian package libgtest-dev)"
expect "asked for benchmarks without Google Benchmark, configuring stops" \
  fails configure "$work/bench" $no_benchmark -DBUILD_BENCHMARKS=ON
expect "... with an error saying why" stopped "$work/bench" "BUILD_BENCHMARKS is ON but Google Benchmark was not found (Debian package libbenchmark-dev)"

expect "asked for tests without Google Benchmark, they configure" \
  configure "$work/tests-only" $no_benchmark -DBUILD_TESTING=ON
expect "... with the tests registered" grep -q "install_files" <(ctest --test-dir "$work/tests-only" -N)
finish "tests and benchmarks as switches"
