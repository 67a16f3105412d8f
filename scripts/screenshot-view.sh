#!/usr/bin/env bash
# Makes docs/level-view.png: the window's 3-D view of a corpus level (the world its brushes build,
# from its first player start), textured with images made here, one checked BMP for each texture
# name of the level. Runs the window unattended under xvfb-run; keeps nothing but the picture.
# Usage: scripts/screenshot-view.sh [PICTURE] [LEVEL]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
picture=${1:-docs/level-view.png}
level=$(realpath "${2:-${BRUSHWRIGHT_CORPUS:-../shared/corpus}/DM_Amos.t3d}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out" "$work/textures" "$work/config/Brushwright" "$(dirname "$picture")"

# A 64 x 64 BMP of two-tone checks for each texture name, its colours from its place in the list.
python3 - "$level" "$work/textures" <<'PY'
import os, re, struct, sys
names = sorted(set(m.decode('latin-1') for m in
                   re.findall(rb'Texture=([^ \r\n]+)', open(sys.argv[1], 'rb').read())))
def bmp(colours):
    size = 64
    rows = b''.join(bytes(colours[(x // 16 + y // 16) % 2]) for y in range(size) for x in range(size))
    return (b'BM' + struct.pack('<IHHI', 54 + len(rows), 0, 0, 54) +
            struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, len(rows), 2835, 2835, 0, 0) + rows)
for i, name in enumerate(names):
    if '/' in name or '\\' in name:
        continue
    hue = (i * 67 % 160 + 60, i * 101 % 160 + 60, i * 37 % 160 + 60)  # BMP pixels are B, G, R
    light = tuple(min(255, c + 50) for c in hue)
    with open(os.path.join(sys.argv[2], name + '.bmp'), 'wb') as out:
        out.write(bmp((hue, light)))
PY

printf '%s\r\n' "[Brushwright]" "TextSearchPathTxt=$work/textures" "ListBMtypeOut=PNG" \
  "ListMaskedBMtypeOut=PNG" "CheckDoGeometry=1" "CheckSearchCopy=1" "CheckBuildWorld=1" \
  "ListOutputType=glTF (binary)" >"$work/config/Brushwright/Brushwright.ini"
XDG_CONFIG_HOME="$work/config" xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/src/window/brushwright" --autorun "$level" --output "$work/out/level.glb" \
  --screenshot "$picture"
echo "wrote $picture"
