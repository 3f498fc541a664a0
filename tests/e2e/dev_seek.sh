#!/usr/bin/env bash
# Development mode in a real window: seek keys land on the position they ask for, and Escape
# still ends the show with exit code 0.
set -u
build=$1
work=$(mktemp -d)
demo=""
xvfb=""
trap 'kill -9 $xvfb $demo 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/lib/xvfb.sh"
require_programs timeout xdotool "$build/demo640"
start_xvfb
cd "$work"
SDL_AUDIODRIVER=dummy timeout -k 2 120 "$build/demo640" --dev --start 10:4 >out.txt 2>err.txt &
demo=$!
fail() { echo "FAIL: $*"; echo "--- stderr"; grep -v CHUNK err.txt; exit 1; }
# Waits for the n-th "seek:" line and checks the position it names.
expect_seek() {
  local n=$1 want=$2
  for _ in $(seq 100); do
    [ "$(grep -c '^seek:' err.txt)" -ge "$n" ] && break
    sleep 0.1
  done
  local got
  got=$(grep '^seek:' err.txt | sed -n "${n}p")
  [[ "$got" == "seek: order $want reached"* ]] || fail "seek $n: wanted order $want, got '$got'"
  echo "ok: $got"
}
wait_for_window
[ -n "$win" ] || fail "the window never appeared"
expect_seek 1 "10 row 4"
xdotool key --window "$win" Right
expect_seek 2 "11 row 0"
xdotool key --window "$win" Left
expect_seek 3 "10 row 0"
xdotool key --window "$win" Next # Page Down: the Spiral scene
expect_seek 4 "15 row 0"
xdotool key --window "$win" Prior # Page Up: back to the Wave scene
expect_seek 5 "9 row 0"
kill -0 $demo 2>/dev/null || fail "the program ended before Escape"
xdotool key --window "$win" Escape
wait $demo
code=$?
[ "$code" -eq 0 ] || fail "exit code $code after Escape"
echo "ok: exit 0 after Escape"
