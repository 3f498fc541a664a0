#!/usr/bin/env bash
# The real program in a real window under Xvfb: Escape ends it with exit code 0 within a second.
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
SDL_AUDIODRIVER=dummy timeout -k 2 60 "$build/demo640" >out.txt 2>err.txt &
demo=$!
wait_for_window
fail() { echo "FAIL: $*"; echo "--- stderr"; cat err.txt; exit 1; }
[ -n "$win" ] || fail "the window never appeared"
sleep 1.5  # let the show start drawing
kill -0 $demo 2>/dev/null || fail "the program ended before Escape"
start=$(date +%s%N)
xdotool key --window "$win" Escape
wait $demo
code=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$code" -eq 0 ] || fail "exit code $code"
[ "$elapsed_ms" -le 1000 ] || fail "took ${elapsed_ms} ms to end after Escape"
echo "ok: exit 0, ${elapsed_ms} ms after Escape"
