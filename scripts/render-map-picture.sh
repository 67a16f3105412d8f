#!/usr/bin/env bash
# Renders a map package converted directly, from the eyes of one of its player starts (or any
# actor of the report, a light of a map without starts) with f3d under Xvfb: the OBJ output of
# the switches given (--world by default), textured with the synthetic images of
# scripts/write-textures.py, or with the real textures of a game folder (its image files and the
# textures inside its packages) named by TEXTURE_FOLDER. The start's place and view come from
# the run's own report. Nothing is kept but the picture.
# Usage: scripts/render-map-picture.sh MAP START PICTURE.png [CONVERTER SWITCHES...]
#   e.g. scripts/render-map-picture.sh ../shared/packages/UWRM-Torpedo.ut2 PlayerStart2 \
#          docs/map-world.png --world
set -euo pipefail
cd "$(dirname "$0")/.."
map="${1:?usage: scripts/render-map-picture.sh MAP START PICTURE.png [SWITCHES...]}"
start="${2:?name a player start}"
picture="${3:?name the picture}"
shift 3
switches=("$@")
[ ${#switches[@]} -eq 0 ] && switches=(--world)
build=${BUILD_DIR:-build}
name=$(basename "$map")
name=${name%.*}

# Camera height above a player start and the view angle, as scripts/render-pictures.sh has them.
eye_height=${EYE_HEIGHT:-64}
view_angle=74
resolution=800,600

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target brushwright-convert
command -v f3d >/dev/null || {
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y -q --no-install-recommends f3d
}

work=$(mktemp -d "$build/pictures.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/names" "$work/textures" "$work/out"
convert="$build/src/cli/brushwright-convert"

# The textures the output uses: a game folder's, or made up; then the output itself, with its
# report.
textures=${TEXTURE_FOLDER:-}
if [ -z "$textures" ]; then
  "$convert" -q --no-geometry --texture-type png "${switches[@]}" -o "$work/names/$name.obj" "$map"
  sed -n 's/^map_Kd //p' "$work/names/$name.mtl" | tr -d '\r' | sort -u >"$work/names/images"
  python3 scripts/write-textures.py "$work/names/images" "$work/textures" "$work/white.png"
  textures="$work/textures"
fi
"$convert" -q --report --texture-type png --copy-textures "$textures" "${switches[@]}" \
  -o "$work/out/$name.obj" "$map" 2>/dev/null

# The report gives a start's location and its rotation turned to degrees as "pitch + 90, roll,
# yaw - 90" at 16368 units a quarter turn; the eye goes to the OBJ file's space (x, -y, z).
points=$(python3 - "$work/out/$name.txt" "$start" "$eye_height" <<'EOF'
import math, re, sys
report, start, eye_height = open(sys.argv[1]).read(), sys.argv[2], float(sys.argv[3])
block = re.search(r"\(Name: " + re.escape(start) + r"\) at ([^\r\n]*)\r?\nRotation: ([^\r\n]*)",
                  report)
if not block:
    sys.exit(f"no player start named {start} in the report")
x, y, z = (float(v) for v in block.group(1).split(","))
pitch_text, _, yaw_text = (float(v) for v in block.group(2).split(","))
units_per_degree = 16368 / 90
pitch = (pitch_text - 90) * units_per_degree * 2 * math.pi / 65536
yaw = (yaw_text + 90) * units_per_degree * 2 * math.pi / 65536
z += eye_height
ahead = 100
fx = x + ahead * math.cos(pitch) * math.cos(yaw)
fy = y + ahead * math.cos(pitch) * math.sin(yaw)
fz = z + ahead * math.sin(pitch)
print(f"{x:.6f},{-y:.6f},{z:.6f} {fx:.6f},{-fy:.6f},{fz:.6f}")
EOF
)
read -r eye focus <<<"$points"
xvfb-run -a -s "-screen 0 1280x1024x24" f3d --resolution "$resolution" --fxaa \
  --camera-view-angle "$view_angle" --up=+Z --camera-position "$eye" \
  --camera-focal-point "$focus" --camera-view-up "0,0,1" --output "$picture" \
  "$work/out/$name.obj"
echo "wrote $picture"
