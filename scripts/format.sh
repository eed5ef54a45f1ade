#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Formats the tracked C++ files with .clang-format and gives every source file
# its SPDX licence line (scripts/spdx.sh), or checks both.
#   scripts/format.sh            rewrite the files in place
#   scripts/format.sh --check    report what differs and fail, change nothing
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh lint
mapfile -t files < <(git ls-files '*.cpp' '*.h')
case ${1:-} in
  "") scripts/spdx.sh && clang-format -i "${files[@]}" ;;
  --check) scripts/spdx.sh --check && clang-format --dry-run --Werror "${files[@]}" ;;
  *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac
