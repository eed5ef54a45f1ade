#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Lints what is not C++: shellcheck over the shell scripts (scripts/, .ci/run)
# and desktop-file-validate over the desktop entry. Any finding fails.
#   scripts/lint.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh lint
shellcheck scripts/*.sh .ci/run
desktop-file-validate packaging/*.desktop
echo "lint: no findings"
