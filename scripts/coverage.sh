#!/usr/bin/env bash
# Builds the coverage preset, runs the tests with fresh counters and prints
# gcovr's line coverage per file of plugin/ and tools/, then the line and
# branch totals.
#   scripts/coverage.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build coverage
dir=$(scripts/preset-dir.sh coverage)
scripts/build.sh coverage
find "$dir" -name '*.gcda' -delete
ctest --preset coverage -j "$(nproc)" > "$dir/ctest.log" || { cat "$dir/ctest.log"; exit 1; }
# Branches the compiler adds for exceptions and for code it proved dead are
# left out: nothing a test could reach.
gcovr --root . --filter 'plugin/' --filter 'tools/' -j "$(nproc)" \
  --exclude-throw-branches --exclude-unreachable-branches \
  --print-summary "$dir"
