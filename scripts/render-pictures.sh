#!/usr/bin/env bash
# Renders a corpus level from inside, from its player starts, with f3d under Xvfb, into docs/:
#   world-inside.png and brushes-inside.png: the world output (--world) and the brush output
#   (--subtractive), from the eyes of one start;
#   obj-textured.png and gltf-textured.png: the world as OBJ and as glTF (--format glb), from
#   the same place in both files, the eyes of another start.
# The textures are synthetic images made here, one colour and pattern per texture name, each
# with a black bar along its top edge from its top-left corner, so that a texture turned or
# mirrored shows. Nothing is kept but the pictures.
# Usage: scripts/render-pictures.sh [LEVEL.t3d [START [SECOND_START]]]
set -euo pipefail
cd "$(dirname "$0")/.."
level="${1:-../shared/corpus/DM_Amos.t3d}"
start="${2:-PlayerStart3}"
second_start="${3:-PlayerStart7}"
build=${BUILD_DIR:-build}
name=$(basename "$level" .t3d)

# glTF metres per Unreal unit: given to the converter and used for the glTF camera.
scale=0.01905
# Camera height above a player start, in Unreal units: a start marks the centre of the player's
# collision cylinder, and the engine puts a pawn's eyes about this far above it.
eye_height=${EYE_HEIGHT:-64}
# Vertical field of view: the engine's 90 degrees across a 4:3 picture.
view_angle=74
resolution=800,600

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target brushwright-convert
# f3d renders; Python (its standard library only) makes the images and reads the cameras.
packages=()
command -v f3d >/dev/null || packages+=(f3d)
command -v python3 >/dev/null || packages+=(python3)
if [ ${#packages[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y -q --no-install-recommends "${packages[@]}"
fi

# Inside the build folder rather than the shared /tmp; removed at the end.
work=$(mktemp -d "$build/pictures.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/names" "$work/textures" "$work/world" "$work/brushes"
convert="$build/src/cli/brushwright-convert"

# Every texture the brushes use: the image files that the material library names, from a run
# that writes materials only and takes additive and subtractive brushes.
"$convert" -q --subtractive --no-geometry --texture-type png -o "$work/names/$name.obj" "$level"
sed -n 's/^map_Kd //p' "$work/names/$name.mtl" | tr -d '\r' | sort -u >"$work/names/images"

python3 scripts/write-textures.py "$work/names/images" "$work/textures" "$work/white.png"

# The level three times; each folder gets its own copies of the images.
run=(-q --texture-type png --copy-textures "$work/textures")
"$convert" "${run[@]}" --world -o "$work/world/$name.obj" "$level"
"$convert" "${run[@]}" --world --format glb --no-actors --scale "$scale" \
  -o "$work/world/$name.glb" "$level"
"$convert" "${run[@]}" --subtractive -o "$work/brushes/$name.obj" "$level"

# The camera of a player start: at its location plus the eye height, looking along its rotation
# (65536 units a turn; +Yaw turns +X toward +Y, +Pitch turns +X toward +Z). The OBJ file holds a
# T3D point (x, y, z) as (x, -y, z), Z up, in Unreal units; the glTF file holds it as
# (x, z, y) x scale, Y up, in metres. So the eye and a point ahead of it are written out both
# ways: f3d's options for the OBJ file, then for the glTF file.
camera() {  # start name
  python3 - "$level" "$1" "$eye_height" "$scale" <<'EOF'
import math, re, sys
level, start, eye_height, scale = sys.argv[1], sys.argv[2], float(sys.argv[3]), float(sys.argv[4])
text = open(level, encoding="latin-1").read()
pattern = r"^\s*Begin Actor Class=\w+ Name=" + re.escape(start) + r"\s(.*?)^\s*End Actor"
block = re.search(pattern, text, re.S | re.M)
if not block:
    sys.exit(f"no actor named {start} in {level}")
def values(key, names):  # a T3D (A=1,B=2) value; a name left out is 0
    found = re.search(r"^\s*" + key + r"=\(([^)]*)\)", block.group(1), re.M)
    pairs = dict(re.findall(r"(\w+)=([-+.\d]+)", found.group(1))) if found else {}
    return [float(pairs.get(n, 0)) for n in names]
x, y, z = values("Location", "XYZ")
z += eye_height
pitch, yaw = (a * 2 * math.pi / 65536 for a in values("Rotation", ["Pitch", "Yaw"]))
ahead = 100  # the focal point, on the line of sight
fx = x + ahead * math.cos(pitch) * math.cos(yaw)
fy = y + ahead * math.cos(pitch) * math.sin(yaw)
fz = z + ahead * math.sin(pitch)
def text_of(*point):
    return ",".join(f"{c:.6f}" for c in point)
s = scale
print(text_of(x, -y, z), text_of(fx, -fy, fz), text_of(x * s, z * s, y * s),
      text_of(fx * s, fz * s, fy * s))
EOF
}

render() {  # picture, file, then f3d's camera options
  local picture=$1 file=$2
  shift 2
  xvfb-run -a -s "-screen 0 1280x1024x24" f3d --resolution "$resolution" --fxaa \
    --camera-view-angle "$view_angle" "$@" --output "$picture" "$file"
}
# Sets the f3d options of both files' cameras for a start: obj_camera and gltf_camera.
# f3d lights OBJ materials with full ambient light (the MTL's "Ka 1 1 1") besides its light at
# the camera; glTF materials have no ambient term, so the glTF picture gets a plain white
# surrounding (f3d's environment image) that lights every side alike.
cameras_of() {  # start name
  local points obj_eye obj_focus gltf_eye gltf_focus
  points=$(camera "$1")
  read -r obj_eye obj_focus gltf_eye gltf_focus <<<"$points"
  obj_camera=(--up=+Z --camera-position "$obj_eye" --camera-focal-point "$obj_focus"
    --camera-view-up "0,0,1")
  gltf_camera=(--up=+Y --camera-position "$gltf_eye" --camera-focal-point "$gltf_focus"
    --camera-view-up "0,1,0" --hdri "$work/white.png")
}

cameras_of "$start"
render docs/world-inside.png "$work/world/$name.obj" "${obj_camera[@]}"
render docs/brushes-inside.png "$work/brushes/$name.obj" "${obj_camera[@]}"
cameras_of "$second_start"
render docs/obj-textured.png "$work/world/$name.obj" "${obj_camera[@]}"
render docs/gltf-textured.png "$work/world/$name.glb" "${gltf_camera[@]}"
echo "wrote docs/world-inside.png, docs/brushes-inside.png, docs/obj-textured.png and" \
  "docs/gltf-textured.png"
