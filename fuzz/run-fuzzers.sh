#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a set time, each on a
# working copy of its seed corpus (new inputs stay out of the source tree),
# and prints the executions and time of each. Fails on the first finding.
#   fuzz/run-fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail
build=$1
seconds=$2
source_dir=$(cd "$(dirname "$0")" && pwd)
status=0
for target in "$build"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  work="$build/fuzz-work/$name"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -n "$source_dir/corpus/$name"/* "$work/corpus/" 2>/dev/null || true
  log="$work/last-run.log"
  # A target's dictionary, when it has one, holds the words its input is read for.
  dict=()
  [ -f "$source_dir/$name.dict" ] && dict=(-dict="$source_dir/$name.dict")
  if "$target" -max_total_time="$seconds" -print_final_stats=1 "${dict[@]}" \
       -artifact_prefix="$work/artifacts/" "$work/corpus" >"$log" 2>&1; then
    runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    echo "$name: ${runs:-?} executions in ${seconds} s, no finding"
  else
    echo "$name: FINDING (see $log and $work/artifacts/)"
    tail -n 40 "$log"
    status=1
  fi
done
exit $status
