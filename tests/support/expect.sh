# SPDX-License-Identifier: MIT
# Shared by the test scripts: one line per check, and a count of failures.
#   expect DESCRIPTION COMMAND...   passes when COMMAND succeeds
#   need TOOL DEBIAN_PACKAGE        skips the test (status 77) where TOOL is
#                                   absent, saying which; fails in CI, which
#                                   installs every tool
#   said FILE TEXT                  FILE holds TEXT, however CMake wrapped
#                                   its message's lines
#   cmake_error FILE TEXT           ... as the text of an error that CMake
#                                   stopped with
#   install_for_user BUILD PREFIX   installs BUILD into PREFIX and points
#                                   pkg-config and the loader at it, as a
#                                   user's environment would
#   finish WHAT                     exits 1 if any check failed
failures=0
pass() { echo "ok:   $1"; }
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
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
said() { tr -s ' \n' '  ' <"$1" | grep -qF -- "$2"; }
cmake_error() { said "$1" "(message): $2" && grep -q '^-- Configuring incomplete, errors occurred!' "$1"; }
install_for_user() {
  cmake --install "$1" --prefix "$2" >"$2.log" 2>&1 || { cat "$2.log"; echo "FAIL: install"; exit 1; }
  local libdir
  libdir=$(dirname "$(find "$2" -name liborvek_memory_debug.so.0)")
  export PKG_CONFIG_PATH=$libdir/pkgconfig LD_LIBRARY_PATH=$libdir
}
finish() {
  ((failures == 0)) || { echo "$failures check(s) failed: $1"; exit 1; }
  echo "all checks passed: $1"
}
