#!/bin/bash
# SPDX-License-Identifier: MIT
# Reads a built deliverable with the platform's own tools and checks what it
# promises: hardening, needed libraries, imports and exports, entry points
# protected for control flow, frames kept for unwinders, no writable data of
# its own, debug info, and the switches its own code was compiled with.
#
#   check_deliverable.sh BUILD_DIR DELIVERABLE optimised|unoptimised
#
# Unoptimised (Debug, or a packager's -O0), nothing can be fortified.
set -uo pipefail
build=$1 deliverable=$2 optimisation=$3

# What each deliverable is, needs, imports and exports. Imports include the
# weak ones of the C library's start files, which every program has.
start_files="__libc_start_main __cxa_finalize __gmon_start__ _ITM_deregisterTMCloneTable _ITM_registerTMCloneTable"
imports_expected="" exports="" soname="" frames=""
case $deliverable in
  quarn2_version)
    kind=program file=version/quarn2_version
    objects=version/CMakeFiles/quarn2_version.dir/quarn2_version.cpp.o
    needed="libquarn2.so.2 libc.so.6"
    imports_expected="$start_files quarn2_version __printf_chk __fprintf_chk fflush" ;;
  quarn_vadel_version)
    kind=program file=version/quarn_vadel_version
    objects=version/CMakeFiles/quarn_vadel_version.dir/quarn_vadel_version.cpp.o
    needed="libquarn_vadel.so.1 libc.so.6"
    imports_expected="$start_files exit __printf_chk __fprintf_chk fflush" ;;
  orvek_memory_debug)
    kind=library file=memory/liborvek_memory_debug.so.0
    objects=memory/CMakeFiles/orvek_memory_debug.dir/orvek_memory.cpp.o
    needed="libc.so.6"
    soname=liborvek_memory_debug.so.0
    exports="orvek_i_memory_pre_activate orvek_memory_init orvek_memory_pop_node orvek_memory_push_node orvek_memory_destroy"
    # The functions that call into the C library before they return.
    frames="orvek_memory_init orvek_memory_push_node orvek_memory_destroy" ;;
  *) echo "unknown deliverable $deliverable"; exit 2 ;;
esac
file=$build/$file objects=$build/$objects

source "$(dirname "$0")/../support/expect.sh"
[[ $optimisation == optimised ]] && optimised=true || optimised=false
sorted_words() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort | tr '\n' ' '; }

dynamic=$(readelf -dW "$file")
segments=$(readelf -lW "$file")

# Position independence, binding and read-only relocations.
expect "ELF type DYN" grep -q 'Type:[[:space:]]*DYN' <(readelf -hW "$file")
if [[ $kind == program ]]; then
  expect "position-independent executable (FLAGS_1 PIE)" grep -Eq 'FLAGS_1.*\bPIE\b' <<<"$dynamic"
else
  expect "shared library, not an executable" bash -c '! grep -Eq "FLAGS_1.*\bPIE\b" <<<"$1"' _ "$dynamic"
fi
expect "BIND_NOW" grep -Eq '\(FLAGS\).*\bBIND_NOW\b' <<<"$dynamic"
expect "FLAGS_1 NOW" grep -Eq 'FLAGS_1.*\bNOW\b' <<<"$dynamic"
expect "GNU_RELRO segment" grep -q 'GNU_RELRO' <<<"$segments"
expect "no text relocations" bash -c '! grep -q TEXTREL <<<"$1"' _ "$dynamic"
expect "stack not executable" grep -Eq 'GNU_STACK.* RW  ' <<<"$segments"
expect "no run path outside the build tree's stand-ins" \
  bash -c '! grep -E "R(UN)?PATH" <<<"$1" | grep -v "\[\$ORIGIN/\.\./stand-ins/[a-z_0-9]*\]"' _ "$dynamic"

# Needed libraries: exactly these, so no C++ runtime comes along.
actual_needed=$(sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' <<<"$dynamic" | tr '\n' ' ')
if [[ $(sorted_words "$actual_needed") == $(sorted_words "$needed") ]]; then
  pass "needed libraries: $needed"
else
  fail "needed libraries: expected '$needed', found '$actual_needed'"
fi

imports=$(nm -D --undefined-only "$file" | awk '{print $2}' | sed 's/@.*//')
defined=$(nm -D --defined-only "$file" | awk '{print $3}')

if [[ $kind == program ]]; then
  # Every import costs the loader a lookup at start, and an unexpected one is
  # a change of behaviour: exactly these, the start files' weak ones included.
  # Unoptimised, the compiler calls formatted output unfortified.
  $optimised || imports_expected=$(sed -e 's/__printf_chk/printf/' -e 's/__fprintf_chk/fprintf/' <<<"$imports_expected")
  if [[ $(sorted_words "$(tr '\n' ' ' <<<"$imports")") == $(sorted_words "$imports_expected") ]]; then
    pass "imports exactly: $imports_expected"
  else
    fail "imports: expected '$imports_expected', found '$(tr '\n' ' ' <<<"$imports")'"
  fi
  if $optimised; then
    fortified="fortified formatted output (__printf_chk imported)"
    # This C library fortifies printf only under GCC.
    grep -q 'DW_AT_producer.*clang' <(readelf --debug-dump=info "$file" 2>/dev/null) &&
      fortified+=", which the deliverables need GCC for: clang cannot fortify printf with this C library"
    expect "$fortified" grep -qx '__printf_chk' <<<"$imports"
    expect "no unfortified formatted output" bash -c '! grep -Eqx "(v?f?printf|v?s?n?printf)" <<<"$1"' _ "$imports"
  fi
  entry_points=main
else
  if [[ $(sorted_words "$(tr '\n' ' ' <<<"$defined")") == $(sorted_words "$exports") ]]; then
    pass "exports exactly: $exports"
  else
    fail "exports: expected '$exports', found '$(tr '\n' ' ' <<<"$defined")'"
  fi
  expect "exports carry no symbol versions (no version definitions)" \
    bash -c '! readelf -VW "$1" | grep -q "Version definition"' _ "$file"
  expect "SONAME $soname" grep -q "(SONAME).*\[$soname\]" <<<"$dynamic"
  entry_points=$exports
fi

# Indirect-branch tracking: every way in starts with endbr64.
for symbol in $entry_points; do
  first=$(objdump -d --no-show-raw-insn --disassemble="$symbol" "$file" |
    awk -v s="<$symbol>:" '$2 == s {getline; print $2; exit}')
  expect "$symbol starts with endbr64" test "$first" = endbr64
done

# Frames kept: each of these pushes %rbp first and points it at its frame
# before it calls anything (the compiler may schedule an instruction in
# between), so that an unwinder walking frame pointers finds its caller.
for symbol in $frames; do
  prologue=$(objdump -d --no-show-raw-insn --disassemble="$symbol" "$file" |
    awk -v s="<$symbol>:" '$2 == s {on = 1; next} on && /^$/ {exit}
      on {sub(/^[^\t]*\t/, ""); gsub(/ +/, " "); if ($1 == "call" || $1 == "jmp") exit; printf "%s; ", $0}')
  expect "$symbol keeps its frame before it calls: $prologue" \
    grep -Eq '^endbr64 ?; push %rbp; (.*; )?mov %rsp,%rbp; ' <<<"$prologue"
done

IFS=: read -ra object_files <<<"$objects"
for object in "${object_files[@]}"; do
  # Own objects: compiled with full control-flow protection.
  expect "$(basename "$object"): x86 feature IBT, SHSTK" \
    grep -q 'x86 feature: IBT, SHSTK' <(readelf -nW "$object")
  # No state of its own: no writable data at all in the own code (what the
  # linked file has beside it is the C library's start files').
  writable=$(readelf -SW "$object" | awk '
    /^ *\[ *[0-9]+\]/ {sub(/^ *\[ *[0-9]+\] */, ""); if ($7 ~ /W/ && $7 ~ /A/ && $5 !~ /^0+$/) printf "%s ", $1}')
  expect "$(basename "$object"): no writable data${writable:+ (found: $writable)}" test -z "$writable"
done

# Debug info, and in it the switches as GCC recorded them; clang records
# none (its record would carry the build paths).
expect "debug info (.debug_info)" grep -q '\.debug_info' <(readelf -SW "$file")
producers=$(readelf --debug-dump=info "$file" 2>/dev/null | grep 'DW_AT_producer' | grep -E 'GNU C|clang')
if [[ -z $producers ]]; then
  fail "debug info names its compiler (no DW_AT_producer found)"
elif grep -q clang <<<"$producers"; then
  echo "note: built by clang, which records no switches: the switches are not read"
else
  [[ $kind == program ]] && pic=-fPIE || pic=-fPIC
  for switch in "-fstack-protector-(strong|all)" -fstack-clash-protection -fcf-protection=full \
    -fno-omit-frame-pointer "$pic"; do
    expect "compiled with $switch" bash -c '! grep -Ev -- "$1( |$)" <<<"$2" | grep -q .' _ " $switch" "$producers"
  done
  # The last -O recorded decides; none at all is GCC's -O0.
  levels=$(while read -r producer; do
    level=$(grep -oE ' -O[^ ]*' <<<"$producer" | tail -n 1 | tr -d ' ')
    echo "${level:--O0}"
  done <<<"$producers" | sort -u | tr '\n' ' ')
  if $optimised; then
    expect "compiled optimised (found: $levels)" bash -c '! grep -qw -- -O0 <<<"$1"' _ "$levels"
  else
    expect "compiled unoptimised (found: $levels)" test "$levels" = "-O0 "
  fi
fi

finish "$file"
