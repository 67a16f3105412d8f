#!/usr/bin/env bash
# Configures and builds Brushwright into build/ (Release with debug info). Arguments name the
# targets to build; without any, everything (programs, tests, benchmarks) is built.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build -j "$(nproc)" "${targets[@]}"
