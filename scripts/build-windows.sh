#!/usr/bin/env bash
# Cross-builds the Windows programs (brushwright.exe, brushwright-convert.exe, the image module
# DLL) and their tests into build-windows/ with Debian's MinGW-w64. wxWidgets 3.2 for Windows and
# the image libraries it reads with (libpng, libjpeg-turbo, libtiff; zlib comes from Debian's
# MinGW package) are built once, static, from Debian's own source packages, into a cache folder
# outside the work tree named after their versions, and taken from there on later runs:
#   ${BRUSHWRIGHT_CACHE:-~/.cache/brushwright}/windows-<versions>/
# Usage: scripts/build-windows.sh [--third-party-only] [TARGET...]
# Without targets everything is built. The machine's apt sources are left alone: the source
# packages come through a private source list and private package lists under the cache folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" windows

third_party_only=false
if [ "${1:-}" = "--third-party-only" ]; then
  third_party_only=true
  shift
fi

host=x86_64-w64-mingw32
jobs=$(nproc)
cache=${BRUSHWRIGHT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/brushwright}
# The source packages, at the versions of Debian 12 this build was made with. Raise recipe when
# the way they are built changes, so that an old cache is not taken for a new one.
sources=(wxwidgets3.2=3.2.2+dfsg-2 libpng1.6=1.6.39-2+deb12u5 libjpeg-turbo=1:2.1.5-2
  tiff=4.5.0-6+deb12u4)
recipe=2
gcc_version=$("$host-gcc-posix" -dumpversion)
zlib_version=$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev)
key="wx3.2.2-png1.6.39-jpeg2.1.5-tiff4.5.0-zlib${zlib_version}-gcc${gcc_version}-r${recipe}"
key=$(printf '%s' "$key" | tr -c 'A-Za-z0-9.+_-' '_')
prefix="$cache/windows-$key"
mkdir -p "$cache"

# apt-get with a list of deb-src lines of our own; nothing of the machine's apt state changes.
apt_private() {
  local dir="$cache/apt-sources"
  mkdir -p "$dir/lists/partial" "$dir/archives/partial"
  cat >"$dir/sources.list" <<'EOF'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
EOF
  apt-get -q -o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts=- \
    -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir" -o Dir::Cache::archives="$dir/archives" \
    -o APT::Sandbox::User=root "$@"
}

# Downloads the source packages (once) and unpacks them, with Debian's patches, under $work.
fetch_sources() {
  local downloads="$cache/source-packages"
  mkdir -p "$downloads"
  local missing=()
  for source in "${sources[@]}"; do
    local name=${source%%=*} version=${source#*=}
    version=${version#*:}
    [ -f "$downloads/${name}_${version}.dsc" ] || missing+=("$source")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    apt_private update >/dev/null
    for source in "${missing[@]}"; do
      # A Debian revision the archive no longer serves gives way to the one it serves now, of
      # the same upstream version (the folder name above names upstream versions only).
      (cd "$downloads" && { apt_private source --download-only "$source" >/dev/null ||
        apt_private source --download-only "${source%%=*}" >/dev/null; })
    done
  fi
  for source in "${sources[@]}"; do
    local name=${source%%=*} version=${source#*=}
    version=${version#*:}
    local dsc="$downloads/${name}_${version}.dsc"
    [ -f "$dsc" ] || dsc=$(ls "$downloads/${name}_${version%%-*}"*.dsc | tail -1)
    dpkg-source --no-check -x "$dsc" "$work/$name" >/dev/null
  done
}

build_third_party() {
  work=$(mktemp -d "$cache/build-XXXXXX")
  trap 'rm -rf "$work"' EXIT
  # Libraries finished by an interrupted earlier run are kept.
  local stage="$prefix.partial"
  mkdir -p "$stage/lib" "$stage/include"
  fetch_sources
  local flags="-O2 -g0"
  local cmake_cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake"
    -DCMAKE_CROSSCOMPILING_EMULATOR= -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stage"
    -DCMAKE_C_FLAGS_RELEASE="$flags" -DBRUSHWRIGHT_WINDOWS_PREFIX="$stage" -Wno-dev)
  local configure_cross=(--host="$host" --build="$(gcc -dumpmachine)" --prefix="$stage"
    --disable-shared CFLAGS="$flags" CXXFLAGS="$flags"
    CPPFLAGS="-I$stage/include" LDFLAGS="-L$stage/lib")

  if [ ! -f "$stage/lib/libjpeg.a" ]; then
  echo "libjpeg-turbo" >&2
  cmake -S "$work/libjpeg-turbo" -B "$work/jpeg-build" "${cmake_cross[@]}" -DENABLE_SHARED=OFF \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm >/dev/null
  cmake --build "$work/jpeg-build" -j "$jobs" --target jpeg-static >/dev/null
  # Only the library and its headers: the tools are not wanted.
  cp "$work/jpeg-build/jconfig.h" "$work/libjpeg-turbo/jerror.h" "$work/libjpeg-turbo/jmorecfg.h" \
    "$work/libjpeg-turbo/jpeglib.h" "$stage/include/"
  cp "$work/jpeg-build/libjpeg.a" "$stage/lib/"
  fi

  if [ ! -f "$stage/lib/libpng16.a" ]; then
  echo "libpng" >&2
  (cd "$work/libpng1.6" && ./configure "${configure_cross[@]}" >/dev/null &&
    make -j "$jobs" >/dev/null && make install >/dev/null)
  fi

  if [ ! -f "$stage/lib/libtiff.a" ]; then
  echo "libtiff" >&2
  cmake -S "$work/tiff" -B "$work/tiff-build" "${cmake_cross[@]}" -DBUILD_SHARED_LIBS=OFF \
    -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF -Dlzma=OFF \
    -Dzstd=OFF -Dwebp=OFF -Djbig=OFF -Dlerc=OFF -Dlibdeflate=OFF -Dpixarlog=OFF -Djpeg=ON \
    -Dzlib=ON -DJPEG_INCLUDE_DIR="$stage/include" -DJPEG_LIBRARY="$stage/lib/libjpeg.a" \
    >/dev/null
  cmake --build "$work/tiff-build" -j "$jobs" >/dev/null
  cmake --install "$work/tiff-build" >/dev/null
  fi

  echo "wxWidgets" >&2
  mkdir -p "$work/wx-build"
  (cd "$work/wx-build" && "$work/wxwidgets3.2/configure" "${configure_cross[@]}" --with-msw \
    --with-libpng=sys --with-libjpeg=sys --with-libtiff=sys --with-zlib=sys --with-regex=builtin \
    --without-expat --disable-xrc --disable-html --disable-aui --disable-stc \
    --disable-richtext --disable-propgrid --disable-ribbon --disable-mediactrl --disable-webview \
    --with-opengl --without-libcurl --disable-webrequest --disable-sockets --disable-protocols \
    --disable-url --disable-fs_inet --without-liblzma --without-libmspack \
    --disable-grid --disable-dataviewctrl --disable-calendar --disable-datepick \
    --disable-timepick --disable-treelist --disable-animatectrl --disable-help --disable-htmlhelp \
    --disable-mshtmlhelp --disable-printarch --disable-postscript --disable-svg \
    --disable-debugreport --disable-sound --disable-joystick --disable-wizarddlg \
    --disable-richtooltip --disable-notifmsg --disable-editablebox --disable-hyperlink \
    --disable-commandlinkbutton --disable-bannerwindow --disable-rearrangectrl \
    --disable-addremovectrl --disable-splash --disable-tipwindow \
    --disable-tipdlg --disable-taskbaricon \
    --disable-precomp-headers >/dev/null &&
    make -j "$jobs" >/dev/null && make install >/dev/null)

  # The builds wrote the staging folder's name into wx-config, pkg-config files and links: they
  # name the cache folder instead. Only a complete build becomes the cache folder.
  grep -rlIZ -e "$stage" "$stage" | xargs -0 -r sed -i "s|$stage|$prefix|g"
  find "$stage" -type l | while read -r link; do
    target=$(readlink "$link")
    if [[ "$target" == "$stage"* ]]; then ln -sfn "$prefix${target#"$stage"}" "$link"; fi
  done
  touch "$stage/complete"
  rm -rf "$prefix"
  mv "$stage" "$prefix"
  rm -rf "$work"
  trap - EXIT
}

# The licence texts of the four source packages, for the zip: each one's Debian copyright file
# and the upstream licence files it refers to.
collect_licences() {
  work=$(mktemp -d "$cache/build-XXXXXX")
  trap 'rm -rf "$work"' EXIT
  fetch_sources
  local out="$prefix/licences.partial"
  mkdir -p "$out"
  for source in "${sources[@]}"; do
    cp "$work/${source%%=*}/debian/copyright" "$out/${source%%=*}-debian-copyright.txt"
  done
  cp "$work/wxwidgets3.2/docs/licence.txt" "$out/wxwidgets-licence.txt"
  cp "$work/wxwidgets3.2/docs/lgpl.txt" "$out/wxwidgets-lgpl.txt"
  cp "$work/libpng1.6/LICENSE" "$out/libpng-LICENSE.txt"
  cp "$work/libjpeg-turbo/LICENSE.md" "$out/libjpeg-turbo-LICENSE.md.txt"
  cp "$work/libjpeg-turbo/README.ijg" "$out/libjpeg-turbo-README.ijg.txt"
  cp "$work/tiff/LICENSE.md" "$out/libtiff-LICENSE.md.txt"
  mv "$prefix/licences.partial" "$prefix/licences"
  rm -rf "$work"
  trap - EXIT
}

if [ ! -f "$prefix/complete" ]; then
  started=$(date +%s)
  build_third_party
  echo "third-party libraries built in $(($(date +%s) - started)) s into $prefix" >&2
fi
[ -d "$prefix/licences" ] || collect_licences
$third_party_only && exit 0

cmake -S "$top" -B "$top/build-windows" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DBRUSHWRIGHT_WINDOWS_PREFIX="$prefix" -DwxWidgets_CONFIG_EXECUTABLE="$prefix/bin/wx-config" \
  -DBRUSHWRIGHT_BENCH=OFF -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" >/dev/null
echo "$prefix" >"$top/build-windows/third-party-prefix"
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$top/build-windows" -j "$jobs" "${targets[@]}"
