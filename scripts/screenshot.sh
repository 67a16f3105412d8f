#!/usr/bin/env bash
# Makes docs/window.png: a picture of the window after it converted a small textured level.
# Builds the program when needed and runs it unattended under xvfb-run; nothing is kept but
# the picture (the level, its texture and the settings live in a temporary directory).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
picture=${1:-docs/window.png}

if [ ! -x "$build/src/window/brushwright" ]; then
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target brushwright
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out" "$work/config/Brushwright" "$(dirname "$picture")"

# A room of four Rock faces, written with the CR LF line ends of the editors.
polygon() {  # texture-U axis, texture-V axis, then the vertices
  printf 'Begin Polygon Texture=Rock Flags=0\nOrigin +0,+0,+0\nNormal +0,+0,+1\n'
  printf 'TextureU %s\nTextureV %s\n' "$1" "$2"
  shift 2
  for v in "$@"; do printf 'Vertex %s\n' "$v"; done
  printf 'End Polygon\n'
}
{
  printf 'Begin Map\nBegin Actor Class=Brush Name=Brush1\nCsgOper=CSG_Add\n'
  printf 'Location=(X=0.000000)\nBegin Brush Name=Room\nBegin PolyList\n'
  polygon +1,+0,+0 +0,+1,+0 +0,+0,+0 +128,+0,+0 +128,+64,+0 +0,+64,+0
  polygon +1,+0,+0 +0,+1,+0 +16,+8,+0 +112,+8,+0 +64,+56,+0
  polygon +1,+0,+0 +0,+1,+0 +24,+16,+0 +40,+16,+0 +40,+48,+0 +24,+48,+0
  polygon +1,+0,+0 +0,+1,+0 +88,+16,+0 +104,+16,+0 +104,+48,+0 +88,+48,+0
  printf 'End PolyList\nEnd Brush\nEnd Actor\nEnd Map\n'
} | sed 's/$/\r/' >"$work/room.t3d"

# The Rock texture: a 128 x 64 PNG of light tiles, made here so that no image file is stored.
python3 - "$work/out/Rock.PNG" <<'PY'
import struct, sys, zlib
width, height = 128, 64
rows = b"".join(
    b"\0" + b"".join(
        bytes((236, 224, 196) if (x // 16 + y // 16) % 2 else (214, 200, 170))
        for x in range(width))
    for y in range(height))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
with open(sys.argv[1], "wb") as png:
    png.write(b"\x89PNG\r\n\x1a\n")
    png.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
    png.write(chunk(b"IDAT", zlib.compress(rows)))
    png.write(chunk(b"IEND", b""))
PY

# Settings of the run: PNG textures beside the output, geometry on, no texture search.
cat >"$work/config/Brushwright/Brushwright.ini" <<INI
[Brushwright]
TextSearchPathTxt=$work
ListBMtypeOut=PNG
ListMaskedBMtypeOut=PNG
CheckDoGeometry=1
INI

XDG_CONFIG_HOME="$work/config" xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/src/window/brushwright" --autorun "$work/room.t3d" --output "$work/out/room.obj" \
  --screenshot "$picture"
echo "wrote $picture"
