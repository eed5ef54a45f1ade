#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Prints the build directory of a configure preset of CMakePresets.json
# (release: build, asan: build-asan, coverage: build-coverage); exits 1 when
# NAME is not one.
#   scripts/preset-dir.sh NAME
cd "$(dirname "$0")/.." || exit 2
awk -v want="$1" -F'"' '
  /"buildPresets"/ { exit }
  $2 == "name" { name = $4 }
  $2 == "binaryDir" && name == want { sub(/^\$\{sourceDir\}\//, "", $4); print $4; found = 1; exit }
  END { exit !found }' CMakePresets.json
