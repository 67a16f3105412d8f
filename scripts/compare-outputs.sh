#!/usr/bin/env bash
# Compares the output files of two builds of brushwright-convert byte for byte: every level of the
# corpus (LF and CR LF) and generated levels, under a set of option combinations, including a texture
# search tree with images. Usage: scripts/compare-outputs.sh OLD_CONVERT NEW_CONVERT [GENERATE_LEVEL]
# Prints one line per level and option set that differs, and a count at the end; exits 1 on any
# difference. A build that is a Windows program (NAME.exe) runs under Wine ($WINE, else wine64),
# in the Wine prefix of the environment (scripts/test-windows.sh makes a throw-away one).
set -euo pipefail
old=$(realpath "$1")
new=$(realpath "$2")
wine=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
generate=${3:-}
corpus=${BRUSHWRIGHT_CORPUS:-$(dirname "$0")/../../shared/corpus}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/levels"
for level in "$corpus"/*.t3d; do
  name=$(basename "$level" .t3d)
  cp "$level" "$work/levels/$name.t3d"
  sed 's/$/\r/' "$level" >"$work/levels/$name-crlf.t3d"
done
if [ -n "$generate" ]; then
  for variant in standard untextured actors; do
    "$generate" --variant "$variant" --faces 3000 "$work/levels/gen-$variant.t3d"
  done
fi

# A texture tree holding a small BMP for every other texture name of the levels, in nested folders
# and in changing letter case, so that the search, the copy and the image sizes all take part.
python3 - "$work/levels" "$work/tree" <<'PY'
import os, re, struct, sys
levels, tree = sys.argv[1], sys.argv[2]
names = set()
for f in os.listdir(levels):
    with open(os.path.join(levels, f), 'rb') as t:
        names.update(m.decode('latin-1') for m in re.findall(rb'Texture=([^ \r\n]+)', t.read()))
def bmp(w, h):
    row = (w * 3 + 3) & ~3
    pixels = b''.join(bytes((x * 7 % 256, y * 5 % 256, 90) * 1)[:3] for y in range(h) for x in range(w))
    data = b''.join(pixels[y * w * 3:(y + 1) * w * 3] + b'\0' * (row - w * 3) for y in range(h))
    return (b'BM' + struct.pack('<IHHI', 54 + len(data), 0, 0, 54) +
            struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0) + data)
for i, name in enumerate(sorted(names)):
    if i % 2 or '/' in name or '\\' in name:
        continue
    folder = os.path.join(tree, 'pack%d' % (i % 3), 'sub' if i % 4 == 0 else '')
    os.makedirs(folder, exist_ok=True)
    file = (name.lower() if i % 3 == 0 else name) + ('.bmp' if i % 5 == 0 else '.BMP')
    with open(os.path.join(folder, file), 'wb') as out:
        out.write(bmp(16 + i % 48, 8 + i % 24))
PY
echo "texture tree: $(find "$work/tree" -type f | wc -l) images"

option_sets=(
  ""
  "--report"
  "--w3d --report"
  "--no-geometry --report"
  "--ignore-no-texture --ignore-default-texture --start-face 5"
  "--subtractive"
  "--no-brush-transforms"
  "--subtractive --no-brush-transforms --w3d"
  "--build-brush"
  "--copy-textures $work/tree --report"
  "--copy-textures $work/tree --texture-type bmp --no-geometry"
  "--world"
  "--world --report"
  "--world --w3d --ignore-no-texture --start-face 5 --report"
  "--world --no-geometry --copy-textures $work/tree"
  "--format glb"
  "--format glb --subtractive"
  "--world --format glb"
  "--world --format glb --copy-textures $work/tree --report"
  "--world --format glb --copy-textures $work/tree --texture-type png"
  "--subtractive --format glb --no-actors --copy-textures $work/tree --texture-type bmp"
)

differences=0
compared=0
for level in "$work"/levels/*.t3d; do
  for index in "${!option_sets[@]}"; do
    for build in old new; do
      rm -rf "$work/out-$build"
      mkdir -p "$work/out-$build"
      binary=$old
      [ "$build" = new ] && binary=$new
      runner=()
      [[ "$binary" == *.exe ]] && runner=("$wine")
      # shellcheck disable=SC2086
      "${runner[@]}" "$binary" -q ${option_sets[$index]} --output-dir "$work/out-$build" "$level" \
        >/dev/null 2>"$work/err-$build" || true
    done
    compared=$((compared + 1))
    if ! diff -r -q "$work/out-old" "$work/out-new" >/dev/null; then
      differences=$((differences + 1))
      echo "differs: $(basename "$level") [${option_sets[$index]}]"
      # diff's status would end the script under pipefail: every difference is to be listed.
      { diff -r -q "$work/out-old" "$work/out-new" || true; } | head -5 | sed 's/^/  /'
    fi
  done
done
echo "$compared comparisons, $differences with differing outputs"
[ "$differences" -eq 0 ]
