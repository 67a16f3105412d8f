#!/usr/bin/env bash
# Renders a corpus level converted with and without brush transforms, from one viewpoint, into
# docs/brush-transforms-on.png and docs/brush-transforms-off.png (f3d under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
level="${1:-../shared/corpus/map-ue2.t3d}"

[ -x build/src/cli/brushwright-convert ] || scripts/build.sh
if ! command -v f3d >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y -q --no-install-recommends f3d
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert=build/src/cli/brushwright-convert
"$convert" -q --subtractive -o "$work/on.obj" "$level"
"$convert" -q --subtractive --no-brush-transforms -o "$work/off.obj" "$level"

# One camera for both pictures: aimed at the centre of the transformed level, from above at an
# angle, far enough away to see all of it.
read -r cx cy cz size < <(awk '$1 == "v" {
    if (n++ == 0) { x0 = x1 = $2; y0 = y1 = $3; z0 = z1 = $4 }
    if ($2 < x0) x0 = $2; if ($2 > x1) x1 = $2
    if ($3 < y0) y0 = $3; if ($3 > y1) y1 = $3
    if ($4 < z0) z0 = $4; if ($4 > z1) z1 = $4 }
  END { s = x1 - x0; if (y1 - y0 > s) s = y1 - y0; if (z1 - z0 > s) s = z1 - z0
        print (x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2, s }' "$work/on.obj")
camera=$(awk -v x="$cx" -v y="$cy" -v z="$cz" -v s="$size" \
  'BEGIN { d = 1.9 * s; printf "%f,%f,%f", x + 0.55 * d, y - 0.6 * d, z + 0.58 * d }')

for kind in on off; do
  xvfb-run -a -s "-screen 0 1280x1024x24" f3d --geometry-only --up=+Z --edges \
    --resolution 800,600 --camera-position "$camera" --camera-focal-point "$cx,$cy,$cz" \
    --camera-view-up 0,0,1 --output "docs/brush-transforms-$kind.png" "$work/$kind.obj"
done
echo "wrote docs/brush-transforms-on.png and docs/brush-transforms-off.png"
