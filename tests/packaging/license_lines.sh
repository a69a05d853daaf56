#!/bin/bash
# SPDX-License-Identifier: MIT
# Every file of the project says its license in an SPDX line near its top;
# a file that can hold no comment is named in REUSE.toml instead.
#   license_lines.sh SOURCE
set -uo pipefail
here=$(dirname "$0")
# shellcheck source=sub_build.sh
source "$here/sub_build.sh"
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

copy_source "$source" "$work/tree"
expect "LICENSE is the MIT license" grep -q '^MIT License$' "$work/tree/LICENSE"
expect "LICENSE names the copyright holders" grep -qE '^Copyright \(c\) [0-9]{4} .+' "$work/tree/LICENSE"
covered=$(sed -n 's/^path = \[\(.*\)\]/\1/p' "$work/tree/REUSE.toml" | tr -d '",')
expect "REUSE.toml names the files that hold no comment ($covered)" test -n "$covered"
missing=() seen=0
while IFS= read -r -d '' file; do
  file=${file#./}
  seen=$((seen + 1))
  [[ $file == LICENSE || " $covered " == *" $file "* ]] && continue
  head -n 5 "$work/tree/$file" | grep -q 'SPDX-License-Identifier: MIT' || missing+=("$file")
done < <(cd "$work/tree" && find . -type f -print0)
expect "the tree's files were read ($seen)" test "$seen" -gt 10
expect "every file carries its license line${missing:+ (missing: ${missing[*]})}" test ${#missing[@]} -eq 0
finish "license lines"
