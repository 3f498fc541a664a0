#!/usr/bin/env bash
# The ES 2.0 renderer end to end, on llvmpipe:
# 1. stills of every scene and of the closing sequence (the golden stills' moments, two a part)
#    through both renderers with demo-capture; each gles2 still is within 40 dB PSNR of its gl1
#    still, with no more than 0.5 % of its pixels more than 8 levels off;
# 2. the show on an X display (GLX, an ES 2.0 context) plays with --renderer gles2: a picture
#    reaches the screen and the show ends by itself at the song's end;
# 3. a driver with neither an ES 2.0 context nor ES 2.0 compatibility gets the "FATAL ERROR"
#    message and error.txt, as the other display failures do.
# SHOW_GLES2_SIZE (default 640x480) and SHOW_GLES2_FPS (default 15) set the capture.
set -u
build=$1
source_dir=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/require.sh"
require_programs timeout ffmpeg python3 cmp od "$build/demo-capture" "$build/demo640"
work=$(mktemp -d)
demo=""
xvfb=""
trap 'kill -9 $xvfb $demo 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
size=${SHOW_GLES2_SIZE:-640x480}
fps=${SHOW_GLES2_FPS:-15}

# 1. Stills.
shots=()
names=()
while read -r order row name; do
  [[ -z $order || $order == \#* ]] && continue
  names+=("$name")
done <"$source_dir/tests/golden/shots.txt"
for renderer in gl1 gles2; do
  mkdir -p "$renderer"
  args=()
  while read -r order row name; do
    [[ -z $order || $order == \#* ]] && continue
    args+=(--shot "$order:$row:$renderer/$name.png")
  done <"$source_dir/tests/golden/shots.txt"
  SDL_AUDIODRIVER=dummy timeout -k 5 900 "$build/demo-capture" --renderer "$renderer" \
    --size "$size" --fps "$fps" "${args[@]}" >"$renderer.out" 2>"$renderer.err"
  code=$?
  if [ "$code" -ne 0 ]; then
    fail "demo-capture --renderer $renderer exited with $code"
    tail -5 "$renderer.err"
  fi
done
for name in "${names[@]}"; do
  if [ ! -f "gl1/$name.png" ] || [ ! -f "gles2/$name.png" ]; then
    fail "no still $name from both renderers"
    continue
  fi
  python3 "$here/lib/compare_stills.py" "gl1/$name.png" "gles2/$name.png" 40 0.005 8 ||
    fail "still $name differs"
done
# Stills to look at by hand: SHOW_GLES2_KEEP=DIR copies them there.
if [ -n "${SHOW_GLES2_KEEP:-}" ]; then
  mkdir -p "$SHOW_GLES2_KEEP" && cp -r gl1 gles2 "$SHOW_GLES2_KEEP/"
fi

# 2. The show on an X display through GLX, from near the end of the song: a picture reaches the
#    screen (grabbed from the X server while it plays), the show ends by itself when the song
#    does, with code 0, and says nothing of a display failure. Merely running for a while would
#    also be a program that hangs or draws nothing.
source "$here/lib/xvfb.sh"
start_xvfb
rm -f error.txt
SDL_AUDIODRIVER=dummy timeout -k 2 60 "$build/demo640" --renderer gles2 --start 32:64 \
  >x11.out 2>x11.err &
demo=$!
brightest=0
grabs=0
while kill -0 "$demo" 2>/dev/null; do
  level=$(ffmpeg -v error -f x11grab -i "$DISPLAY" -frames:v 1 -f rawvideo -pix_fmt gray - |
    python3 -c 'import sys; d = sys.stdin.buffer.read(); print(sum(d) // len(d) if d else -1)')
  [ "${level:--1}" -ge 0 ] && grabs=$((grabs + 1))
  [ "${level:--1}" -gt "$brightest" ] && brightest=$level
  sleep 0.3
done
wait "$demo"
code=$?
demo=""
[ "$code" -eq 0 ] || { fail "demo640 --renderer gles2 on X did not end by itself with 0 but $code"; cat x11.err; }
[ "$grabs" -gt 0 ] || fail "the X screen could not be grabbed (ffmpeg without x11grab?)"
[ "$brightest" -ge 10 ] || fail "demo640 --renderer gles2 on X showed no picture (mean grey $brightest)"
grep -q "FATAL\|ERROR" x11.err && { fail "demo640 --renderer gles2 on X reported an error"; cat x11.err; }
[ -f error.txt ] && fail "demo640 --renderer gles2 on X wrote error.txt"

# 3. Neither an ES 2.0 context (Mesa offers ES 1.1 at most) nor a desktop context with ES 2.0
#    compatibility (version 3.0, the extension taken away).
rm -f error.txt
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy MESA_GLES_VERSION_OVERRIDE=1.1 \
  MESA_GL_VERSION_OVERRIDE=3.0 MESA_EXTENSION_OVERRIDE=-GL_ARB_ES2_compatibility \
  timeout -k 2 20 "$build/demo640" --renderer gles2 >noes.out 2>noes.err
code=$?
[ "$code" -ne 0 ] && [ "$code" -ne 124 ] && [ "$code" -ne 137 ] || fail "without ES 2.0: exit code $code"
if [ -f error.txt ]; then
  printf '3d-card does not support OpenGL ES 2.0\n\n' | cmp -s - error.txt ||
    fail "without ES 2.0: error.txt holds $(od -c error.txt | head -3)"
else
  fail "without ES 2.0: no error.txt"
fi
grep -q "FATAL ERROR: 3d-card does not support OpenGL ES 2.0" noes.err ||
  { fail "without ES 2.0: stderr lacks the message"; cat noes.err; }
# The same overrides leave the GL 1.1 path alone.
rm -f error.txt
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy MESA_GLES_VERSION_OVERRIDE=1.1 \
  MESA_GL_VERSION_OVERRIDE=3.0 MESA_EXTENSION_OVERRIDE=-GL_ARB_ES2_compatibility \
  timeout -k 2 5 "$build/demo640" >gl1.out 2>gl1.err
[ -f error.txt ] && fail "gl1 under the same overrides wrote error.txt: $(cat error.txt)"

[ "$failures" -eq 0 ] || exit 1
echo "ok: ${#names[@]} stills match between the renderers, the ES 2.0 show plays on X, and a driver without ES 2.0 is refused"
