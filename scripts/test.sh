#!/usr/bin/env bash
# Builds Brushwright and runs every test, then builds every test again with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan) and runs them there. The fuzz targets' seed and crash
# inputs replay as tests in both builds. Window tests need a display: Xvfb provides one.
# Between the two, scripts/test-windows.sh builds the Windows programs and tests them under Wine
# against this build (BRUSHWRIGHT_WINDOWS=0 leaves that out).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh

# Window tests by their suite names; GTK and GLib keep memory to the end on their own, so leak
# checking is off for these alone.
window_tests='^(FormMain|FormMainRun|PictureSurface|NameListDialog|LevelView)\.'

with_display() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
  fi
}

(cd build && with_display ctest --output-on-failure -j "$(nproc)")

if [ "${BRUSHWRIGHT_WINDOWS:-1}" != 0 ]; then
  scripts/test-windows.sh build/src/cli/brushwright-convert
fi

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRUSHWRIGHT_SANITIZE=ON -DBRUSHWRIGHT_BENCH=OFF >/dev/null
cmake --build build-asan -j "$(nproc)"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build-asan
ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$(nproc)" -E "${window_tests}"
ASAN_OPTIONS=detect_leaks=0 with_display ctest --output-on-failure -j "$(nproc)" -R "${window_tests}"
