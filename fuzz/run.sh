#!/usr/bin/env bash
# Runs both fuzz targets of a WENDRIX_FUZZ build for a bounded number of executions
# (and at most a bounded time each), starting from the seed corpus in fuzz/corpus and
# the units found by earlier runs. Each target runs as one worker per core on a shared
# corpus, each worker taking its share of the executions; the total is printed. A
# crash, a failed check, a leak or a timeout stops the run with its input saved under
# <build>/fuzz-findings/ and a non-zero status.
# With FUZZ_SEED set, worker k draws its mutations from seed FUZZ_SEED + k, so that a
# run from the same corpus repeats (as far as the time allows) what another machine
# found; otherwise each run explores anew.
# Usage: fuzz/run.sh <build dir> <formula runs> <curve-file runs> <seconds per target>
#        [<seconds per curve file before it counts as a hang, default 30>]
set -euo pipefail
build=$(cd "$1" && pwd)
formula_runs=$2
file_runs=$3
seconds=$4
file_timeout=${5:-30}
here=$(cd "$(dirname "$0")" && pwd)
findings=$build/fuzz-findings
workers=$(nproc)
mkdir -p "$findings"

run() {  # run <target> <runs> <max input length> <timeout per input>
  local target=$1 runs=$2 max_len=$3 timeout=$4
  local corpus=$build/fuzz-corpus/$target logs=$build/fuzz-logs/$target
  local share=$(((runs + workers - 1) / workers))
  mkdir -p "$corpus" "$logs"
  rm -f "$logs"/fuzz-*.log
  echo "== $target: $workers workers, up to $share executions each or $seconds s"
  local status=0 pids=() k
  for ((k = 0; k < workers; k++)); do
    (cd "$logs" && exec "$build/fuzz/$target" ${FUZZ_SEED:+-seed=$((FUZZ_SEED + k))} \
      -runs="$share" -max_total_time="$seconds" -max_len="$max_len" -timeout="$timeout" \
      -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
      "$corpus" "$here/corpus/${target%_fuzz}" >/dev/null 2>"fuzz-$k.log") &
    pids+=($!)
  done
  for k in "${pids[@]}"; do wait "$k" || status=$?; done
  grep -hE '^(stat::average_exec_per_sec|stat::new_units_added|curve files:|formulas:|==[0-9]+==|SUMMARY|finding:|formula:|Test unit written|.*ERROR)' \
    "$logs"/fuzz-*.log || true
  awk '/^stat::number_of_executed_units:/ { total += $2 } END { print "executions in all: " total }' \
    "$logs"/fuzz-*.log
  if [ "$status" -ne 0 ]; then
    echo "$target: finding (status $status), input saved in $findings; logs in $logs" >&2
    return "$status"
  fi
}

run formula_fuzz "$formula_runs" 4096 10
run curvefile_fuzz "$file_runs" 2048 "$file_timeout"
