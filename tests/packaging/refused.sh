#!/bin/bash
# SPDX-License-Identifier: MIT
# What the build cannot honour stops the configuration with one sentence
# saying why, before anything is built: a platform other than Linux on
# x86-64 with the GNU C library, and a vadel version text that could break
# out of its quotes.
#   refused.sh SOURCE C_COMPILER CXX_COMPILER
set -uo pipefail
here=$(dirname "$0")
# shellcheck source=sub_build.sh
source "$here/sub_build.sh"
source=$1 cc=$2 cxx=$3
need_compiler "$cc"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A C library that is not glibc: its <features.h> defines no __GLIBC__.
mkdir -p "$work/other-libc" && echo '/* another C library */' >"$work/other-libc/features.h"
supported="quarn_orvek supports only Linux on x86-64 with the GNU C library; this build is for"
n=0
refused() { # WHAT ERROR CMAKE_ARGUMENTS...
  local what=$1 error=$2 dir=$work/build-$((++n))
  shift 2
  cmake -S "$source" -B "$dir" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
    -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF "$@" >"$dir.log" 2>&1
  local status=$?
  local before
  before=$(failures_so_far)
  expect "$what: configuring stops" test $status -ne 0
  expect "$what: with an error saying: $error" cmake_error "$dir.log" "$error"
  [[ $(failures_so_far) == "$before" ]] || cat "$dir.log"
}

refused "FreeBSD" "$supported FreeBSD on x86_64." -DCMAKE_SYSTEM_NAME=FreeBSD -DCMAKE_SYSTEM_PROCESSOR=x86_64
refused "aarch64" "$supported Linux on aarch64." -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=aarch64
refused "another C library" "$supported Linux on x86_64 without the GNU C library, or not for x86-64." \
  "-DCMAKE_C_FLAGS=-I$work/other-libc"
refused "a vadel version with a quote" "QUARN_VADEL_VERSION='1.0\"; x' is not a version text" \
  '-DQUARN_VADEL_VERSION=1.0"; x'
finish "refused when configuring"
