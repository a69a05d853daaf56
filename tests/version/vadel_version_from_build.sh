#!/bin/bash
# The vadel version is the build's: configuring another one and rebuilding
# changes the line, with the same vadel library beside it.
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$source_dir" -B "$work" -DBUILD_TESTING=OFF -DQUARN_VADEL_VERSION=7.0.1~rc2 >"$work/log" 2>&1 ||
  { cat "$work/log"; exit 1; }
cmake --build "$work" --target quarn_vadel_version >>"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
line=$("$work/version/quarn_vadel_version")
if [[ "$line" != "quarn-vadel--7.0.1~rc2" ]]; then
  echo "expected quarn-vadel--7.0.1~rc2, got: $line"
  exit 1
fi

# A text that is no version is refused when configuring, not built in.
if cmake -S "$source_dir" -B "$work/bad" -DBUILD_TESTING=OFF '-DQUARN_VADEL_VERSION=1.0"; x' >"$work/bad.log" 2>&1; then
  echo "a version text with a quote was accepted"
  exit 1
fi
echo "vadel version follows the build"
