#!/usr/bin/env bash
# demo800 on a 1024 x 768 display that cannot switch to 800 x 600: the show still covers the
# whole screen, with the focus, so that Escape ends it without a click.
set -u
build=$1
work=$(mktemp -d)
demo=""
xvfb=""
trap 'kill -9 $xvfb $demo 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/lib/xvfb.sh"
start_xvfb
cd "$work"
SDL_AUDIODRIVER=dummy timeout -k 2 60 "$build/demo800" >out.txt 2>err.txt &
demo=$!
fail() { echo "FAIL: $*"; echo "--- stderr"; head -c 3000 err.txt; exit 1; }
wait_for_window
[ -n "$win" ] || fail "the window never appeared"
sleep 2  # the title scene's picture reaches every edge of the 4:3 area

# A strip along each screen edge must hold some of the picture: a window left at 800 x 600 in
# a corner, or a picture not stretched and centred, leaves the far strips black.
covered=""
for _ in 1 2 3 4 5; do
  ffmpeg -loglevel error -y -f x11grab -video_size 1024x768 -i "$DISPLAY" -frames:v 1 \
    -c:v ppm -f image2 shot.ppm || fail "no screenshot"
  covered=$(python3 - shot.ppm <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
fields = data.split(maxsplit=4)
w, h, pixels = int(fields[1]), int(fields[2]), fields[4]
def lit(x0, y0, x1, y1):
    return any(max(pixels[(y * w + x) * 3:(y * w + x) * 3 + 3]) > 40
               for y in range(y0, y1, 2) for x in range(x0, x1, 2))
strips = {"left": (0, 0, 16, h), "right": (w - 16, 0, w, h),
          "top": (0, 0, w, 16), "bottom": (0, h - 16, w, h)}
print(" ".join(name for name, box in strips.items() if not lit(*box)) or "all")
PY
)
  [ "$covered" = all ] && break
  sleep 0.5
done
[ "$covered" = all ] || fail "the picture does not reach the screen's edges: black at $covered"
[ "$(xdotool getwindowfocus)" = "$win" ] || fail "the show's window does not have the focus"
xdotool key Escape
wait $demo
code=$?
[ "$code" -eq 0 ] || fail "exit code $code after Escape"
echo "ok: the show covers the 1024 x 768 screen, has the focus and ends on Escape"
