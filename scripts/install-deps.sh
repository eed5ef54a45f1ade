#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages a group of tasks needs; skips apt-get when
# they are all installed already.
#   scripts/install-deps.sh [GROUP...]     (default: build)
#     build      compile, test and run
#     package    make and check the Debian package (cpack -G DEB with dpkg-shlibdeps,
#                lintian, hardening-check, man)
#     lint       scripts/format.sh, scripts/tidy.sh and scripts/lint.sh
#     coverage   scripts/coverage.sh
#     fuzz       scripts/fuzz.sh (clang with libFuzzer)
#     desktop    scripts/cpu.sh and the README's xvfb-run (a virtual X display;
#                xvfb-run needs xauth, which xvfb only recommends)
set -euo pipefail

packages=()
for group in "${@:-build}"; do
  case $group in
    build) packages+=(build-essential cmake ninja-build
                      qtbase5-dev qtbase5-dev-tools qtbase5-private-dev libqt5svg5-dev qttools5-dev-tools
                      libqcustomplot-dev fonts-dejavu-core) ;;
    package) packages+=(dpkg-dev file lintian devscripts man-db) ;;
    lint) packages+=(clang-format clang-tidy python3 shellcheck desktop-file-utils) ;;
    coverage) packages+=(gcovr) ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    desktop) packages+=(xvfb xauth) ;;
    *) echo "install-deps.sh: unknown group \"$group\" (build, package, lint, coverage, fuzz, desktop)" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
