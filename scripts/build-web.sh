#!/usr/bin/env bash
# Builds the show for the browser and packs dist/show-web/ and dist/show-web.zip: the page
# (web/index.html and its scripts), the show (show.HASH.js and show.HASH.wasm), the data package
# (show.HASH.data), the still that a shared link shows (still.HASH.png), and a .gz and a .br copy
# of each file that compresses. Any static web server can serve the folder; scripts/serve-web.py
# serves it as ./run --web does.
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
cmake --build "$NATIVE" -j"$JOBS" --target data demo-capture

emcmake cmake -S . -B "$CROSS" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHOW_WEB_DEPS="$deps" \
  -DSHOW_NATIVE_DATA_DIR="$ROOT/$NATIVE/data" >/dev/null
cmake --build "$CROSS" -j"$JOBS" --target "$PROGRAM" data-package

# The still that a shared link to the page shows: the Blob over its spiral, 1200 x 630 as link
# previews want it (the show keeps 4:3 inside, with bars), drawn by the native capture tool. It is
# drawn again only when the tool or the data set changed.
STILL_AT=4:70
still=$CROSS/link-still.png
if [ ! -f "$still" ] || [ "$NATIVE/demo-capture" -nt "$still" ] || [ "$NATIVE/data/.stamp" -nt "$still" ]; then
  rm -f "$still"
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$NATIVE/demo-capture" --size 1200x630 \
    --start "$STILL_AT" --shot "$STILL_AT:$still" >"$CROSS/link-still.log" 2>&1 || {
    echo "build-web: $NATIVE/demo-capture could not draw the link still $still (what it said: $CROSS/link-still.log)" >&2
    exit 1
  }
fi

rm -rf "$DIST" "$DIST.zip"
mkdir -p "$DIST"
cp web/index.html web/*.js "$DIST/"
# The big files are named by their content, so that a browser may keep them for good and a page
# never mixes two builds: index.html, which is asked for again each time, names the new ones.
# The page's small scripts keep their names (they import each other by name) and are served with
# no-cache instead: a browser asks whether they changed, which costs a request and no download.
hashed() {  # FILE STEM EXT: copies FILE to $DIST/STEM.HASH.EXT and says that name
  local name
  name=$2.$(sha256sum "$1" | cut -c1-12).$3
  cp "$1" "$DIST/$name"
  echo "$name"
}
js=$(hashed "$CROSS/show.js" show js)
wasm=$(hashed "$CROSS/show.wasm" show wasm)
data=$(hashed "$CROSS/show.data" show data)
image=$(hashed "$still" still png)
sed -i -e "s/\"show\.js\"/\"$js\"/" -e "s/\"show\.wasm\"/\"$wasm\"/" -e "s/\"show\.data\"/\"$data\"/" \
  -e "s/\"still\.png\"/\"$image\"/" \
  -e "s/\"bytes\": 0/\"bytes\": $(($(stat -c %s "$DIST/$wasm") + $(stat -c %s "$DIST/$data")))/" "$DIST/index.html"
for name in "$js" "$wasm" "$data" "$image"; do
  grep -q "\"$name\"" "$DIST/index.html" ||
    { echo "build-web: web/index.html does not name ${name%%.*}.${name##*.} in quotes, so the page cannot find $name" >&2; exit 1; }
done

# A gzip (-9, no name or time in it) and a Brotli copy beside each file, for servers that send
# them to browsers that take them; a copy no smaller than its file is left out. Made once per
# content: the copies are kept in $CROSS/compressed/ by the file's hash.
CACHE=$CROSS/compressed
mkdir -p "$CACHE"
command -v brotli >/dev/null || echo "build-web: no brotli program (Debian's brotli package), so no .br copies"
for f in "$DIST"/*; do
  key=$CACHE/$(sha256sum "$f" | cut -c1-64)
  if [ ! -f "$key.gz" ]; then
    gzip -9 -n -c "$f" >"$key.gz.$$" && mv "$key.gz.$$" "$key.gz"
  fi
  if [ ! -f "$key.br" ] && command -v brotli >/dev/null; then
    brotli -q 11 -c "$f" >"$key.br.$$" && mv "$key.br.$$" "$key.br"
  fi
  for c in gz br; do
    [ -f "$key.$c" ] && [ "$(stat -c %s "$key.$c")" -lt "$(stat -c %s "$f")" ] && cp "$key.$c" "$f.$c"
    touch -c "$key.$c"
  done
done
# Copies of files this build no longer has go after a week.
find "$CACHE" -type f -mtime +7 -delete
# The zip is the show to hand on: the files alone, without the copies (a host makes its own).
(cd dist && zip -q -r -X show-web.zip show-web -x '*.gz' '*.br')

# What a browser downloads: each file as it is and as a server with the copies sends it.
total=0 gzipped=0 brotlied=0
for f in "$DIST"/*; do
  case $f in *.gz|*.br) continue ;; esac
  size=$(stat -c %s "$f")
  gz=$size br=$size
  [ -f "$f.gz" ] && gz=$(stat -c %s "$f.gz")
  [ -f "$f.br" ] && br=$(stat -c %s "$f.br")
  printf 'build-web: %-28s %9d bytes, %9d gzip, %9d brotli\n' "${f#"$DIST"/}" "$size" "$gz" "$br"
  # The still is for link previews; the page never loads it.
  [ "$f" = "$DIST/$image" ] && continue
  total=$((total + size)) gzipped=$((gzipped + gz)) brotlied=$((brotlied + br))
done
printf 'build-web: %-28s %9d bytes, %9d gzip, %9d brotli\n' "the page loads" "$total" "$gzipped" "$brotlied"
echo "build-web: $ROOT/$DIST.zip ($(du -k "$DIST.zip" | cut -f1) KiB)"
