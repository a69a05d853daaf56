#!/bin/bash
# SPDX-License-Identifier: MIT
# The library's ABI, locked against a committed description.
#
#   abi.sh check  LIBRARY HEADERS_DIR BASELINE   fails on any difference
#   abi.sh update LIBRARY HEADERS_DIR BASELINE   writes a new baseline, on purpose
#
# The record behind the handle is opaque to callers, so only what the public
# headers show counts: private types are dropped.
set -uo pipefail
mode=$1 library=$2 headers=$3 baseline=$4

# shellcheck source=../support/expect.sh
source "$(dirname "$0")/../support/expect.sh"
need abidw abigail-tools
need abidiff abigail-tools

# Without debug info abidiff compares symbols only, and would pass a changed
# type unnoticed.
if ! readelf -SW "$library" | grep -q '\.debug_info'; then
  echo "FAIL: $library has no debug info; the ABI cannot be compared"
  exit 1
fi

case $mode in
  update)
    # abidiff reads no comment before the corpus: REUSE.toml gives its license.
    abidw --headers-dir "$headers" --drop-private-types --no-corpus-path --no-comp-dir-path \
      --no-show-locs "$library" |
      sed "s|path='[^']*/\(memory/[^/']*\)'|path='\1'|" >"$baseline" || exit 1
    echo "wrote $baseline"
    ;;
  check)
    # Any difference fails, an added or a removed export too: this is the
    # one check of the export set, which is part of the interface.
    report=$(abidiff --fail-no-debug-info --drop-private-types --hd2 "$headers" "$baseline" "$library")
    status=$?
    if ((status != 0)); then
      printf '%s\n' "$report"
      echo "FAIL: the ABI differs from $baseline (abidiff status $status)."
      echo "If the change is meant, refresh the baseline (see README) and say so in the commit."
      exit 1
    fi
    echo "ok:   the ABI matches $baseline"
    ;;
  *)
    echo "usage: abi.sh check|update LIBRARY HEADERS_DIR BASELINE"
    exit 2
    ;;
esac
