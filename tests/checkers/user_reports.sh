#!/bin/bash
# SPDX-License-Identifier: MIT
# A library user's view of the memory checkers: a small C program
# (misuse.c), compiled as users compile (`CC -g -fsanitize=...`, or plain
# `cc -g` for valgrind) against the installed library through pkg-config,
# run with the checkers' default options. Each report must name the user's
# own functions, in the section of the report where they belong.
#
#   user_reports.sh asan|tsan|memcheck COMPILER BUILD_DIR [instrumented]
#
# "instrumented": the library itself was built for ThreadSanitizer, so its
# callers' frames show too.
set -uo pipefail
checker=$1 compiler=$2 build=$3 library_build=${4:-plain}
here=$(dirname "$0")
# shellcheck source=../support/expect.sh
source "$here/../support/expect.sh"
need_compiler "$compiler"
need pkg-config pkgconf
[[ $checker == memcheck ]] && need valgrind valgrind
# clang's sanitizers name functions through the symbolizer; without it their
# reports carry addresses alone.
[[ $compiler == clang* && $checker != memcheck ]] && need llvm-symbolizer llvm
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

libdir=$(install_for_user "$build" "$work/prefix") || exit 1
export PKG_CONFIG_PATH=$libdir/pkgconfig LD_LIBRARY_PATH=$libdir
unset ASAN_OPTIONS LSAN_OPTIONS TSAN_OPTIONS UBSAN_OPTIONS
case $checker in
  asan) switch=-fsanitize=address ;;
  tsan) switch=-fsanitize=thread ;;
  memcheck) switch="" ;;
esac
# shellcheck disable=SC2046,SC2086
if ! "$compiler" -g $switch "$here/misuse.c" $(pkg-config --cflags --libs orvek_memory_debug) \
  -o "$work/misuse" 2>"$work/cc.log"; then
  cat "$work/cc.log"
  if [[ $compiler == clang* && $switch != "" ]] && grep -q 'libclang_rt\|cannot find.*clang_rt' "$work/cc.log" &&
    [[ ${CI:-} != true ]]; then
    echo "skip: clang's sanitizer runtime is not installed (Debian: libclang-rt-dev)"
    exit 77
  fi
  fail "$compiler $switch builds the user's program"
  finish "$checker reports"
fi

report="" status=0 output=""
run_case() { # run_case CASE [ENV...] -> report, status, output
  local misuse=$1
  shift
  if [[ $checker == memcheck ]]; then
    output=$(env "$@" valgrind --leak-check=full "$work/misuse" "$misuse" 2>"$work/report")
  else
    output=$(env "$@" "$work/misuse" "$misuse" 2>"$work/report")
  fi
  status=$?
  report=$(cat "$work/report")
}
# The frames of the first section whose heading matches REGEX.
section() {
  awk -v heading="$1" '
    !on && $0 ~ heading {on = 1; next}
    on && (/^ *#[0-9]+ / || /^==[0-9]+== +(at|by) 0x/) {print; seen = 1; next}
    on && seen {exit}' <<<"$report"
}
# Whether FRAMES name FUNCTION (ASan "#2 0x.. in f ", TSan "#2 f ", valgrind "by 0x..: f ").
names() { grep -Eq "(#[0-9]+ (0x[0-9a-f]+ in )?|(at|by) 0x[0-9A-F]+: )$2( |$)" <<<"$1"; }
says() { grep -qF -- "$1" <<<"$report"; }
# check WHAT FRAMES FUNCTION...: the frames name every function given.
check() {
  local what=$1 frames=$2 function
  shift 2
  for function in "$@"; do
    expect "$what names $function" names "$frames" "$function"
  done
}
show_report_on_failure() { [[ $(failures_so_far) == "$before" ]] || printf -- '--- report of %s:\n%s\n' "$1" "$report"; }

for misuse in $(case $checker in
  asan) echo write-past use-after-push push-twice node-never-given-back pool-never-destroyed negative-size ;;
  tsan) echo race ;;
  memcheck) echo use-after-push node-never-given-back ;;
  esac); do
  before=$(failures_so_far)
  run_case "$misuse"
  case $checker:$misuse in
    asan:write-past)
      expect "$misuse: reported as a heap-buffer-overflow" says "ERROR: AddressSanitizer: heap-buffer-overflow"
      expect "$misuse: the first frame is the user's write" names "$(section '^WRITE of size' | head -n 1)" user_writes_past
      check "$misuse: 'allocated by'" "$(section '^allocated by thread')" user_takes_node ;;
    asan:use-after-push)
      expect "$misuse: reported as a heap-use-after-free" says "ERROR: AddressSanitizer: heap-use-after-free"
      expect "$misuse: the first frame is the user's write" names "$(section '^WRITE of size' | head -n 1)" user_writes_node
      check "$misuse: 'freed by'" "$(section '^freed by thread')" user_gives_back ;;
    asan:push-twice)
      expect "$misuse: reported as a double-free" says "ERROR: AddressSanitizer: attempting double-free"
      check "$misuse: the current stack" "$(section 'attempting double-free')" user_gives_back_again
      freed=$(section '^freed by thread')
      check "$misuse: 'freed by'" "$freed" user_gives_back
      expect "$misuse: 'freed by' is the first push, not the second" bash -c '! grep -q user_gives_back_again <<<"$1"' _ "$freed" ;;
    asan:node-never-given-back)
      expect "$misuse: one leak, a direct one" test "$(grep -c 'leak of' <<<"$report")" = 1
      check "$misuse: the direct leak of exactly the node size (37 bytes)" \
        "$(section '^Direct leak of 37 byte\(s\) in 1 object\(s\) allocated from:')" user_takes_node ;;
    asan:pool-never-destroyed)
      expect "$misuse: one leak, a direct one" test "$(grep -c 'leak of' <<<"$report")" = 1
      check "$misuse: the leaked pool record" "$(section '^Direct leak of')" orvek_memory_init user_makes_pool ;;
    asan:negative-size)
      # The surprise: by default AddressSanitizer stops a program that asks
      # for more than any heap has, instead of answering null.
      expect "$misuse: by default AddressSanitizer stops the program" test "$status" -ne 0
      expect "$misuse: ... reporting allocation-size-too-big" says "SUMMARY: AddressSanitizer: allocation-size-too-big"
      check "$misuse: ... at" "$(section 'exceeds maximum supported size')" user_takes_node
      run_case "$misuse" ASAN_OPTIONS=allocator_may_return_null=1
      expect "$misuse: with allocator_may_return_null=1 the node is null, as documented" \
        test "$status:$output" = "0:null node" ;;
    tsan:race)
      expect "$misuse: reported as a data race" says "WARNING: ThreadSanitizer: data race"
      pushing=$(section '^  Write of size 8 at .* by thread T2:')
      check "$misuse: the push (free) on the pushing thread" "$pushing" user_pusher_thread
      if [[ $library_build == instrumented ]]; then
        check "$misuse: with the library built for ThreadSanitizer, the push" "$pushing" user_gives_back
      fi
      writing=$(section '^  Previous write of size 1 at .* by thread T1:')
      expect "$misuse: the first frame of the earlier access is the user's write" \
        names "$(head -n 1 <<<"$writing")" user_writes_node
      check "$misuse: the earlier write" "$writing" user_writer_thread ;;
    memcheck:use-after-push)
      expect "$misuse: reported as an invalid write" says "Invalid write of size 1"
      expect "$misuse: the first frame is the user's write" names "$(section 'Invalid write of size 1' | head -n 1)" user_writes_node
      check "$misuse: the free'd stack" "$(section 'is 0 bytes inside a block of size 37 free.d')" user_gives_back ;;
    memcheck:node-never-given-back)
      check "$misuse: the block definitely lost, of exactly the node size" \
        "$(section '37 bytes in 1 blocks are definitely lost')" user_takes_node
      expect "$misuse: one block lost, of 37 bytes" says "definitely lost: 37 bytes in 1 blocks"
      for kind in indirectly possibly; do
        expect "$misuse: nothing $kind lost" says "$kind lost: 0 bytes in 0 blocks"
      done
      expect "$misuse: nothing still reachable" says "still reachable: 0 bytes in 0 blocks"
      expect "$misuse: the leak is the only error" says "ERROR SUMMARY: 1 errors" ;;
  esac
  # valgrind keeps the program's own status unless told otherwise.
  if [[ $checker != memcheck && $misuse != negative-size ]]; then
    expect "$misuse: the sanitizer fails the run" test "$status" -ne 0
  fi
  show_report_on_failure "$misuse"
done
finish "$checker reports, $compiler, as a user builds"
