#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs to build, test, fuzz and run.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev qttools5-dev-tools
  libqcustomplot-dev
  fonts-dejavu-core
  clang libclang-rt-14-dev
)

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
