# shellcheck shell=bash
# SPDX-License-Identifier: MIT
# Shared by the test scripts: one line per check, and a count of failures.
#   expect DESCRIPTION COMMAND...   passes when COMMAND succeeds
#   need TOOL DEBIAN_PACKAGE        skips the test (status 77, which every
#                                   script test is registered with) where
#                                   TOOL is absent, saying which tool and
#                                   package; fails in CI, which installs
#                                   every tool
#   need_compiler COMPILER          need, for a C compiler: clang's package
#                                   for clang, gcc's for any other
#   said FILE TEXT                  FILE holds TEXT, however CMake wrapped
#                                   its message's lines
#   cmake_error FILE TEXT           ... as the text of an error that CMake
#                                   stopped with
#   install_for_user BUILD PREFIX   installs BUILD into PREFIX and prints the
#                                   library folder, for the caller to point
#                                   pkg-config and the loader at
#   failures_so_far                 prints how many checks have failed
#   finish WHAT                     exits 1 if any check failed, or if none
#                                   was made
failures=0 checks=0
pass() { echo "ok:   $1"; checks=$((checks + 1)); }
fail() { echo "FAIL: $1"; failures=$((failures + 1)) checks=$((checks + 1)); }
expect() {
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
need() {
  command -v "$1" >/dev/null && return 0
  if [[ ${CI:-} == true ]]; then
    echo "FAIL: $1 is not installed (Debian: $2)"
    exit 1
  fi
  echo "skip: $1 is not installed (Debian: $2)"
  exit 77
}
need_compiler() { need "$1" "$([[ $(basename "$1") == clang* ]] && echo clang || echo gcc)"; }
said() { tr -s ' \n' '  ' <"$1" | grep -qF -- "$2"; }
cmake_error() { said "$1" "(message): $2" && grep -q '^-- Configuring incomplete, errors occurred!' "$1"; }
install_for_user() {
  cmake --install "$1" --prefix "$2" >"$2.log" 2>&1 || { cat "$2.log" >&2; echo "FAIL: install" >&2; return 1; }
  dirname "$(find "$2" -name liborvek_memory_debug.so.0)"
}
failures_so_far() { echo "$failures"; }
finish() {
  ((checks > 0)) || { echo "FAIL: nothing was checked: $1"; exit 1; }
  ((failures == 0)) || { echo "$failures check(s) failed: $1"; exit 1; }
  echo "all $checks checks passed: $1"
}
