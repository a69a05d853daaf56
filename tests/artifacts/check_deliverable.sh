#!/bin/bash
# SPDX-License-Identifier: MIT
# Reads a built deliverable with the platform's own tools and checks what it
# promises: hardening, needed libraries and imports, control-flow protection,
# frames kept for unwinders, no writable data of its own, debug info, the
# switches its own code was compiled with, and what the build declares of
# it: its optimisation level and its fortification.
#
#   check_deliverable.sh BUILD_DIR DELIVERABLE [OPTIMISATION [FORTIFY]]
#
# OPTIMISATION (-O0, -O2, -O3, -Os) and FORTIFY (none, 2, 3) are what the
# build's preset declares; a build that declares nothing has them not read.
set -uo pipefail
build=$1 deliverable=$2 optimisation=${3:-} fortify=${4:-}

# What each deliverable is, needs, imports and exports. Imports include the
# weak ones of the C library's start files, which every program has.
start_files="__libc_start_main __cxa_finalize __gmon_start__ _ITM_deregisterTMCloneTable _ITM_registerTMCloneTable"
imports_expected="" soname="" frames=""
case $deliverable in
  quarn2_version)
    kind=program file=version/quarn2_version
    objects=version/CMakeFiles/quarn2_version.dir/quarn2_version.cpp.o
    needed="libquarn2.so.2 libc.so.6"
    imports_expected="$start_files quarn2_version fflush" ;;
  quarn_vadel_version)
    kind=program file=version/quarn_vadel_version
    objects=version/CMakeFiles/quarn_vadel_version.dir/quarn_vadel_version.cpp.o
    needed="libquarn_vadel.so.1 libc.so.6"
    imports_expected="$start_files exit fflush" ;;
  orvek_memory_debug)
    kind=library file=memory/liborvek_memory_debug.so.0
    objects=memory/CMakeFiles/orvek_memory_debug.dir/orvek_memory.cpp.o
    needed="libc.so.6"
    soname=liborvek_memory_debug.so.0
    # The functions that call into the C library before they return.
    frames="orvek_memory_init orvek_memory_push_node orvek_memory_destroy" ;;
  *) echo "unknown deliverable $deliverable"; exit 2 ;;
esac
file=$build/$file objects=$build/$objects

# shellcheck source=../support/expect.sh
source "$(dirname "$0")/../support/expect.sh"
sorted_words() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | sort | tr '\n' ' '; }
note() { echo "note: $*"; }

dynamic=$(readelf -dW "$file")
segments=$(readelf -lW "$file")
producers=$(readelf --debug-dump=info "$file" 2>/dev/null | grep 'DW_AT_producer' | grep -E 'GNU C|clang')
grep -q clang <<<"$producers" && compiler=clang || compiler=gcc

# Position independence, binding and read-only relocations.
expect "ELF type DYN" grep -q 'Type:[[:space:]]*DYN' <(readelf -hW "$file")
if [[ $kind == program ]]; then
  expect "position-independent executable (FLAGS_1 PIE)" grep -Eq 'FLAGS_1.*\bPIE\b' <<<"$dynamic"
else
  expect "shared library, not an executable" bash -c '! grep -Eq "FLAGS_1.*\bPIE\b" <<<"$1"' _ "$dynamic"
  expect "SONAME $soname" grep -q "(SONAME).*\[$soname\]" <<<"$dynamic"
  expect "exports carry no symbol versions (no version definitions)" \
    bash -c '! readelf -VW "$1" | grep -q "Version definition"' _ "$file"
fi
expect "every import bound at load (BIND_NOW, FLAGS_1 NOW)" \
  bash -c 'grep -Eq "\(FLAGS\).*\bBIND_NOW\b" <<<"$1" && grep -Eq "FLAGS_1.*\bNOW\b" <<<"$1"' _ "$dynamic"
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

if [[ $kind == program ]]; then
  imports=$(nm -D --undefined-only "$file" | awk '{print $2}' | sed 's/@.*//' | tr '\n' ' ')
  # Every import costs the loader a lookup at start, and an unexpected one is
  # a change of behaviour: exactly these, the start files' weak ones included,
  # beside formatted output, whose names (and whether it takes the standard
  # streams by name) the compiler and the fortification decide, and the
  # stack protector's __stack_chk_fail, where the compiler sets a canary
  # (clang does in main around glibc 2.41's fortified printf).
  formatted='^(__)?v?[fs]?n?printf(_chk)?$'
  other=$(tr ' ' '\n' <<<"$imports" | grep -Ev "$formatted|^(stdout|stderr|__stack_chk_fail)$" | tr '\n' ' ')
  printing=$(tr ' ' '\n' <<<"$imports" | grep -E "$formatted" | tr '\n' ' ')
  if [[ $(sorted_words "$other") == $(sorted_words "$imports_expected") ]]; then
    pass "imports exactly: $imports_expected and formatted output ($printing)"
  else
    fail "imports: expected '$imports_expected' and formatted output, found '$imports'"
  fi
  # Measured: glibc before 2.40 (Debian 12's 2.36) fortifies printf in C++
  # under GCC only; from 2.40 on (Debian 13's 2.41) under clang as well,
  # through __vprintf_chk and __vfprintf_chk.
  glibc=$(getconf GNU_LIBC_VERSION | awk '{print $2}')
  wanted=$fortify
  if [[ $compiler == clang && $fortify =~ ^[23]$ && $(printf '%s\n' 2.40 "$glibc" | sort -V | head -n 1) != 2.40 ]]; then
    note "clang with glibc $glibc cannot fortify printf in C++ (glibc 2.40 and later can): expected unfortified"
    wanted=none
  fi
  case $wanted in
    2 | 3) expect "formatted output fortified: only __*printf_chk (found: $printing)" \
      bash -c '[[ -n $1 ]] && ! tr " " "\n" <<<"$1" | grep -v "^$" | grep -qv "_chk$"' _ "$printing" ;;
    none) expect "formatted output unfortified (found: $printing)" \
      bash -c '[[ -n $1 ]] && ! grep -q _chk <<<"$1"' _ "$printing" ;;
    "") note "no fortification declared for this build: not read" ;;
  esac
fi
# With macro debug info (-g3), each unit says the level it was compiled at.
if [[ $fortify =~ ^[23]$ ]] && readelf -SW "$file" | grep -q '\.debug_macro'; then
  levels=$(readelf --debug-dump=macro "$file" 2>/dev/null |
    sed -n 's/.*macro : _FORTIFY_SOURCE \([0-9]\).*/\1/p' | sort -u | tr '\n' ' ')
  expect "compiled with _FORTIFY_SOURCE $fortify only (found: $levels)" test "$levels" = "$fortify "
fi

# Frames kept: each of these pushes %rbp first (after its endbr64, which
# the objects' note below answers for) and points it at its frame before it
# calls anything (the compiler may schedule an instruction in between), so
# that an unwinder walking frame pointers finds its caller.
for symbol in $frames; do
  prologue=$(objdump -d --no-show-raw-insn --disassemble="$symbol" "$file" |
    awk -v s="<$symbol>:" '$2 == s {on = 1; next} on && /^$/ {exit}
      on {sub(/^[^\t]*\t/, ""); gsub(/ +/, " "); if ($1 == "call" || $1 == "jmp") exit; printf "%s; ", $0}')
  expect "$symbol keeps its frame before it calls: $prologue" \
    grep -Eq '^(endbr64 ?; )?push %rbp; (.*; )?mov %rsp,%rbp; ' <<<"$prologue"
done

IFS=: read -ra object_files <<<"$objects"
for object in "${object_files[@]}"; do
  # Own objects: full control-flow protection, as the note that the linker
  # and the loader read says.
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
expect "debug info names its compiler (DW_AT_producer)" test -n "$producers"
if [[ $compiler == clang ]]; then
  note "built by clang, which records no switches: the switches and the optimisation are not read"
elif [[ -n $producers ]]; then
  [[ $kind == program ]] && pic=-fPIE || pic=-fPIC
  for switch in "-fstack-protector-(strong|all)" -fstack-clash-protection "$pic"; do
    expect "compiled with $switch" bash -c '! grep -Ev -- "$1( |$)" <<<"$2" | grep -q .' _ " $switch" "$producers"
  done
  # The last -O recorded decides; none at all is GCC's -O0.
  levels=$(while read -r producer; do
    level=$(grep -oE ' -O[^ ]*' <<<"$producer" | tail -n 1 | tr -d ' ')
    echo "${level:--O0}"
  done <<<"$producers" | sort -u | tr '\n' ' ')
  if [[ -n $optimisation ]]; then
    expect "compiled at $optimisation (found: $levels)" test "$levels" = "$optimisation "
  else
    note "no optimisation declared for this build: not read (found: $levels)"
  fi
fi

finish "$file"
