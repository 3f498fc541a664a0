#!/usr/bin/env bash
# Windows build under Wine, in a real window, with no sound device: the picture is not flat and
# moves on (the silent clock), and Escape ends the show with exit code 0 within a second.
set -u
source "$(dirname "$0")/lib/wine.sh"

# Prints how many different colours the screen shows (one xwd pixel is one 32-bit word).
screen_colours() {
  xwd -root -silent >"$work/shot-$1.xwd"
  # SHOW_WINDOWS_SHOTS names a folder to keep the screenshots in, to look at.
  [ -n "${SHOW_WINDOWS_SHOTS:-}" ] && cp "$work/shot-$1.xwd" "$SHOW_WINDOWS_SHOTS/"
  tail -c 1000000 "$work/shot-$1.xwd" | od -An -v -tx4 | tr -s ' ' '\n' | sort -u | wc -l
}

cd "$work"
# No SDL_AUDIODRIVER: SDL looks for a real device, finds none, and the show keeps its own time.
env -u SDL_AUDIODRIVER timeout -k 2 60 "$source/scripts/windows-wine.sh" "$build/demo640.exe" \
  >out.txt 2>err.txt &
demo=$!
if ! wait_for_window "Windows example title" 300 "$demo"; then
  fail "window" "the window never appeared"
  finish ""
fi
sleep 4
first=$(screen_colours a)
sleep 2
second=$(screen_colours b)
cmp -s "$work/shot-a.xwd" "$work/shot-b.xwd" && same=1 || same=0
# The title scene is flat-shaded: a handful of colours, but more than a blank screen's one or two.
[ "$first" -gt 2 ] && echo "ok (picture): $first colours" || fail "picture" "the screen is flat ($first colours)"
if [ "$second" -le 2 ]; then
  fail "advances" "the screen is flat two seconds later ($second colours)"
elif [ "$same" = 1 ]; then
  fail "advances" "the picture did not change in two seconds"
else
  echo "ok (advances): $second colours two seconds later"
fi

kill -0 "$demo" 2>/dev/null || fail "escape" "the program ended before Escape"
start=$(date +%s%N)
xdotool key --window "$win" Escape
wait "$demo"
code=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[ "$code" -eq 0 ] || fail "escape" "exit code $code"
[ "$elapsed_ms" -le 1000 ] || fail "escape" "took $elapsed_ms ms to end after Escape"
[ "$failures" -eq 0 ] && echo "ok (escape): exit 0, $elapsed_ms ms after Escape"
finish "the Windows build plays under Wine without sound and ends on Escape"
