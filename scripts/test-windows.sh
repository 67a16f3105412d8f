#!/usr/bin/env bash
# Builds the Windows programs and tests (scripts/build-windows.sh) and runs them under Wine, in a
# throw-away Wine prefix, quiet, with no network:
#  - the tests of the file and text routines, the readers, the run, the search, the settings and
#    the command line, as Windows executables;
#  - brushwright-convert.exe on every corpus level, each output byte-identical to the Linux
#    build's (scripts/compare-outputs.sh, given the Linux program);
#  - brushwright.exe under Xvfb converting a corpus level with textures from a folder with a
#    space and non-Latin letters, its settings read from and written back to
#    %APPDATA%\Brushwright\Brushwright.ini unchanged, its output files equal to the Linux
#    command line's.
# Usage: scripts/test-windows.sh [LINUX_CONVERT]   (default build/src/cli/brushwright-convert)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
linux_convert=$(realpath "${1:-build/src/cli/brushwright-convert}")
corpus=${BRUSHWRIGHT_CORPUS:-$top/../shared/corpus}

# The tests that run as Windows programs, and the few that cannot: they make what Windows has
# no counterpart for (FIFOs, permission bits that lock out their owner, symbolic links, the
# Linux /proc tree and the module's .so name), each named with its reason.
test_programs=(platform_tests text_tests t3d_tests run_tests search_tests settings_tests cli_tests)
posix_only=(
  'FileText.ReadsFifo*'                  # mkfifo
  '*Unreadable*'                         # chmod 000 does not lock out a Windows file's owner
  '*Link*:*Symlink*'                     # symbolic links need privileges on Windows
  'ImageModule.*'                        # /proc/self/maps and libbrushwright_wximage.so
)
started=$(date +%s)
scripts/build-windows.sh brushwright brushwright-convert "${test_programs[@]}"
echo "Windows build: $(($(date +%s) - started)) s"
build=$top/build-windows

wine=/usr/lib/wine/wine64
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/brushwright-wine-XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko: nothing here needs them, and their installers would look for the network.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
"$wine" wineboot -i >/dev/null 2>&1
wineserver -p  # one server for every program below, not one started for each

passed=0
failed=0
filter="-$(IFS=:; echo "${posix_only[*]}")"
for program in "${test_programs[@]}"; do
  exe=$(find "$build/tests" -name "$program.exe" | head -1)
  if "$wine" "$exe" --gtest_brief=1 --gtest_filter="$filter" >"$build/$program.log" 2>&1; then
    passed=$((passed + 1))
    echo "passed under Wine: $program ($(grep -o '[0-9]* tests\?\.' "$build/$program.log" | tail -1))"
  else
    failed=$((failed + 1))
    echo "FAILED under Wine: $program"
    grep -E '^\[  FAILED|Failure|error' "$build/$program.log" | head -40
  fi
done

# The command line on the corpus: every output byte for byte as the Linux build writes it.
if compgen -G "$corpus/*.t3d" >/dev/null; then
  if BRUSHWRIGHT_CORPUS=$corpus WINE=$wine scripts/compare-outputs.sh "$linux_convert" \
    "$build/src/cli/brushwright-convert.exe"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
else
  echo "no corpus in $corpus: the output comparison is skipped"
fi

# The window: a corpus level with textures from a folder whose name has a space and non-Latin
# letters, settings from the Windows settings folder, outputs compared with the Linux program's.
if [ -f "$corpus/DM_Amos.t3d" ]; then
  if scripts/check-window-windows.sh "$build/src/window/brushwright.exe" "$linux_convert" \
    "$corpus/DM_Amos.t3d"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
fi

echo "Windows under Wine: $passed passed, $failed failed"
echo "Windows build and tests: $(($(date +%s) - started)) s"
[ "$failed" -eq 0 ]
