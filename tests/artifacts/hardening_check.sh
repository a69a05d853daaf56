#!/bin/bash
# SPDX-License-Identifier: MIT
# Debian's hardening-check on a built deliverable, for what it can judge.
#   hardening_check.sh FILE GIVEN_FLAGS
set -uo pipefail
file=$1 given=$2
source "$(dirname "$0")/../support/expect.sh"
need hardening-check devscripts

# It looks for a stack canary (no function here keeps a local array, so
# there is none to find) and for the CET note on the linked file (this
# Debian's C library start files carry none, so no linked file has one);
# check_deliverable.sh reads the objects' notes and endbr64 instead. A
# packager's -O0 leaves nothing to fortify.
options=(--nostackprotector --nocfprotection)
unoptimised "$given" && options+=(--nofortify)
expect "hardening-check ${options[*]}" hardening-check "${options[@]}" "$file"
finish "$file"
