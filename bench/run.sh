#!/bin/bash
# SPDX-License-Identifier: MIT
# Measures the deliverables against baselines from the same run and prints
# ratios, never absolute claims:
#   - time (Google Benchmark, cases interleaved and repeated; the
#     framework's compare.py sets each library case beside its baseline,
#     with the U test's p-value): pop+push pairs against malloc+free pairs by
#     node size and threads, init+destroy against malloc+free of the record;
#   - instructions (callgrind, exact): a pop+push pair against a malloc+free
#     pair, and each tool's whole start-up against its floor, an empty main
#     linked exactly as the tool is.
# Exits 1 when an instruction count grows past its target, and stops at the
# first measurement that fails, before any target is judged; timed ratios
# are printed, not enforced.
#
#   bench/run.sh [BUILD_DIR]      (default: build/default)
set -euo pipefail
# A failure inside $(...) fails the script too.
shopt -s inherit_errexit
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
missed=0
compare=/usr/share/benchmark/compare.py

# The pair target is exact: callgrind counts repeat to the instruction, and
# one more instruction in pop or push is a change to look at.
pair_target=15          # instructions a pop+push pair costs beyond malloc+free
# Start-up: the larger of the distances measured on Debian 12 and on Debian
# 13, each in a fresh minimal system (quarn2_version +6961 and +7224,
# quarn_vadel_version +7188 and +7065 to +7075), plus 500. One more import,
# bound at start and called once, costs more (a getenv planted in
# quarn2_version: +826), so the margin does not hide it on either release;
# what a C library point release or the environment moves in printf and the
# loader is tens to a few hundred, which it absorbs.
declare -A startup_target=([quarn2_version]=7724 [quarn_vadel_version]=7688)

if [[ ! -x $build/bench/memory_bench ]]; then
  echo "no benchmarks in $build: configure it with -DBUILD_BENCHMARKS=ON (Google Benchmark: libbenchmark-dev)"
  exit 1
fi
if [[ ! -f $compare ]]; then
  echo "no $compare: install libbenchmark-tools (and python3-scipy for its U test)"
  exit 1
fi
rounds=${BENCH_ROUNDS:-31}
echo "== Time (Google Benchmark: $rounds rounds, every round all cases in a new random order)"
"$build/bench/memory_bench" --benchmark_enable_random_interleaving=true \
  --benchmark_repetitions="$rounds" --benchmark_min_time=0.05 --benchmark_display_aggregates_only=true \
  --benchmark_out="$work/time.json" --benchmark_out_format=json >/dev/null
# compared FAMILY_A FAMILY_B TITLE: compare.py sets B's cases beside A's of
# the same name; a "Time" of +0.10 is 10% slower than the baseline.
compared() {
  echo
  echo "-- $3"
  # Debian's Python, which has the packages compare.py needs.
  /usr/bin/python3 "$compare" -a --no-color benchmarksfiltered "$work/time.json" "$1" "$work/time.json" "$2" \
    >"$work/compared"
  # Each case's median and the U test's p-value for the two being alike.
  grep -E '^Benchmark|_median |_pvalue |^OVERALL_GEOMEAN' "$work/compared"
}
compared '^malloc_free/' '^pop_push_own_handles/' "pop+push on a handle per thread against malloc+free"
compared '^malloc_free/' '^pop_push_shared_handle/' \
  "two threads on one shared handle against malloc+free on two threads"
compared '^malloc_free_record/' '^init_destroy/' "init+destroy against malloc+free of the record"
echo
echo "== Instructions (callgrind; exact, repeatable)"
instructions() { # instructions COMMAND... -> total instructions of the run
  local total
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" "$@" >/dev/null 2>"$work/cg.err" ||
    { cat "$work/cg.err" >&2; echo "not measured: callgrind failed on $*" >&2; return 1; }
  total=$(awk '/^summary:/ {print $2}' "$work/cg.out")
  [[ $total =~ ^[0-9]+$ ]] || { echo "not measured: callgrind gave no total for $*" >&2; return 1; }
  echo "$total"
}
pairs=100000
per_pair() { # per_pair MODE -> instructions per pair, start-up removed
  local with without
  with=$(instructions "$build/bench/pair_count" "$1" "$pairs")
  without=$(instructions "$build/bench/pair_count" "$1" 0)
  awk -v a="$with" -v b="$without" -v n=$pairs 'BEGIN {printf "%.1f", (a - b) / n}'
}
lib=$(per_pair library)
base=$(per_pair direct)
extra=$(awk -v a="$lib" -v b="$base" 'BEGIN {printf "%.0f", a - b}')
verdict=meets
((extra <= pair_target)) || { verdict=MISSES; missed=1; }
printf 'pop+push pair %s, malloc+free pair %s: +%s (target <= +%s: %s)\n' \
  "$lib" "$base" "$extra" "$pair_target" "$verdict"

needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' '; }
for tool in quarn2_version quarn_vadel_version; do
  floor=$build/bench/${tool}_floor
  if [[ $(needed "$build/version/$tool") != "$(needed "$floor")" ]]; then
    echo "$tool and its floor need different libraries: $(needed "$build/version/$tool")/ $(needed "$floor")"
    exit 1
  fi
  own=$(instructions "$build/version/$tool")
  bare=$(instructions "$floor")
  distance=$((own - bare))
  verdict=meets
  ((distance <= startup_target[$tool])) || { verdict=MISSES; missed=1; }
  printf '%-20s start-up %s instructions, empty main linked alike %s: %sx, +%s (target <= +%s: %s)\n' \
    "$tool" "$own" "$bare" "$(awk -v a="$own" -v b="$bare" 'BEGIN {printf "%.3f", a / b}')" \
    "$distance" "${startup_target[$tool]}" "$verdict"
done
exit $missed
