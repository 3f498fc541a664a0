#!/usr/bin/env bash
# Fetches zlib, libpng, SDL2 and libopenmpt from Debian's source packages and builds them once for
# WebAssembly with Debian's Emscripten into a cache keyed by their versions (and the compiler's);
# prints the prefix path on the last line.
#
# The sources are pinned by version and by the SHA-256 of each package's .dsc file; apt checks the
# .dsc against the archive's signed index, and dpkg-source checks every tarball against the .dsc.
# Emscripten's own ports (-sUSE_SDL=2 and the like) download from the internet: never used here.
# The cache lives outside build/ (SHOW_WEB_DEPS_CACHE, else $XDG_CACHE_HOME or ~/.cache), so a
# clean build of the show does not rebuild the dependencies.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)

# package version sha256-of-the-.dsc
PINS=(
  "zlib 1:1.2.13.dfsg-1 3fa1e6b2fc525062aa88207dda52fed8e045373c809d362fe8a2bfbf7cf515a8"
  "libpng1.6 1.6.39-2+deb12u5 7b86211030a34deb6b0a2cd7e1d9db0fe92443fd30cab537fb89b1e7f7c9f188"
  "libsdl2 2.26.5+dfsg-1 95b9a18130d98164e7856eca8ac1a2eb65d822ac4872ef8862ceed2cb1662136"
  "libopenmpt 0.6.9-1 f0504c2883443edfe81df5a8940b281707a223304f68dc2d53b37b617cc1e557"
)
# Raise when the way the libraries are built changes (this script, cmake/web/libopenmpt.cmake),
# so that the cache is rebuilt.
RECIPE=1
JOBS=${SHOW_WEB_DEPS_JOBS:-2}

say() { echo "web-deps: $*" >&2; }
fail() {
  say "$*"
  exit 1
}

for tool in emcc emcmake emconfigure emmake apt-get dpkg-source cmake ninja make; do
  command -v "$tool" >/dev/null || fail "$tool is missing (run scripts/web-setup.sh)"
done
# emcc runs on Node.js and needs Debian's JavaScript modules (acorn), which a Node.js not from
# Debian does not look for by itself.
export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs

# The libraries are only valid for the compiler that built them: its version is part of the key.
emscripten=$(dpkg-query -W -f='${Version}' emscripten 2>/dev/null || emcc -dumpversion)
key="r$RECIPE-emscripten-$emscripten"
for pin in "${PINS[@]}"; do
  read -r name version _ <<<"$pin"
  key="$key-$name-$version"
done
key=${key//[^A-Za-z0-9._+-]/_}
CACHE=${SHOW_WEB_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/show-web-deps}
PREFIX=$CACHE/$key

mkdir -p "$CACHE"
exec 9>"$CACHE/.lock"
flock 9
if [ -f "$PREFIX/.complete" ]; then
  echo "$PREFIX"
  exit 0
fi

WORK=$CACHE/.work-$key
rm -rf "$WORK" "$PREFIX"
mkdir -p "$WORK/apt/lists/partial" "$WORK/apt/cache/archives/partial" "$WORK/src"

source "$ROOT/scripts/lib/debsource.sh"
debsource_open "$WORK"

cd "$WORK/src"
debsource_fetch "${PINS[@]}"

cmake_build() { # source-folder build-folder cmake-options...
  local src=$1 bld=$2
  shift 2
  nice emcmake cmake -S "$src" -B "$bld" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF "$@" >&2 || fail "$src: configuring failed"
  nice cmake --build "$bld" -j"$JOBS" >&2 || fail "$src: building failed"
  cmake --install "$bld" >&2 || fail "$src: installing failed"
}

say "building zlib"
# Its own configure: the package's CMake build refers to Windows resources Debian removed.
(
  cd zlib
  CFLAGS=-O2 nice emconfigure ./configure --static --prefix="$PREFIX" >&2
  nice emmake make -j"$JOBS" libz.a >&2
  make install >&2
) || fail "zlib: building failed"

say "building libpng"
# No SIMD filters: the platform detection sees "x86" and would compile SSE code.
cmake_build libpng1.6 build-png -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include"

say "building SDL2"
# Only what the show uses: video with WebGL (OpenGL ES 2), events, audio (Web Audio), timers and
# the base path. Every subsystem switched off saves its trial compiles, and each trial costs a
# whole emcc run. Trials only compile, not link: a link runs Emscripten's whole JavaScript
# back end and takes twice as long, and a function that is declared but missing still fails at
# the final link of the program.
cmake_build libsdl2 build-sdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY \
  -DSDL_RENDER=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_POWER=OFF \
  -DSDL_THREADS=OFF -DSDL_SENSOR=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_DISKAUDIO=OFF \
  -DSDL_DUMMYVIDEO=OFF -DSDL_OFFSCREEN=OFF -DSDL_OPENGL=OFF -DSDL_SYSTEM_ICONV=OFF

say "building libopenmpt"
cp "$ROOT/cmake/web/libopenmpt.cmake" libopenmpt/CMakeLists.txt
cmake_build libopenmpt build-openmpt

touch "$PREFIX/.complete"
cd /
rm -rf "$WORK"
say "dependencies ready in $PREFIX"
echo "$PREFIX"
