#!/bin/bash
# SPDX-License-Identifier: MIT
# Taken in by a parent project through FetchContent, the project builds its
# deliverables and their targets, and no test or benchmark of its own: the
# parent's ctest lists the parent's test alone, and it passes.
#   subproject.sh SOURCE C_COMPILER CXX_COMPILER
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=sub_build.sh
source "$here/sub_build.sh"
source=$1 cc=$2 cxx=$3
need_compiler "$cc"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

parent=$work/parent
if cmake -S "$here/parent" -B "$parent" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DQUARN_ORVEK_SOURCE="$source" >"$parent.log" 2>&1 && cmake --build "$parent" >>"$parent.log" 2>&1; then
  listed=$(ctest --test-dir "$parent" -N | sed -n 's/^ *Test *#[0-9]*: //p' | tr '\n' ' ')
  expect "the parent's ctest lists its own test alone (found: $listed)" test "$listed" = "parent_example "
  # Run only the parent's own: this project's tests, wrongly listed, would
  # take in a parent again.
  expect "... which links orvek_memory_debug::orvek_memory_debug and passes" \
    ctest --test-dir "$parent" -R '^parent_example$' --output-on-failure
  targets=$(cmake --build "$parent" --target help)
  for target in orvek_memory_debug quarn2_version quarn_vadel_version; do
    expect "the deliverable $target is built" grep -qw "$target" <<<"$targets"
  done
  for target in memory_test version_tools_test memory_bench; do
    expect "no $target in the parent's build" bash -c '! grep -qw "$1" <<<"$2"' _ "$target" "$targets"
  done
else
  cat "$parent.log"
  fail "a parent project configures and builds with this one inside"
fi
finish "taken in by a parent project"
