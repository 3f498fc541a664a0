#!/usr/bin/env bash
# Without a screen (SDL's offscreen driver) the show's memory stays bounded while it plays.
# The run's peak resident size (VmHWM) is read after 10 s of playing; a show that never lets the
# GL driver finish its frames passes the limit within seconds, a sound one stays near 110 MB.
set -u
build=$1
limit_mb=250
work=$(mktemp -d)
demo=""
trap 'kill -9 $demo 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$build/demo640" >out.txt 2>err.txt &
demo=$!
sleep 10
fail() { echo "FAIL: $*"; echo "--- stderr"; head -c 3000 err.txt; exit 1; }
peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$demo/status" 2>/dev/null)
[ -n "$peak_kb" ] || fail "the show ended before 10 s"
kill -9 $demo
peak_mb=$((peak_kb / 1024))
[ "$peak_mb" -le "$limit_mb" ] || fail "peak memory ${peak_mb} MB passes the limit of ${limit_mb} MB"
echo "ok: peak memory ${peak_mb} MB after 10 s offscreen (limit ${limit_mb} MB)"
