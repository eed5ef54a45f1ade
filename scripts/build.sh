#!/usr/bin/env bash
# Configures and builds a preset (CMakePresets.json: release, asan, coverage,
# fuzz) or a build directory (default: build, optimised with debug information).
#   scripts/build.sh [PRESET|BUILD_DIR] [extra cmake arguments...]
# ccache, when installed, compiles through it. In CI (CI set and not empty)
# a warning is an error.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-build}
shift || true

settings=()
command -v ccache >/dev/null && settings=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
[ -n "${CI:-}" ] && settings+=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
if scripts/preset-dir.sh "$target" >/dev/null; then
  cmake --preset "$target" "${settings[@]}" "$@" >/dev/null
  cmake --build --preset "$target" -j "$(nproc)"
else
  cmake -S . -B "$target" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    "${settings[@]}" "$@" >/dev/null
  cmake --build "$target" -j "$(nproc)"
fi
