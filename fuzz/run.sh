#!/usr/bin/env bash
# Runs both fuzz targets of a WENDRIX_FUZZ build for a bounded number of executions
# (and at most a bounded time each), starting from the seed corpus in fuzz/corpus and
# the units found by earlier runs. A crash, a failed check, a leak or a timeout stops
# the run with its input saved under <build>/fuzz-findings/ and a non-zero status.
# Usage: fuzz/run.sh <build dir> <formula runs> <curve-file runs> <seconds per target>
set -euo pipefail
build=$1
formula_runs=$2
file_runs=$3
seconds=$4
here=$(cd "$(dirname "$0")" && pwd)
findings=$build/fuzz-findings
mkdir -p "$findings"

run() {  # run <target> <runs> <max input length> <timeout per input>
  local target=$1 runs=$2 max_len=$3 timeout=$4
  local corpus=$build/fuzz-corpus/$target
  mkdir -p "$corpus"
  echo "== $target: up to $runs executions or $seconds s"
  "$build/fuzz/$target" -runs="$runs" -max_total_time="$seconds" -max_len="$max_len" -timeout="$timeout" \
    -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
    "$corpus" "$here/corpus/${target%_fuzz}" 2>&1 |
    grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added|curve files:|==[0-9]+==|SUMMARY|finding:|formula:|artifact_prefix|Test unit written|INFO: Running with|.*ERROR)' ||
    true
  local status=${PIPESTATUS[0]}
  if [ "$status" -ne 0 ]; then
    echo "$target: finding (status $status), input saved in $findings" >&2
    return "$status"
  fi
}

run formula_fuzz "$formula_runs" 4096 10
run curvefile_fuzz "$file_runs" 2048 30
