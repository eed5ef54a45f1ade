#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs clang-tidy (.clang-tidy) over the project's own sources, tests and
# benchmarks with the compile database of a build, and over the fuzz targets
# with the fuzz preset's (built first: clang); two files at a time, not over
# moc's and uic's output.
#   scripts/tidy.sh [PRESET|BUILD_DIR]    (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
target=${1:-build}
headers="host|plugin|tools|workbench|bench|tests|fuzz"

scripts/install-deps.sh build lint fuzz
# The builds make uic's headers, which the sources include.
scripts/build.sh "$target" >/dev/null
scripts/build.sh fuzz >/dev/null

status=0
tidy() { # BUILD_DIR SOURCE_DIRS: clang-tidy over the sources of SOURCE_DIRS (a|b) in BUILD_DIR's database
  [ -f "$1/compile_commands.json" ] || { echo "tidy.sh: no $1/compile_commands.json" >&2; exit 2; }
  set +e
  sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$1/compile_commands.json" \
    | grep -E "^$root/($2)/.*\.cpp$" | sort -u \
    | xargs -P 2 -n 1 clang-tidy -p "$1" --quiet --header-filter="^$root/($headers)/" 2>&1 \
    | grep -v -E "^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$"
  [ "${PIPESTATUS[3]}" -eq 0 ] || status=1
  set -e
}
tidy "$(scripts/preset-dir.sh "$target" || echo "$target")" "host|plugin|tools|workbench|bench|tests"
tidy "$(scripts/preset-dir.sh fuzz)" "fuzz"
if [ "$status" -ne 0 ]; then
  echo "tidy: findings above" >&2
  exit 1
fi
echo "tidy: no findings"
