#!/usr/bin/env bash
# Makes build-windows/brushwright-windows-x64.zip: the Windows programs (built by
# scripts/build-windows.sh when missing), the image module DLL beside them, a short README and the
# licence texts of everything linked into them. Nothing else is needed on the Windows machine.
# Usage: scripts/package-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=$top/build-windows
scripts/build-windows.sh brushwright brushwright-convert
prefix=$(cat "$build/third-party-prefix")

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder=$stage/Brushwright
cmake --install "$build" --prefix "$stage/install" --strip >/dev/null
mkdir -p "$folder/licences"
cp "$stage/install/bin/brushwright.exe" "$stage/install/bin/brushwright-convert.exe" \
  "$stage/install/bin/"*.dll "$folder/"

# Licences: the third-party sources' own (collected when they were built) and those of the
# Debian packages whose code is compiled in: zlib, the MinGW-w64 runtime and winpthreads, GCC's
# runtime libraries (with the GCC Runtime Library Exception), CLI11, tinygltf, RapidJSON, stb.
cp "$prefix/licences/"*.txt "$folder/licences/"
for package in libz-mingw-w64-dev mingw-w64-x86-64-dev gcc-mingw-w64-base libcli11-dev \
  libtinygltf-dev rapidjson-dev libstb-dev; do
  cp "/usr/share/doc/$package/copyright" "$folder/licences/$package.txt"
done

sed 's/$/\r/' >"$folder/README.txt" <<'EOF'
Brushwright for Windows (64-bit)

Converts levels and brushes exported from the Unreal editor as T3D text into Wavefront OBJ + MTL
or one glTF binary file, finds and copies their texture images, and writes a report of the
level's lights, triggers, player starts and teleporters.

brushwright.exe          the window: pick the T3D file (or drop it on the window), press Go
brushwright-convert.exe  the command line: brushwright-convert --help lists every option, e.g.
                         brushwright-convert --output-dir out --texture-type png --report level.t3d
libbrushwright_wximage.dll  decodes and encodes texture images; keep it beside the programs

The window keeps its inputs in %APPDATA%\Brushwright\Brushwright.ini.
The licences of the libraries built into the programs are in the folder "licences".
EOF

rm -f "$build/brushwright-windows-x64.zip"
(cd "$stage" && zip -q -r -X "$build/brushwright-windows-x64.zip" Brushwright)
echo "wrote $build/brushwright-windows-x64.zip ($(du -h "$build/brushwright-windows-x64.zip" | cut -f1))"
