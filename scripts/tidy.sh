#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) over the project's own sources, two at a time,
# with the compile database of a build; not over moc's and uic's output.
#   scripts/tidy.sh [PRESET|BUILD_DIR] [--tests]    (default: build; --tests adds tests/)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
target=build
dirs="host|plugin|tools|workbench|bench"
for arg in "$@"; do
  case $arg in
    --tests) dirs="$dirs|tests" ;;
    *) target=$arg ;;
  esac
done

scripts/install-deps.sh build lint
# The build makes uic's headers, which the sources include.
scripts/build.sh "$target" >/dev/null
dir=$(scripts/preset-dir.sh "$target") || dir=$target
[ -f "$dir/compile_commands.json" ] || { echo "tidy.sh: no $dir/compile_commands.json" >&2; exit 2; }

set +e
sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$dir/compile_commands.json" \
  | grep -E "^$root/($dirs)/.*\.cpp$" | sort -u \
  | xargs -P 2 -n 1 clang-tidy -p "$dir" --quiet --header-filter="^$root/($dirs)/" 2>&1 \
  | grep -v -E "^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$"
status=${PIPESTATUS[3]}
set -e
if [ "$status" -ne 0 ]; then
  echo "tidy: findings above" >&2
  exit 1
fi
echo "tidy: no findings"
