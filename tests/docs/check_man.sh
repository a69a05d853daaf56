#!/bin/bash
# SPDX-License-Identifier: MIT
# Each manual page renders with no warning from groff or man.
#   check_man.sh PAGE...
set -uo pipefail
# shellcheck source=../support/expect.sh
source "$(dirname "$0")/../support/expect.sh"
need groff groff-base
need man man-db
renders_cleanly() {
  local warnings
  warnings=$( { groff -man -Tutf8 -ww -z "$1"; LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" >/dev/null; } 2>&1)
  [[ -z $warnings ]] || { printf '%s\n' "$warnings"; return 1; }
}
for page in "$@"; do
  expect "$(basename "$page") renders with no warning" renders_cleanly "$page"
done
finish "manual pages render"
