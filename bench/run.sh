#!/bin/bash
# Measures the deliverables against baselines from the same run and prints
# ratios, never absolute claims:
#   - pop+push pairs against direct malloc+free pairs, by node size;
#   - two threads against one (on one shared handle, and on own handles);
#   - init+destroy against malloc+free of the record;
#   - instructions (callgrind) per pop+push pair against a malloc+free pair,
#     and of each tool's whole start-up against the same program in plain C.
# Exits 1 when an instruction-count target is missed (those repeat exactly);
# timed ratios are reported against their targets, not enforced.
#
#   bench/run.sh [BUILD_DIR]      (default: build/default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
missed=0

echo "== Time (Google Benchmark, one run; ratio = library / baseline time per pair)"
"$build/bench/memory_bench" --benchmark_format=csv --benchmark_min_time=0.3 \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null |
  grep '_median"' | tr -d '"' >"$work/median.csv"
# name,iterations,real_time,cpu_time,time_unit,bytes_per_second,items_per_second,...
field() { awk -F, -v n="$1" -v c="$2" '$1 == n"_median" {print $c}' "$work/median.csv"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

printf '%-12s %14s %14s %8s\n' "node size" "pop+push ns" "malloc+free ns" "ratio"
for size in 0 16 64 4096 1048576; do
  lib=$(field "pop_push/$size" 4) base=$(field "malloc_free/$size" 4)
  printf '%-12s %14.1f %14.1f %7sx\n' "$size" "$lib" "$base" "$(ratio "$lib" "$base")"
done
lib=$(field init_destroy 4) base=$(field malloc_free_record 4)
printf '%-12s %14.1f %14.1f %7sx\n' "init+destroy" "$lib" "$base" "$(ratio "$lib" "$base")"

echo
echo "== Two threads against one (pairs per second, wall clock; target >= 1.8x on two free cores)"
for kind in shared_handle own_handles/64; do
  one=$(field "pop_push_$kind/real_time/threads:1" 7)
  two=$(field "pop_push_$kind/real_time/threads:2" 7)
  r=$(ratio "$two" "$one")
  verdict=$(awk -v r="$r" 'BEGIN {print (r >= 1.8) ? "meets" : "below"}')
  printf '%-14s %6sx  %s the target\n' "${kind%/*}" "$r" "$verdict"
done

echo
echo "== Instructions (callgrind; exact, repeatable)"
instructions() { # instructions COMMAND... -> total instructions of the run
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" "$@" >/dev/null 2>"$work/cg.err" || true
  awk '/^summary:/ {print $2}' "$work/cg.out"
}
pairs=100000
per_pair() { # per_pair MODE -> instructions per pair, start-up removed
  local with without
  with=$(instructions "$build/bench/pair_count" "$1" $pairs)
  without=$(instructions "$build/bench/pair_count" "$1" 0)
  awk -v a="$with" -v b="$without" -v n=$pairs 'BEGIN {printf "%.1f", (a - b) / n}'
}
lib=$(per_pair library) base=$(per_pair direct)
extra=$(awk -v a="$lib" -v b="$base" 'BEGIN {printf "%.1f", a - b}')
verdict=$(awk -v e="$extra" 'BEGIN {print (e <= 16) ? "meets" : "MISSES"}')
[[ $verdict == meets ]] || missed=1
printf 'pop+push pair %s, malloc+free pair %s: %s more (target <= 16: %s)\n' "$lib" "$base" "$extra" "$verdict"

for tool in quarn2_version quarn_vadel_version; do
  own=$(instructions "$build/version/$tool")
  twin=$(instructions "$build/bench/${tool}_twin")
  r=$(awk -v a="$own" -v b="$twin" 'BEGIN {printf "%.4f", a / b}')
  verdict=$(awk -v r="$r" 'BEGIN {print (r <= 1.02) ? "meets" : "MISSES"}')
  [[ $verdict == meets ]] || missed=1
  printf '%-20s start-up %s instructions, plain-C twin %s: %sx (target <= 1.02x: %s)\n' \
    "$tool" "$own" "$twin" "$r" "$verdict"
done
exit $missed
