#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every source file of the project (C++, CMake, shell) names its licence in an
# SPDX line in its first comment: the file's first line, after a shell
# script's "#!" line. Files that begin with a comment get the line at its top.
#   scripts/spdx.sh            add the line to the files that lack it
#   scripts/spdx.sh --check    list the files that lack it and fail, change nothing
set -euo pipefail
cd "$(dirname "$0")/.."
tag="SPDX-License-Identifier: MIT"
mapfile -t files < <(git ls-files '*.cpp' '*.h' 'CMakeLists.txt' '*/CMakeLists.txt' '*.cmake' 'scripts/*.sh' .ci/run)

missing=()
for file in "${files[@]}"; do
  head -n 2 "$file" | grep -q "$tag" || missing+=("$file")
done
case ${1:-} in
  "")
    for file in "${missing[@]}"; do
      case $file in
        *.cpp|*.h) sed -i "1i // $tag" "$file" ;;
        *) if head -n 1 "$file" | grep -q '^#!'; then sed -i "1a # $tag" "$file"; else sed -i "1i # $tag" "$file"; fi ;;
      esac
    done ;;
  --check)
    for file in "${missing[@]}"; do
      echo "$file: no \"$tag\" line at its top (scripts/spdx.sh adds it)" >&2
    done
    [ ${#missing[@]} -eq 0 ] ;;
  *) echo "usage: scripts/spdx.sh [--check]" >&2; exit 2 ;;
esac
