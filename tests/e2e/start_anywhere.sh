#!/usr/bin/env bash
# --start: frames and music from a start inside each scene and the closing sequence are
# byte-identical to those of the same frames in a capture from the beginning.
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# A small, slow capture keeps the whole show cheap; exactness does not depend on the size.
capture() { "$build/demo-capture" --fps 8 --size 96x72 "$@" >/dev/null 2>>"$work/err.txt"; }

capture --until 33 --frames "$work/linear" --audio "$work/linear.wav" ||
  fail "the capture from the beginning failed: $(tail -3 "$work/err.txt")"
for start in 1:40 5:10 12:30 16:20 20:5 24:40 27:10 30:60; do
  order=${start%%:*}
  capture --start "$start" --until $((order + 1)) --frames "$work/$start" --audio "$work/$start.wav" ||
    fail "--start $start failed: $(tail -3 "$work/err.txt")"
  frames=("$work/$start"/frame-*.png)
  [ -f "${frames[0]}" ] || fail "--start $start wrote no frames"
  for f in "${frames[@]}"; do
    cmp -s "$f" "$work/linear/$(basename "$f")" || fail "--start $start: $(basename "$f") differs"
  done
  # The music from the first frame on: the same samples as the linear track from that frame
  # (but the last frame's, which runs past the stop order into silence).
  first=$(basename "${frames[0]}" .png)
  first=$((10#${first#frame-}))
  offset=$((44 + first * 44100 / 8 * 4))
  bytes=$(($(stat -c %s "$work/$start.wav") - 44 - 44100 / 8 * 4))
  cmp -s <(tail -c +$((offset + 1)) "$work/linear.wav" | head -c "$bytes") \
    <(tail -c +45 "$work/$start.wav" | head -c "$bytes") || fail "--start $start: the music differs"
  echo "ok: --start $start, ${#frames[@]} frames from frame $first, same pixels and samples"
done
code=0
capture --start 40 --until 33 --frames "$work/none" || code=$?
[ "$code" -eq 2 ] || fail "a start past the end gave exit $code, not 2"
grep -q "not before --until 33" "$work/err.txt" || fail "a start past the end is not explained"
echo "ok: a start past the end is refused"
