#!/bin/bash
# Reads a built deliverable with the platform's own tools and checks what it
# promises: hardening, needed libraries, exports, entry points protected for
# control flow, and the switches its own code was compiled with.
#
#   check_deliverable.sh program|library FILE --needed "LIB..." --objects "OBJ:OBJ"
#                        [--exports "SYMBOL..."] [--soname NAME]
set -uo pipefail

kind=$1 file=$2
shift 2
needed="" objects="" exports="" soname=""
while (($#)); do
  case $1 in
    --needed) needed=$2 ;;
    --objects) objects=$2 ;;
    --exports) exports=$2 ;;
    --soname) soname=$2 ;;
    *) echo "unknown option $1"; exit 2 ;;
  esac
  shift 2
done

source "$(dirname "$0")/../support/expect.sh"
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
  expect "fortified output (__printf_chk imported)" grep -qx '__printf_chk' <<<"$imports"
  expect "no unfortified formatted output" bash -c '! grep -Eqx "(v?f?printf|v?s?n?printf)" <<<"$1"' _ "$imports"
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

# Own objects: compiled with full control-flow protection.
IFS=: read -ra object_files <<<"$objects"
for object in "${object_files[@]}"; do
  expect "$(basename "$object"): x86 feature IBT, SHSTK" \
    grep -q 'x86 feature: IBT, SHSTK' <(readelf -nW "$object")
done

# The switches as the compiler recorded them in the file's debug info.
producers=$(readelf --debug-dump=info "$file" 2>/dev/null | grep 'DW_AT_producer' | grep -E 'GNU C|clang')
if [[ -z $producers ]]; then
  fail "debug info records the compiler's switches (no DW_AT_producer found)"
else
  [[ $kind == program ]] && pic=-fPIE || pic=-fPIC
  for switch in '-O[1-3s]' -fstack-protector-strong -fstack-clash-protection -fcf-protection=full "$pic"; do
    expect "compiled with $switch" bash -c '! grep -Ev -- "$1( |$)" <<<"$2" | grep -q .' _ " $switch" "$producers"
  done
fi

# Debian's hardening-check, for what it can judge here.
if command -v hardening-check >/dev/null; then
  # It looks for a stack canary (no function here keeps a local array, so
  # there is none to find) and for the CET note on the linked file (this
  # Debian's C library start files carry none, so no linked file has one);
  # the objects' notes and endbr64 are checked above instead.
  expect "hardening-check" hardening-check --nostackprotector --nocfprotection "$file"
elif [[ ${CI:-} == true ]]; then
  fail "hardening-check is not installed (devscripts)"
else
  echo "skip: hardening-check is not installed (devscripts)"
fi

finish "$file"
