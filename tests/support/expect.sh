# Shared by the test scripts: one line per check, and a count of failures.
#   expect DESCRIPTION COMMAND...   passes when COMMAND succeeds
#   finish WHAT                     exits 1 if any check failed
failures=0
pass() { echo "ok:   $1"; }
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
expect() {
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
  ((failures == 0)) || { echo "$failures check(s) failed: $1"; exit 1; }
  echo "all checks passed: $1"
}
