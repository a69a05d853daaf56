#!/bin/bash
# SPDX-License-Identifier: MIT
# The README's C example and the EXAMPLES of the library's manual page, as a
# reader sees them, are the example source, line for line.
#   example_agrees.sh EXAMPLE_C README MAN_PAGE
set -uo pipefail
example=$1 readme=$2 page=$3
# shellcheck source=../support/expect.sh
source "$(dirname "$0")/../support/expect.sh"
need man man-db

program=$(sed '1{/SPDX-License-Identifier/d}' "$example")
# The README's first C block.
in_readme=$(awk '/^```c$/ {on = 1; next} on && /^```$/ {exit} on' "$readme")
# The rendered page: EXAMPLES up to "Build with:", without the indentation
# that its lines share, however deep the formatter sets it.
in_page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null |
  awk '/^EXAMPLES/ {on = 1; next} on && /Build with:/ {exit} on' |
  sed -e '/./,$!d' | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}' |
  awk '{line[NR] = $0} /[^ ]/ {match($0, /^ */); if (min == "" || RLENGTH < min) min = RLENGTH}
    END {for (i = 1; i <= NR; i++) print substr(line[i], min + 1)}')

expect "the example has a program to show" test -n "$program"
expect "README shows the example" test "$in_readme" = "$program"
expect "orvek_memory(3) shows the example" test "$in_page" = "$program"
if [[ $(failures_so_far) != 0 ]]; then
  diff <(echo "$program") <(echo "$in_readme") | head -20
  diff <(echo "$program") <(echo "$in_page") | head -20
fi
finish "one example, shown where it is compiled"
