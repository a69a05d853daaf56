#!/bin/bash
# SPDX-License-Identifier: MIT
# valgrind's memcheck with the arguments given, where valgrind is installed.
# shellcheck source=../support/expect.sh
source "$(dirname "$0")/../support/expect.sh"
need valgrind valgrind
exec valgrind "$@"
