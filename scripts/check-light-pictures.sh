#!/usr/bin/env bash
# Renders the textured world glTF of a level with its own lights, with f3d's default settings
# under Xvfb, from the eyes of each of its player starts (or of eight of its lights when it has
# none), and prints how much of each picture is near white, how much dark, and its mean brightness
# (scripts/picture-shares.py). Textures are the synthetic images of scripts/write-textures.py, or
# a game folder's named by TEXTURE_FOLDER.
# With UNLIT_AS_EMISSIVE=1 the file's unlit materials are drawn as emissive ones
# (scripts/unlit-as-emissive.py), as f3d 1.3 draws unlit materials white, without their texture:
# this shows what a baked file (--light bake) holds.
# With MAX_WHITE and MIN_MEAN set, fails when a picture has a larger near-white share (percent)
# or a smaller mean brightness (0 to 255).
# Usage: scripts/check-light-pictures.sh LEVEL PICTURE_FOLDER [CONVERTER SWITCHES...]
#   (--world is given unless the switches hold --built-world)
#   e.g. MAX_WHITE=10 MIN_MEAN=40 scripts/check-light-pictures.sh ../shared/corpus/map-ue2.t3d /tmp/p
set -euo pipefail
cd "$(dirname "$0")/.."
level="${1:?usage: scripts/check-light-pictures.sh LEVEL PICTURE_FOLDER [SWITCHES...]}"
pictures="${2:?name a folder for the pictures}"
shift 2
# The world the editor builds from the brushes, or with --built-world a map's own build.
world=--world
switches=()
for switch in "$@"; do
  if [ "$switch" = --built-world ]; then world=--built-world; else switches+=("$switch"); fi
done
build=${BUILD_DIR:-build}
name=$(basename "$level")
name=${name%.*}
scale=0.01905  # the converter's default metres per unit
# Eye height above a player start, view angle and picture size, as the other picture scripts.
eye_height=64
view_angle=74
resolution=800,600

cmake --build "$build" --target brushwright-convert >/dev/null
command -v f3d >/dev/null || {
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y -q --no-install-recommends f3d
}
work=$(mktemp -d "$build/lights.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/names" "$work/textures" "$pictures"
convert="$build/src/cli/brushwright-convert"
textures=${TEXTURE_FOLDER:-}
if [ -z "$textures" ]; then
  "$convert" -q --no-geometry --texture-type png "$world" -o "$work/names/$name.obj" "$level"
  # A level whose faces name no texture writes no MTL library.
  touch "$work/names/$name.mtl"
  sed -n 's/^map_Kd //p' "$work/names/$name.mtl" | tr -d '\r' | sort -u >"$work/names/images"
  while read -r image; do mkdir -p "$work/textures/$(dirname "$image")"; done <"$work/names/images"
  python3 scripts/write-textures.py "$work/names/images" "$work/textures" "$work/white.png"
  textures="$work/textures"
fi
"$convert" -q --report "$world" --format glb --texture-type png --copy-textures "$textures" \
  ${switches[@]+"${switches[@]}"} -o "$work/$name.glb" "$level" 2>/dev/null

# Each start's eye and a point ahead of it in glTF space (x, z, y) x scale, from the report's
# location and its rotation turned to degrees as "pitch + 90, roll, yaw - 90". A level without
# player starts is seen from eight of its lights, spread over the report's order.
python3 - "$work/$name.txt" "$eye_height" "$scale" >"$work/views" <<'PYTHON'
import math, re, sys
report, eye_height, scale = open(sys.argv[1]).read(), float(sys.argv[2]), float(sys.argv[3])
blocks = re.findall(r"^(.*) Tag: .*\(Name: ([^)]*)\) at ([^\r\n]*)\r?\nRotation: ([^\r\n]*)",
                    report, re.M)
views = [(name, place, turn, eye_height) for kind, name, place, turn in blocks
         if kind.startswith("PlayerStart")]
if not views:
    lights = [(name, place, turn, 0) for kind, name, place, turn in blocks if "Light" in kind]
    views = [lights[i * len(lights) // 8] for i in range(min(8, len(lights)))]
for name, place, turn, height in views:
    x, y, z = (float(v) for v in place.split(","))
    pitch_text, _, yaw_text = (float(v) for v in turn.split(","))
    pitch = math.radians(pitch_text - 90)
    yaw = math.radians(yaw_text + 90)
    z += height
    ahead = 100
    f = (x + ahead * math.cos(pitch) * math.cos(yaw), y + ahead * math.cos(pitch) * math.sin(yaw),
         z + ahead * math.sin(pitch))
    gltf = lambda p: ",".join(f"{v * scale:.6f}" for v in (p[0], p[2], p[1]))
    print(name, gltf((x, y, z)), gltf(f))
PYTHON
[ -s "$work/views" ] || { echo "$level: no player start or light in the report" >&2; exit 1; }

if [ -n "${UNLIT_AS_EMISSIVE:-}" ]; then
  python3 scripts/unlit-as-emissive.py "$work/$name.glb" "$work/$name.glb"
fi
failed=0
while read -r start eye focus; do
  picture="$pictures/$name-$start.png"
  xvfb-run -a -s "-screen 0 1280x1024x24" f3d --resolution "$resolution" \
    --camera-view-angle "$view_angle" --up=+Y --camera-position "$eye" \
    --camera-focal-point "$focus" --camera-view-up "0,1,0" --output "$picture" \
    "$work/$name.glb" >/dev/null 2>&1
  line=$(python3 scripts/picture-shares.py "$picture")
  echo "$line"
  white=$(sed -n 's/.*near white \([0-9.]*\) %.*/\1/p' <<<"$line")
  mean=$(sed -n 's/.*mean \([0-9]*\)$/\1/p' <<<"$line")
  if [ -n "${MAX_WHITE:-}" ] && awk "BEGIN { exit !($white > $MAX_WHITE) }"; then failed=1; fi
  if [ -n "${MIN_MEAN:-}" ] && [ "$mean" -lt "$MIN_MEAN" ]; then failed=1; fi
done <"$work/views"
exit "$failed"
