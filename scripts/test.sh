#!/usr/bin/env bash
# Builds Brushwright and runs every test (window tests need a display: Xvfb provides one).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
cd build
if [ -n "${DISPLAY:-}" ]; then
  ctest --output-on-failure -j "$(nproc)"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$(nproc)"
fi
