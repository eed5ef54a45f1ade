#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what the build needs, builds (if needed) and runs every test on the
# offscreen platform.
#   scripts/test.sh [PRESET|BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-build}
scripts/install-deps.sh build
scripts/build.sh "$target"
if scripts/preset-dir.sh "$target" >/dev/null; then
  ctest --preset "$target" -j "$(nproc)"
else
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$target" --output-on-failure -j "$(nproc)"
fi
