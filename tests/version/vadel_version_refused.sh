#!/bin/bash
# SPDX-License-Identifier: MIT
# A vadel version text that could break out of its quotes is refused when
# configuring, with the reason, before anything is built.
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/expect.sh"

cmake -S "$source_dir" -B "$work" -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF \
  '-DQUARN_VADEL_VERSION=1.0"; x' >"$work/log" 2>&1
status=$?
expect "configuring fails" test $status -ne 0
expect "for the version text, with an error saying why" cmake_error "$work/log" "QUARN_VADEL_VERSION='1.0\"; x' is not a version text"
((failures == 0)) || cat "$work/log"
finish "a version text that is no version"
