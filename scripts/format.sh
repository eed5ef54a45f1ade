#!/usr/bin/env bash
# Formats the tracked C++ files with .clang-format, or checks them.
#   scripts/format.sh            rewrite the files in place
#   scripts/format.sh --check    report what differs and fail, change nothing
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh lint
mapfile -t files < <(git ls-files '*.cpp' '*.h')
case ${1:-} in
  "") clang-format -i "${files[@]}" ;;
  --check) clang-format --dry-run --Werror "${files[@]}" ;;
  *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac
