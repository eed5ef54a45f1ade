#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets everything up on a fresh Debian 12 machine and starts the workbench.
#   scripts/run.sh [workbench options...]   (default product: 40)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec build/bin/positionmode-workbench "$@"
