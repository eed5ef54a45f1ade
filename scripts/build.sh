#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds a preset (CMakePresets.json: release, asan, coverage,
# fuzz) or a build directory (default: build, optimised with debug information).
#   scripts/build.sh [PRESET|BUILD_DIR] [extra cmake arguments...]
# ccache, when installed, compiles through it. In CI (CI set and not empty)
# a warning is an error, and a clone in another folder reuses ccache's
# objects.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-build}
shift || true

settings=()
command -v ccache >/dev/null && settings=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ -n "${CI:-}" ]; then
  settings+=(-DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
  # CI builds a fresh clone wherever it lies: ccache takes paths relative to
  # it and leaves the directory out, so a clone elsewhere finds the objects of
  # the last one (their debug information names its directory; nobody debugs
  # CI's objects).
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi
if scripts/preset-dir.sh "$target" >/dev/null; then
  cmake --preset "$target" "${settings[@]}" "$@" >/dev/null
  cmake --build --preset "$target" -j "$(nproc)"
else
  cmake -S . -B "$target" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    "${settings[@]}" "$@" >/dev/null
  cmake --build "$target" -j "$(nproc)"
fi
