#!/usr/bin/env bash
# Builds every Windows target (scripts/build-windows.sh without targets: the programs, the image
# module, every test program and the fuzz replays, so that none stops compiling unseen), then
# runs under Wine, in a throw-away Wine prefix, quiet, with no network:
#  - the tests of the file and text routines, the readers, the run, the search, the settings and
#    the command line, as Windows executables;
#  - brushwright-convert.exe on every corpus level, each output byte-identical to the Linux
#    build's (scripts/compare-outputs.sh, given the Linux program);
#  - brushwright.exe under Xvfb converting a corpus level with textures from a folder with a
#    space and non-Latin letters, its settings read from and written back to
#    %APPDATA%\Brushwright\Brushwright.ini unchanged, its output files equal to the Linux
#    command line's;
#  - brushwright.exe's 3-D view of a corpus level (Mesa's OpenGL through Wine) against f3d's
#    picture of the glTF file it wrote, from the same camera (scripts/check-view.sh).
# Usage: scripts/test-windows.sh [LINUX_CONVERT]   (default build/src/cli/brushwright-convert)
set -euo pipefail
cd "$(dirname "$0")/.."
# One X display (Xvfb when there is none) for every Wine program here: Wine's desktop process,
# started with the prefix, keeps the display it first saw, and window programs need it to be live.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
top=$PWD
linux_convert=$(realpath "${1:-build/src/cli/brushwright-convert}")
corpus=${BRUSHWRIGHT_CORPUS:-$top/../shared/corpus}

# The tests that run as Windows programs, and the few cases that cannot pass there, each with
# its reason. (Tests that need a FIFO, a POSIX shell or the XDG folders are not even built.)
test_programs=(platform_tests text_tests t3d_tests package_tests map_tests texture_tests mesh_tests extract_tests run_tests search_tests settings_tests
               cli_tests)
not_on_windows=(
  # Symbolic links: Wine does not make them (and Windows only with a privilege).
  'FileExists.OnlyOrdinaryFilesCount' 'FindFileInTree.Links*' 'FileTreeIndex.FindsWhatFind*'
  'IniWriteString.WritesThroughALinkToItsTarget'
  # The expected paths join with "/", where Windows' separator is "\", and the rows rely on a
  # file system that tells "ab" from "AB".
  'FindFileInTree.FindsTheFirstCopyInSearchOrder' 'FindFileInTree.TrailingSeparatorIsNotDoubled'
  'FolderTextureSource.FailedCopyNamesBothFiles'
  # Linux's limits and error numbers: "not a directory", a path longer than 4096 bytes.
  'FindFileInTree.FileGivenAsDirectoryIsReported' 'FindFileInTree.PathTooLong*'
)
started=$(date +%s)
scripts/build-windows.sh
echo "Windows build: $(($(date +%s) - started)) s"
build=$top/build-windows

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/brushwright-wine-XXXXXX")
# The prefix keeps Wine's default layout: in a 64-bit-only one (WINEARCH=win64) the window's text
# boxes gave back nothing put into them, run after run (Wine 8.0).
export WINEPREFIX WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would look for the network.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
"$wineserver" -p  # one server for every program below, not one started for each
"$wine" wineboot -i >/dev/null 2>&1

passed=0
failed=0
filter="-$(IFS=:; echo "${not_on_windows[*]}")"
# The glTF Validator runs on Linux's Node, which a Windows program cannot start: its checks skip
# here even where CI asks for every test input (the Linux tests run them on the same bytes).
for program in "${test_programs[@]}"; do
  exe=$(find "$build/tests" -name "$program.exe" | head -1)
  if env -u BRUSHWRIGHT_REQUIRE_TEST_INPUTS "$wine" "$exe" --gtest_brief=1 --gtest_filter="$filter" \
    >"$build/$program.log" 2>&1; then
    passed=$((passed + 1))
    echo "passed under Wine: $program ($(grep -o 'PASSED  \] [0-9]* tests\?' "$build/$program.log" |
      grep -o '[0-9]* tests\?'))"
  else
    failed=$((failed + 1))
    echo "FAILED under Wine: $program"
    grep -E '^\[  FAILED|Failure|error' "$build/$program.log" | head -40 || true
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

# The window's 3-D view: which pixels hold geometry, against f3d's picture of the written file.
if [ -f "$corpus/DM_Amos.t3d" ]; then
  if scripts/check-view.sh "$build/src/window/brushwright.exe" "$corpus/DM_Amos.t3d"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
fi

echo "Windows under Wine: $passed passed, $failed failed"
echo "Windows build and tests: $(($(date +%s) - started)) s"
[ "$failed" -eq 0 ]
