#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Brushwright need.
# Does nothing when they are all present already; uses sudo when not run as root.
# With the argument "fuzz" it also installs clang and its fuzzing runtime for fuzz/run-fuzzers.sh
# (the normal build and CI never need them).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libwxgtk3.2-dev
  libcli11-dev libtinyobjloader-dev
  xvfb xauth xfonts-base fonts-dejavu-core
)
if [ "${1:-}" = "fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
