#!/usr/bin/env bash
# Cross-builds the show for Windows and packs dist/show-windows/ and dist/show-windows.zip.
#
#   scripts/build-windows.sh            the programs and the package
#   scripts/build-windows.sh --tests    also the unit tests (run them with scripts/windows-test.sh)
#   scripts/build-windows.sh --bench    also build-windows/show_bench.exe (adds Google Benchmark)
#
# Needs Debian's MinGW-w64 (scripts/windows-setup.sh installs it). The libraries are built once
# into a cache (scripts/windows-deps.sh); the data set comes from the native build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
with_tests=0
bench=OFF
deps_options=()
for option in "$@"; do
  case $option in
    --tests) with_tests=1 ;;
    --bench) bench=ON deps_options=(--bench) ;;
    *) echo "usage: build-windows.sh [--tests] [--bench]" >&2; exit 2 ;;
  esac
done
JOBS=${JOBS:-$(nproc)}
NATIVE=${SHOW_NATIVE_BUILD:-build}
CROSS=${SHOW_WINDOWS_BUILD:-build-windows}
DIST=dist/show-windows

command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
  { echo "build-windows: the MinGW-w64 compiler is missing: run scripts/windows-setup.sh" >&2; exit 1; }

deps=$(scripts/windows-deps.sh "${deps_options[@]}" | tail -1)

# The data set is made by the generator on this machine, as in the native build.
if [ ! -f "$NATIVE/CMakeCache.txt" ]; then
  cmake -S . -B "$NATIVE" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
fi
cmake --build "$NATIVE" -j"$JOBS" --target data

cmake -S . -B "$CROSS" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHOW_BENCH=$bench -DSHOW_WINDOWS_DEPS="$deps" \
  -DSHOW_NATIVE_DATA_DIR="$ROOT/$NATIVE/data" >/dev/null
if [ "$with_tests" = 1 ]; then
  cmake --build "$CROSS" -j"$JOBS"
else
  cmake --build "$CROSS" -j"$JOBS" --target demo640 demo800 demo-inspect data
fi
[ "$bench" = ON ] && cmake --build "$CROSS" -j"$JOBS" --target show_bench

rm -rf "$DIST" "$DIST.zip"
mkdir -p "$DIST"
for program in demo640 demo800 demo-inspect; do
  x86_64-w64-mingw32-strip -o "$DIST/$program.exe" "$CROSS/$program.exe"
done
cp -r "$CROSS/data" "$DIST/data"
rm -f "$DIST/data/.stamp"
# Windows' own line ends, so that Notepad shows the text as written.
sed 's/$/\r/' platform/windows/README.txt >"$DIST/README.txt"
(cd dist && zip -q -r -X show-windows.zip show-windows)
echo "build-windows: $ROOT/$DIST.zip ($(du -k "$DIST.zip" | cut -f1) KiB)"
