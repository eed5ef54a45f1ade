#!/usr/bin/env bash
# Exits 0 when NAME is one of CMakePresets.json's configure presets.
#   scripts/is-preset.sh NAME
cd "$(dirname "$0")/.."
cmake --list-presets 2>/dev/null | grep -q "^  \"$1\" "
