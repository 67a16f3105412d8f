#!/usr/bin/env bash
# Checks the window's 3-D view against an independent renderer: the window program converts LEVEL
# (the world its brushes build, as a glTF file) unattended and writes its view from the overview
# camera (--view-picture), printing that camera; f3d renders the written glTF file from the same
# camera at the same size and on the same background; at least 97 % of the pixels must agree on
# holding geometry or not (scripts/view-agreement.py). A program whose name ends in .exe runs
# under Wine (the prefix of $WINEPREFIX), with its settings in %APPDATA%\Brushwright\; any other
# with its settings in a folder of its own ($XDG_CONFIG_HOME).
# Usage: scripts/check-view.sh BRUSHWRIGHT LEVEL [KEEP_DIR]   (KEEP_DIR keeps the pictures)
set -euo pipefail
# Wine's desktop process and f3d must see the same live X display: Xvfb when there is none.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
top=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "$1")
level=$(realpath "$2")
keep=${3:-}
wine=${WINE:-/usr/lib/wine/wine64}
# The view's background colour (0-255), as the window draws it.
background=77,107,140

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [[ "$program" == *.exe ]]; then
  native() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
  appdata=$("$wine" cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
  settings_dir=$("$wine" winepath -u "$appdata\\Brushwright" 2>/dev/null | tr -d '\r')
  run=("$wine" "$program")
else
  native() { printf '%s' "$1"; }
  export XDG_CONFIG_HOME="$work/config"
  settings_dir="$XDG_CONFIG_HOME/Brushwright"
  run=("$program")
fi
mkdir -p "$settings_dir"
# The output type comes from the settings (the window never reads it from the output's name).
printf '%s\r\n' "[Brushwright]" "CheckDoGeometry=1" "CheckBuildWorld=1" \
  "ListOutputType=glTF (binary)" >"$settings_dir/Brushwright.ini"

"${run[@]}" --autorun "$(native "$level")" --output "$(native "$work/level.glb")" \
  --view-picture "$(native "$work/view.png")" 2>"$work/stderr.txt" || {
  cat "$work/stderr.txt"
  exit 1
}
camera=$(grep '^camera position' "$work/stderr.txt" | tr -d '\r')
echo "$camera"
read -r _ _ px py pz _ tx ty tz _ ux uy uz _ fov <<<"$camera"
size=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%d,%d" % struct.unpack(">II", d[16:24]))' "$work/view.png")
f3d --dry-run --quiet "$work/level.glb" --output="$work/f3d.png" --resolution="$size" \
  --bg-color="$(python3 -c 'import sys; print(",".join(str(int(v) / 255) for v in sys.argv[1].split(",")))' "$background")" \
  --camera-position="$px,$py,$pz" --camera-focal-point="$tx,$ty,$tz" \
  --camera-view-up="$ux,$uy,$uz" --camera-view-angle="$fov"
[ -n "$keep" ] && mkdir -p "$keep" && cp "$work/view.png" "$work/f3d.png" "$keep/"
"$top/scripts/view-agreement.py" "$work/view.png" "$work/f3d.png" "$background"
