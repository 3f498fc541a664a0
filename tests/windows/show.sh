#!/usr/bin/env bash
# Windows build under Wine, in a real window, with no sound device, through each renderer: the
# picture is not flat and moves on (the silent clock), and Escape ends the show with exit code 0
# within a second. The ES 2.0 renderer runs on whatever context Wine gives it: an ES one, or the
# desktop fallback where Wine offers no ES contexts; the script says which.
set -u
source "$(dirname "$0")/lib/wine.sh"

# Prints how many different colours the screen shows (one xwd pixel is one 32-bit word).
screen_colours() {
  xwd -root -silent >"$work/shot-$1.xwd"
  # SHOW_WINDOWS_SHOTS names a folder to keep the screenshots in, to look at.
  [ -n "${SHOW_WINDOWS_SHOTS:-}" ] && cp "$work/shot-$1.xwd" "$SHOW_WINDOWS_SHOTS/"
  tail -c 1000000 "$work/shot-$1.xwd" | od -An -v -tx4 | tr -s ' ' '\n' | sort -u | wc -l
}

# Plays the show through renderer $1 and checks picture, progress and Escape; returns 1 when the
# window never came.
play() {
  local renderer=$1 first second same start code elapsed_ms
  # No SDL_AUDIODRIVER: SDL looks for a real device, finds none, and the show keeps its own time.
  env -u SDL_AUDIODRIVER timeout -k 2 60 "$source/scripts/windows-wine.sh" "$build/demo640.exe" \
    --renderer "$renderer" >out.txt 2>err.txt &
  demo=$!
  if ! wait_for_window "Windows example title" 300 "$demo"; then
    fail "$renderer window" "the window never appeared"
    return 1
  fi
  sleep 4
  # A display failure leaves the window up behind its message box: the words tell it apart.
  grep -q "FATAL ERROR" err.txt && fail "$renderer display" "$(grep "FATAL ERROR" err.txt)"
  first=$(screen_colours "$renderer-a")
  sleep 2
  second=$(screen_colours "$renderer-b")
  cmp -s "$work/shot-$renderer-a.xwd" "$work/shot-$renderer-b.xwd" && same=1 || same=0
  # The title scene is flat-shaded: a handful of colours, but more than a blank screen's one or two.
  if [ "$first" -gt 2 ]; then
    echo "ok ($renderer picture): $first colours"
  else
    fail "$renderer picture" "the screen is flat ($first colours)"
  fi
  if [ "$second" -le 2 ]; then
    fail "$renderer advances" "the screen is flat two seconds later ($second colours)"
  elif [ "$same" = 1 ]; then
    fail "$renderer advances" "the picture did not change in two seconds"
  else
    echo "ok ($renderer advances): $second colours two seconds later"
  fi

  kill -0 "$demo" 2>/dev/null || fail "$renderer escape" "the program ended before Escape"
  start=$(date +%s%N)
  press_key "$win" Escape
  wait "$demo"
  code=$?
  elapsed_ms=$((($(date +%s%N) - start) / 1000000))
  if [ "$code" -ne 0 ]; then
    fail "$renderer escape" "exit code $code"
  elif [ "$elapsed_ms" -gt 1000 ]; then
    fail "$renderer escape" "took $elapsed_ms ms to end after Escape"
  else
    echo "ok ($renderer escape): exit 0, $elapsed_ms ms after Escape"
  fi
}

cd "$work"
play gl1
if play gles2; then
  # The platform layer says on standard error when it falls back from an ES context.
  if grep -q "trying desktop OpenGL" err.txt; then
    echo "ok (gles2 context): the desktop fallback (no ES 2.0 context under Wine)"
  else
    echo "ok (gles2 context): an OpenGL ES 2.0 context"
  fi
  grep -q "^gles2:" err.txt && fail "gles2 messages" "the renderer reported trouble"
fi
finish "the Windows build plays under Wine through both renderers without sound and ends on Escape"
