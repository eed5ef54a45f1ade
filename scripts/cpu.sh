#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What the workbench's window costs while a person watches it: runs
# build/bin/bench_idle on a virtual X display (Xvfb) and prints the CPU share
# of one core in each situation (idle and moving, products 40 and 135).
#   scripts/cpu.sh [SECONDS_PER_SITUATION]     (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build desktop
scripts/build.sh build >/dev/null
display=:97
Xvfb "$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
DISPLAY=$display QT_QPA_PLATFORM=xcb build/bin/bench_idle "${1:-20}"
