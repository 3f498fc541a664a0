#!/usr/bin/env bash
# A window whose GL format lacks a depth buffer, or double buffering, ends the show with the
# "FATAL ERROR" box, error.txt and a non-zero exit; stderr says what the format lacks.
# SDL is made to use such an X visual (SDL_VIDEO_X11_WINDOW_VISUALID); the visual is looked up
# with GLX through python3's ctypes.
set -u
build=$1
work=$(mktemp -d)
demo=""
xvfb=""
trap 'kill -9 $xvfb $demo 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/lib/xvfb.sh"
start_xvfb
cd "$work"
failures=0

# Prints the id of an RGBA visual with 8-bit channels, a depth buffer or not ($1: 1 or 0), and
# double buffering or not ($2).
find_visual() {
  python3 - "$1" "$2" <<'PY'
import ctypes, sys
x, gl = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libGL.so.1")
class VisualInfo(ctypes.Structure):
    _fields_ = [("visual", ctypes.c_void_p), ("visualid", ctypes.c_ulong), ("screen", ctypes.c_int),
                ("depth", ctypes.c_int), ("cls", ctypes.c_int), ("masks", ctypes.c_ulong * 3),
                ("colormap_size", ctypes.c_int), ("bits_per_rgb", ctypes.c_int)]
x.XOpenDisplay.restype = ctypes.c_void_p
x.XGetVisualInfo.restype = ctypes.POINTER(VisualInfo)
x.XGetVisualInfo.argtypes = [ctypes.c_void_p, ctypes.c_long, ctypes.c_void_p, ctypes.POINTER(ctypes.c_int)]
gl.glXGetConfig.argtypes = [ctypes.c_void_p, ctypes.POINTER(VisualInfo), ctypes.c_int, ctypes.POINTER(ctypes.c_int)]
display = x.XOpenDisplay(None)
count = ctypes.c_int()
visuals = x.XGetVisualInfo(display, 0, None, ctypes.byref(count))
def config(v, attribute):
    value = ctypes.c_int()
    return value.value if gl.glXGetConfig(display, v, attribute, ctypes.byref(value)) == 0 else -1
GLX_USE_GL, GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, GLX_DEPTH_SIZE = 1, 4, 5, 8, 12
for i in range(count.value):
    v = ctypes.byref(visuals[i])
    if (config(v, GLX_USE_GL) == 1 and config(v, GLX_RGBA) == 1 and config(v, GLX_RED_SIZE) == 8
            and (config(v, GLX_DEPTH_SIZE) > 0) == (sys.argv[1] == "1")
            and config(v, GLX_DOUBLEBUFFER) == int(sys.argv[2])):
        print(hex(visuals[i].visualid))
        break
PY
}

# Runs the show on visual $2 and expects the failure, with $3 on stderr.
expect_format_refused() {
  local name=$1 visual=$2 reason=$3
  fail() { echo "FAIL ($name): $*"; echo "--- stderr"; head -c 3000 err.txt; failures=$((failures + 1)); }
  [ -n "$visual" ] || { fail "the display offers no such visual"; return; }
  rm -f error.txt
  SDL_VIDEO_X11_WINDOW_VISUALID=$visual SDL_AUDIODRIVER=dummy timeout -k 2 30 "$build/demo640" \
    >out.txt 2>err.txt &
  demo=$!
  # xdotool's search skips SDL's message box window, so it is looked up in the window tree.
  local box=""
  for _ in $(seq 100); do
    box=$(xwininfo -root -tree 2>/dev/null | awk '/"FATAL ERROR"/ { print $1; exit }')
    [ -n "$box" ] && break
    kill -0 $demo 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$box" ] && xdotool key --window "$box" Return
  wait $demo
  local code=$?
  [ -n "$box" ] || { fail "no message box appeared (exit $code)"; return; }
  [ "$code" -eq 1 ] || { fail "exit code $code"; return; }
  printf 'ChoosePixelFormat failed\n\n' | cmp -s - error.txt || { fail "error.txt: $(od -c error.txt 2>&1 | head -3)"; return; }
  grep -q "$reason" err.txt || { fail "stderr does not say: $reason"; return; }
  echo "ok ($name): box, error.txt, exit 1, stderr says: $reason"
}

expect_format_refused "no depth buffer" "$(find_visual 0 1)" "no depth buffer"
expect_format_refused "single-buffered" "$(find_visual 1 0)" "not double-buffered"
[ "$failures" -eq 0 ]
