#!/bin/bash
# SPDX-License-Identifier: MIT
# Every shell script of the project passes shellcheck at warning level,
# sourced helpers followed.
# Usage: shellcheck.sh SOURCE
set -uo pipefail
source=$1
# shellcheck source=../support/expect.sh
source "$(dirname "$0")/../support/expect.sh"
need shellcheck shellcheck
cd "$source" || exit 1
mapfile -t scripts < <({ find . \( -path ./build -o -path ./.git \) -prune -o -type f -name '*.sh' -print
  echo ./.ci/run; } | sort)
expect "the project's shell scripts are found (${#scripts[@]})" test "${#scripts[@]}" -gt 10
for script in "${scripts[@]}"; do
  expect "${script#./} passes shellcheck" shellcheck --severity=warning --external-sources --source-path=SCRIPTDIR "$script"
done
finish "shell scripts"
