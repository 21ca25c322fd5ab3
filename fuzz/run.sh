#!/usr/bin/env bash
# Runs every fuzz target for a given time, several at once, and fails when
# any of them finds a crash, a leak, undefined behaviour or a hang.
#
#   fuzz/run.sh BUILD_FOLDER SECONDS [TARGET...]
#
# Seeds are written fresh into BUILD_FOLDER/fuzz/seeds; what the fuzzer
# learns is kept in BUILD_FOLDER/fuzz/corpus/<target> for the next run.
# Findings land in BUILD_FOLDER/fuzz/findings, logs in BUILD_FOLDER/fuzz/logs,
# and one line per target in BUILD_FOLDER/fuzz/summary.txt.
set -euo pipefail

build=${1:?build folder}
seconds=${2:?seconds per target}
shift 2
jobs=${FUZZ_JOBS:-$(nproc)}

work="$build/fuzz"
rm -rf "$work/findings"
mkdir -p "$work/corpus" "$work/findings" "$work/logs"
"$build/lumiva-fuzz-seeds" "$work/seeds" >/dev/null

if (($# == 0)); then
  mapfile -t targets < <("$build/lumiva-fuzz-seeds" --list)
else
  targets=("$@")
fi

run_one() {
  local name=$1 build=$2 seconds=$3 work=$4
  local log="$work/logs/$name.log"
  mkdir -p "$work/corpus/$name"
  local status=ok
  # A single input slower than 10 s counts as a hang; 2 GB of memory as a leak gone wild.
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz-$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/findings/$name-" "$work/corpus/$name" "$work/seeds/$name" >"$log" 2>&1 || status=FINDING
  local runs
  runs=$(sed -n "s/^stat::number_of_executed_units: *//p" "$log" | tail -1)
  printf '%-14s %6s s %12s runs  %5s corpus  %s\n' "$name" "$seconds" "${runs:-?}" \
    "$(ls "$work/corpus/$name" | wc -l)" "$status"
}
export -f run_one

printf '%s\n' "${targets[@]}" |
  xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} "$build" "$seconds" "$work" | tee "$work/summary.txt"

if grep -q 'FINDING$' "$work/summary.txt"; then
  echo "fuzz: findings; see $work/findings and the logs in $work/logs" >&2
  for name in $(awk '$NF == "FINDING" {print $1}' "$work/summary.txt"); do
    echo "--- $name" >&2
    grep -E -A12 '^==[0-9]+==ERROR|runtime error|ALARM|out-of-memory' "$work/logs/$name.log" | head -40 >&2 || tail -20 "$work/logs/$name.log" >&2
  done
  exit 1
fi
