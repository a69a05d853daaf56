#!/bin/bash
# SPDX-License-Identifier: MIT
# Under valgrind, a node never given back is one lost block of exactly the
# node size, as taken by its caller; nothing else is lost.
set -uo pipefail
source "$(dirname "$0")/../support/expect.sh"
need valgrind valgrind
log=$(valgrind --leak-check=full --show-leak-kinds=all "$1" 2>&1)
check() { expect "$2" grep -Eq "$1" <<<"$log"; }
check 'definitely lost: 37 bytes in 1 blocks' "one lost block of 37 bytes"
check 'indirectly lost: 0 bytes' "nothing indirectly lost"
check 'possibly lost: 0 bytes' "nothing possibly lost"
check 'still reachable: 0 bytes' "nothing still reachable"
# The record names the caller that took the node, optimised or not.
check 'by 0x[0-9A-F]+: take_and_forget' "the lost block is the node that was taken"
check 'ERROR SUMMARY: 1 errors' "the leak is the only error"
((failures == 0)) || printf '%s\n' "$log"
finish "a forgotten node under valgrind"
