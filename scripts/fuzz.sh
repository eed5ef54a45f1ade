#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the fuzz targets with clang (the fuzz preset, build-fuzz) and runs each for SECONDS
# (default 30), starting from the seeds in fuzz/corpus. Fails on a finding;
# libFuzzer saves its input as build-fuzz/findings/TARGET-crash-... (or
# -timeout-, -oom-, -leak-). Keep a fixed finding in fuzz/corpus/TARGET.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh fuzz
seconds=${1:-30}
dir=$(scripts/preset-dir.sh fuzz)
scripts/build.sh fuzz

# Findings of earlier runs are not this run's.
rm -rf "$dir/findings"
mkdir -p "$dir/findings"
for target in productreader scriptparser; do
  echo "== fuzz $target for ${seconds} s =="
  # New inputs go to the build directory's corpus; the seeds stay as they are.
  mkdir -p "$dir/corpus/$target"
  log="$dir/fuzz-$target.log"
  # A slow input (over 5 s) or one taking more than 2 GB is a finding too.
  if ! UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
      "$dir/bin/fuzz_$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=65536 \
      -dict="fuzz/$target.dict" -artifact_prefix="$dir/findings/$target-" -print_final_stats=1 \
      "$dir/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $target has a finding; its input is in $dir/findings/" >&2
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|peak_rss_mb|new_units_added)' "$log" || true
done
