#!/usr/bin/env bash
# Runs the Windows window program under Wine and Xvfb on one level, unattended: the level lies in
# a folder whose name has a space and non-Latin letters, its textures (made here, one small BMP
# for each texture name) in another such folder named by the settings file in
# %APPDATA%\Brushwright\. Checks that the run finishes, that its output files are byte for byte
# those of the Linux command line with the same options, and that the settings file is read and
# written back with only the names of the run's input and output added. Uses the Wine prefix of
# the environment ($WINEPREFIX).
# Usage: scripts/check-window-windows.sh BRUSHWRIGHT_EXE LINUX_CONVERT LEVEL [SCREENSHOT_PNG]
set -euo pipefail
# Every window program of one Wine prefix must see the same X display: Wine's desktop process
# keeps the display it was started with. Without one, the whole check runs under one Xvfb.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
exe=$(realpath "$1")
linux_convert=$(realpath "$2")
level=$(realpath "$3")
screenshot=${4:-}
wine=${WINE:-/usr/lib/wine/wine64}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
name="Café $(basename "$level")"
folder="$work/Уровни Ω levels"
tree="$work/Текстуры Ω textures"
mkdir -p "$folder" "$tree" "$work/out-window" "$work/out-linux"
cp "$level" "$folder/$name"

# One BMP for each texture name of the level, sized and coloured by its place in the list.
python3 - "$level" "$tree" <<'PY'
import os, re, struct, sys
names = sorted(set(m.decode('latin-1') for m in
                   re.findall(rb'Texture=([^ \r\n]+)', open(sys.argv[1], 'rb').read())))
def bmp(w, h, shade):
    row = (w * 3 + 3) & ~3
    data = b''.join(bytes((x * 9 % 256, y * 7 % 256, shade)) for y in range(h) for x in range(w))
    data = b''.join(data[y * w * 3:(y + 1) * w * 3] + b'\0' * (row - w * 3) for y in range(h))
    return (b'BM' + struct.pack('<IHHI', 54 + len(data), 0, 0, 54) +
            struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0) + data)
for i, name in enumerate(names):
    if '/' in name or '\\' in name:
        continue
    with open(os.path.join(sys.argv[2], name + '.bmp'), 'wb') as out:
        out.write(bmp(16 << (i % 3), 16 << (i % 2), i * 37 % 256))
PY

windows_path() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
appdata=$("$wine" cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
settings_dir=$("$wine" winepath -u "$appdata\\Brushwright" 2>/dev/null | tr -d '\r')
mkdir -p "$settings_dir"
# Every key the window writes, in its order, so that writing them back leaves the file as it is.
printf '%s\r\n' "[Brushwright]" "TextSearchPathTxt=$(windows_path "$tree")" "ListBMtypeOut=BMP" \
  "ListMaskedBMtypeOut=BMP" "CheckBuildBrush=0" "CheckReport=1" "CheckDoGeometry=1" \
  "CheckIgnoreNoTxt=0" "CheckIgnoreDefTxt=0" "CheckSearchCopy=1" "CheckBrushTransforms=1" \
  "CheckSubtractBrushes=1" "CheckBuildWorld=0" "ListOutputType=OBJ" "CheckBuiltWorld=0" \
  "CheckStaticMeshes=1" "CheckMovers=1" "CheckTerrain=1" "CheckWithMeshes=0" "CheckLight=0" \
  "CheckBakeLight=0" >"$work/settings.ini"

cp "$work/settings.ini" "$settings_dir/Brushwright.ini"

output="$work/out-window/${name%.t3d}.obj"
# The picture is taken from the X display (ImageMagick's import), several times a second while
# the window runs; the fullest one (the largest file: every control drawn, the run's counts
# shown) is kept, as the last may catch the window half drawn while it closes. (The window's own
# picture of itself comes out without its text under Wine.)
if [ -n "$screenshot" ]; then
  (while :; do import -window root -trim +repage "$work/shot-new.png" 2>/dev/null &&
    [ "$(stat -c %s "$work/shot-new.png")" -ge "$(stat -c %s "$work/shot.png" 2>/dev/null ||
      echo 4096)" ] && mv "$work/shot-new.png" "$work/shot.png"
    sleep 0.2; done) &
  capture=$!
fi
"$wine" "$exe" --autorun "$(windows_path "$folder/$name")" --output "$(windows_path "$output")"
if [ -n "$screenshot" ]; then
  kill "$capture"
  wait "$capture" 2>/dev/null || true
  cp "$work/shot.png" "$screenshot"
fi

"$linux_convert" -q --report --subtractive --copy-textures "$tree" --texture-type bmp \
  --output-dir "$work/out-linux" "$folder/$name" >/dev/null
status=0
if ! diff -r "$work/out-linux" "$work/out-window" >/dev/null; then
  echo "the window's outputs differ from the Linux command line's:"
  diff -r -q "$work/out-linux" "$work/out-window" | head -10
  status=1
fi
# The window adds the input and output names it was given; all else stays byte for byte.
printf '%s\r\n' "InFile=$(windows_path "$folder/$name")" "OutFile=$(windows_path "$output")" \
  >>"$work/settings.ini"
if ! cmp -s "$work/settings.ini" "$settings_dir/Brushwright.ini"; then
  echo "the settings file did not come back as it was read:"
  diff "$work/settings.ini" "$settings_dir/Brushwright.ini" | head -10
  status=1
fi
[ "$status" -eq 0 ] &&
  echo "window under Wine: $(ls "$work/out-window" | wc -l) output files as on Linux, settings kept"
exit "$status"
