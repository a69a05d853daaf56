#!/bin/bash
# SPDX-License-Identifier: MIT
# Each manual page renders with no warning from groff or man.
#   check_man.sh PAGE...
set -uo pipefail
failures=0
for page in "$@"; do
  warnings=$( { groff -man -Tutf8 -ww -z "$page"; LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >/dev/null; } 2>&1)
  if [[ -z $warnings ]]; then
    echo "ok:   $(basename "$page")"
  else
    echo "FAIL: $(basename "$page")"
    printf '%s\n' "$warnings"
    failures=$((failures + 1))
  fi
done
((failures == 0))
