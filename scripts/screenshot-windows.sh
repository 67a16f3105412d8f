#!/usr/bin/env bash
# Makes docs/window-windows.png: a picture of the Windows window program under Wine (Xvfb as its
# screen, ImageMagick's import takes the picture) after it converted a corpus level with textures (scripts/check-window-windows.sh runs
# it, in a throw-away Wine prefix). Builds the Windows programs and the Linux command line, which
# the check compares the outputs with, when needed.
# Usage: scripts/screenshot-windows.sh [PICTURE] [LEVEL]
set -euo pipefail
cd "$(dirname "$0")/.."
# One X display (Xvfb when there is none) for every Wine program here: Wine's desktop process,
# started with the prefix, keeps the display it first saw, and window programs need it to be live.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
picture=$(realpath -m "${1:-docs/window-windows.png}")
level=${2:-../shared/corpus/DM_Amos.t3d}
scripts/build.sh brushwright-convert
command -v import >/dev/null || { apt-get install -y -q --no-install-recommends imagemagick ||
  sudo apt-get install -y -q --no-install-recommends imagemagick; }
scripts/build-windows.sh brushwright

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/brushwright-wine-XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
scripts/check-window-windows.sh build-windows/src/window/brushwright.exe \
  build/src/cli/brushwright-convert "$level" "$picture"
echo "wrote $picture"
