#!/usr/bin/env bash
# Builds the show for the browser and packs dist/show-web/ and dist/show-web.zip: the page
# (web/index.html), the show (show.js and show.wasm) and the data package (show.data). Any static
# web server can serve the folder.
#
# Needs Debian's Emscripten (scripts/web-setup.sh installs it). The libraries are built once into
# a cache (scripts/web-deps.sh); the data set comes from the native build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
[ $# -eq 0 ] || { echo "usage: build-web.sh" >&2; exit 2; }
JOBS=${SHOW_WEB_JOBS:-2}
NATIVE=${SHOW_NATIVE_BUILD:-build}
CROSS=${SHOW_WEB_BUILD:-build-web}
PROGRAM=demo640
DIST=dist/show-web

command -v emcmake >/dev/null || { echo "build-web: Emscripten is missing: run scripts/web-setup.sh" >&2; exit 1; }
# emcc runs on Node.js and needs Debian's JavaScript modules, which another Node.js does not find.
export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs

deps=$(scripts/web-deps.sh | tail -1)

# The data set is made by the generator on this machine, as in the native build.
if [ ! -f "$NATIVE/CMakeCache.txt" ]; then
  cmake -S . -B "$NATIVE" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
fi
cmake --build "$NATIVE" -j"$JOBS" --target data

emcmake cmake -S . -B "$CROSS" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHOW_WEB_DEPS="$deps" \
  -DSHOW_NATIVE_DATA_DIR="$ROOT/$NATIVE/data" >/dev/null
cmake --build "$CROSS" -j"$JOBS" --target "$PROGRAM" data-package

rm -rf "$DIST" "$DIST.zip"
mkdir -p "$DIST"
cp web/index.html web/*.js "$DIST/"
cp "$CROSS/show.js" "$CROSS/show.wasm" "$CROSS/show.data" "$DIST/"
(cd dist && zip -q -r -X show-web.zip show-web)

# What a browser downloads: each file as it is and compressed (as servers send it).
total=0
gzipped=0
for f in "$DIST"/*; do
  size=$(stat -c %s "$f")
  packed=$(gzip -9 -c "$f" | wc -c)
  total=$((total + size))
  gzipped=$((gzipped + packed))
  printf 'build-web: %-28s %9d bytes, %9d gzip\n' "${f#"$DIST"/}" "$size" "$packed"
done
printf 'build-web: %-28s %9d bytes, %9d gzip\n' "total" "$total" "$gzipped"
echo "build-web: $ROOT/$DIST.zip ($(du -k "$DIST.zip" | cut -f1) KiB)"
