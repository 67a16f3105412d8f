#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Brushwright need, and the
# pinned glTF Validator (tools/gltf-validate) that the tests run with Node. OpenGL's headers and
# Mesa's software renderer serve the window's 3-D view (under Xvfb too); f3d renders the written
# glTF files that the view's tests compare with.
# Does nothing when they are all present already; uses sudo when not run as root.
# With the argument "fuzz" it also installs clang and its fuzzing runtime for fuzz/run-fuzzers.sh
# (the normal build and CI never need them). With "windows" it also installs what
# scripts/build-windows.sh needs to cross-build the Windows programs and test them under Wine.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libwxgtk3.2-dev
  libcli11-dev libtinyobjloader-dev
  libtinygltf-dev rapidjson-dev libstb-dev
  xvfb xauth xfonts-base fonts-dejavu-core
  libgl-dev libgl1-mesa-dri f3d
)
case "${1:-}" in
  fuzz) packages+=(clang libclang-rt-14-dev) ;;
  windows) packages+=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev nasm dpkg-dev wine64 fonts-wine zip) ;;
esac
# Node and npm run the glTF Validator; a machine that has them from elsewhere keeps its own.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The glTF Validator at the version package-lock.json pins.
validator="$(cd "$(dirname "$0")/.." && pwd)/tools/gltf-validate"
if [ ! -d "$validator/node_modules" ]; then
  (cd "$validator" && npm ci --no-audit --no-fund --loglevel=error)
fi
