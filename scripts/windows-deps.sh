#!/usr/bin/env bash
# Fetches SDL2, libpng, libopenmpt and GoogleTest from Debian's source packages and cross-builds them
# once for Windows x86-64 into a cache keyed by their versions; prints the prefix path on the last line.
# With --bench, Google Benchmark is added to the same prefix (for measuring the scenes under Wine).
#
# The sources are pinned by version and by the SHA-256 of each package's .dsc file; apt checks the
# .dsc against the archive's signed index, and dpkg-source checks every tarball against the .dsc.
# The cache lives outside build/ (SHOW_WINDOWS_DEPS_CACHE, else $XDG_CACHE_HOME or ~/.cache), so a
# clean build of the show does not rebuild the dependencies.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TOOLCHAIN=$ROOT/cmake/mingw-w64-x86_64.cmake

# package version sha256-of-the-.dsc
PINS=(
  "libsdl2 2.26.5+dfsg-1 95b9a18130d98164e7856eca8ac1a2eb65d822ac4872ef8862ceed2cb1662136"
  "libpng1.6 1.6.39-2+deb12u5 7b86211030a34deb6b0a2cd7e1d9db0fe92443fd30cab537fb89b1e7f7c9f188"
  "libopenmpt 0.6.9-1 f0504c2883443edfe81df5a8940b281707a223304f68dc2d53b37b617cc1e557"
  "googletest 1.12.1-0.2 cc90251040c145be18d5090787d9ec79e48217c6cef3ae78eb20f0e31551404c"
)
# Only with --bench.
BENCH_PIN="benchmark 1.7.1-1 14113b4e003a69ed226525bdcb283c57082497dd1d581af72d84f50f1c1e59d5"
# Raise when the way the libraries are built changes, so that the cache is rebuilt.
RECIPE=1
JOBS=${SHOW_WINDOWS_DEPS_JOBS:-2}

key="r$RECIPE"
for pin in "${PINS[@]}"; do
  read -r name version _ <<<"$pin"
  key="$key-$name-$version"
done
key=${key//[^A-Za-z0-9._+-]/_}
CACHE=${SHOW_WINDOWS_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/show-windows-deps}
PREFIX=$CACHE/$key
with_bench=0
[ "${1:-}" = "--bench" ] && with_bench=1
read -r _ bench_version _ <<<"$BENCH_PIN"
BENCH_STAMP=$PREFIX/.complete-benchmark-$bench_version

say() { echo "windows-deps: $*" >&2; }
fail() {
  say "$*"
  exit 1
}

mkdir -p "$CACHE"
exec 9>"$CACHE/.lock"
flock 9
if [ -f "$PREFIX/.complete" ] && { [ "$with_bench" = 0 ] || [ -f "$BENCH_STAMP" ]; }; then
  echo "$PREFIX"
  exit 0
fi

for tool in x86_64-w64-mingw32-g++-posix apt-get dpkg-source cmake ninja; do
  command -v "$tool" >/dev/null || fail "$tool is missing (run scripts/windows-setup.sh)"
done

WORK=$CACHE/.work-$key
rm -rf "$WORK"
mkdir -p "$WORK/apt/lists/partial" "$WORK/apt/cache/archives/partial" "$WORK/src"

source "$ROOT/scripts/lib/debsource.sh"
debsource_open "$WORK"

export SHOW_WINDOWS_DEPS=$PREFIX
cmake_build() { # source-folder build-folder cmake-options...
  local src=$1 bld=$2
  shift 2
  nice cmake -S "$src" -B "$bld" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF "$@" >&2
  nice cmake --build "$bld" -j"$JOBS" >&2
  cmake --install "$bld" >&2
}

cd "$WORK/src"
if [ ! -f "$PREFIX/.complete" ]; then
  rm -rf "$PREFIX"
  debsource_fetch "${PINS[@]}"

  say "building SDL2"
  cmake_build libsdl2 build-sdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF

  say "building libpng"
  cmake_build libpng1.6 build-png -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include

  say "building GoogleTest"
  cmake_build googletest build-gtest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON

  say "building libopenmpt"
  (
    cd libopenmpt
    # Only the library: no codecs, no audio output of its own, no player, examples, tests or docs.
    PKG_CONFIG_LIBDIR=/nonexistent nice ./configure --host=x86_64-w64-mingw32 --prefix="$PREFIX" \
      --disable-shared --enable-static --disable-openmpt123 --disable-examples --disable-tests \
      --disable-doxygen-doc --without-zlib --without-mpg123 --without-ogg --without-vorbis \
      --without-vorbisfile --without-pulseaudio --without-portaudio --without-portaudiocpp \
      --without-sndfile --without-flac CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix \
      CFLAGS=-O2 CXXFLAGS=-O2 >&2
    nice make -j"$JOBS" >&2
    make install >&2
  )
  x86_64-w64-mingw32-strip --strip-debug "$PREFIX"/lib/*.a
  touch "$PREFIX/.complete"
fi

if [ "$with_bench" = 1 ] && [ ! -f "$BENCH_STAMP" ]; then
  debsource_fetch "$BENCH_PIN"
  say "building Google Benchmark"
  cmake_build benchmark build-benchmark -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
    -DBENCHMARK_ENABLE_WERROR=OFF -DGIT_VERSION="${bench_version%%-*}"
  touch "$BENCH_STAMP"
fi

cd /
rm -rf "$WORK"
say "dependencies ready in $PREFIX"
echo "$PREFIX"
