#!/bin/bash
# SPDX-License-Identifier: MIT
# Configuring for anything but Linux on x86-64 with the GNU C library stops
# with one sentence saying what is supported, before anything is built.
#   platform_refused.sh SOURCE C_COMPILER CXX_COMPILER
set -uo pipefail
here=$(dirname "$0")
source "$here/sub_build.sh"

# A C library that is not glibc: its <features.h> defines no __GLIBC__.
mkdir -p "$work/other-libc" && echo '/* another C library */' >"$work/other-libc/features.h"
supported="quarn_orvek supports only Linux on x86-64 with the GNU C library; this build is for"
cases=(
  "FreeBSD on x86_64.|-DCMAKE_SYSTEM_NAME=FreeBSD -DCMAKE_SYSTEM_PROCESSOR=x86_64"
  "Linux on aarch64.|-DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=aarch64"
  "Linux on x86_64 without the GNU C library, or not for x86-64.|-DCMAKE_C_FLAGS=-I$work/other-libc"
)
n=0
for case in "${cases[@]}"; do
  platform=${case%%|*}
  read -ra args <<<"${case#*|}"
  dir=$work/build-$((++n))
  cmake -S "$source" -B "$dir" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
    -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF "${args[@]}" >"$dir.log" 2>&1
  status=$?
  expect "$platform: configuring stops" test $status -ne 0
  expect "$platform: with an error saying what is supported" cmake_error "$dir.log" "$supported $platform"
  ((failures == 0)) || cat "$dir.log"
done
finish "unsupported platforms refused"
