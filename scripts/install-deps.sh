#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Wendrix need.
# Idempotent: prints nothing and touches nothing when every package is present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick x11-utils
  libqhull-dev admesh
  clang-14 libclang-rt-14-dev
  libasmjit-dev libmuparser-dev
  libgif-dev
  libmpfr-dev
  pybind11-dev python3-pybind11 python3-numpy python3-pytest python3-dev
  fonts-dejavu-core fonts-liberation
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
