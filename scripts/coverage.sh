#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the coverage preset, runs the tests with fresh counters and prints
# gcovr's line coverage per file, least covered first, and the line and
# branch totals of each part; fails when a part's lines fall below its floor:
#   plug-in and tools (plugin/, tools/)   95%
#   host stand-in (host/)                 90%
#   workbench (workbench/)                90%
#   scripts/coverage.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build coverage
dir=$(scripts/preset-dir.sh coverage)
scripts/build.sh coverage
find "$dir" -name '*.gcda' -delete
ctest --preset coverage -j "$(nproc)" > "$dir/ctest.log" || { cat "$dir/ctest.log"; exit 1; }
tail -n 3 "$dir/ctest.log"

# The counters are read once; each part's report filters that reading.
# Branches the compiler adds for exceptions and for code it proved dead are
# left out: nothing a test could reach.
gcovr --root . -j "$(nproc)" --exclude-throw-branches --exclude-unreachable-branches \
  --json "$dir/coverage.json" "$dir"
status=0
part() { # NAME FLOOR DIRECTORY...
  local name=$1 floor=$2 filters=()
  shift 2
  for directory in "$@"; do filters+=(--filter "$directory/"); done
  echo "== coverage of $name (floor: $floor% of lines) =="
  gcovr --root . --add-tracefile "$dir/coverage.json" "${filters[@]}" --sort-percentage --print-summary \
    --fail-under-line "$floor" || { echo "coverage: $name is below its floor of $floor% of lines" >&2; status=1; }
}
part "the plug-in and tools" 95 plugin tools
part "the host stand-in" 90 host
part "the workbench" 90 workbench
exit "$status"
