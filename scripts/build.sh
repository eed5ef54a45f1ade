#!/usr/bin/env bash
# Configures and builds a preset (CMakePresets.json: release, asan, coverage)
# or a build directory (default: build, optimised with debug information).
#   scripts/build.sh [PRESET|BUILD_DIR] [extra cmake arguments...]
# ccache, when installed, compiles through it.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-build}
shift || true

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if scripts/preset-dir.sh "$target" >/dev/null; then
  cmake --preset "$target" "${launcher[@]}" "$@" >/dev/null
  cmake --build --preset "$target" -j "$(nproc)"
else
  cmake -S . -B "$target" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    "${launcher[@]}" "$@" >/dev/null
  cmake --build "$target" -j "$(nproc)"
fi
