#!/usr/bin/env bash
# Escape during loading, in the first two scenes and in the closing sequence: exit 0 within 0.5 s.

# The moments are made exact rather than guessed:
# - during loading: data/txt.png (the last texture of the table) is a FIFO, so the loader waits
#   inside the asset table until the script serves the file; Escape is pressed while it waits and
#   must take effect at the first frame, within half a second of loading's end;
# - in the first scene, the second scene and the closing sequence: the module is a FIFO too, so
#   the moment the show has read it is the moment the music starts. The module is a copy sped up
#   (speed 1, tempo 255, the scenes' patterns cut short) so the closing sequence begins after about
#   9 s instead of 3.5 minutes; a capture of that copy checks its timing before the runs rely on it.
# A FIFO is opened twice: once by the data check (which closes it unread), then by the loader.
# Under Xvfb the screen cannot change mode, so "mode restored" is checked as the screen's size and
# depth being the same after the run as before it.
set -u
build=$1
work=$(mktemp -d)
xvfb=""
demo=""
trap 'kill -9 $xvfb $demo 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/lib/xvfb.sh"
require_programs timeout xdotool mkfifo od dd awk "$build/demo640" "$build/demo-capture"
start_xvfb
export SDL_AUDIODRIVER=dummy
# In a sanitizer build, the leak check at exit reports only blocks of the GL driver that SDL has
# unloaded; memory errors and undefined behaviour are still reported.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
module="qua#v3n.it"
failures=0

desktop=$(screen_mode)
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Sleeps until the millisecond clock reads $1.
sleep_until() {
  local left=$(($1 - $(now_ms)))
  [ "$left" -gt 0 ] && sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
}

u16() { od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j"$2" -N4 "$1" | tr -d ' '; }
put8() { printf "\\x$(printf %02x "$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# Speeds the Impulse Tracker module $1 up in place: 9.8 ms a row, and orders 0-2 of 96 rows,
# 3-8 of 48 and 9-27 of 16, which puts order 3 at 2.8 s, 9 at 5.6 s, 28 at 8.6 s and 33 at 14.9 s.
make_fast_module() {
  local f=$1 ordnum insnum smpnum table order rows pattern at
  ordnum=$(u16 "$f" 32) insnum=$(u16 "$f" 34) smpnum=$(u16 "$f" 36)
  put8 "$f" $((0x32)) 1    # initial speed: ticks per row
  put8 "$f" $((0x33)) 255  # initial tempo
  table=$((0xC0 + ordnum + 4 * insnum + 4 * smpnum))
  for order in $(seq 0 27); do
    rows=16
    [ "$order" -lt 9 ] && rows=48
    [ "$order" -lt 3 ] && rows=96
    pattern=$(od -An -tu1 -j$((0xC0 + order)) -N1 "$f" | tr -d ' ')
    at=$(u32 "$f" $((table + 4 * pattern)))
    put8 "$f" $((at + 2)) "$rows"  # the pattern header's row count; later rows are not read
    put8 "$f" $((at + 3)) 0
  done
}

# A copy of the data set in $1/data whose file $2 becomes a FIFO; the real file is kept as $1/$2.
data_with_fifo() {
  mkdir -p "$1"
  cp -r "$build/data" "$1/data"
  mv "$1/data/$2" "$1/$2"
  mkfifo "$1/data/$2"
}

# Lets the data check open the FIFO $1 and go on; false when it never does.
pass_check() { timeout 10 sh -c ': > "$1"' sh "$1"; }
# Writes file $1 through the FIFO $2 for the loader; retried if the check still held it open.
serve() { timeout 10 sh -c 'until cat "$1" > "$2" 2>/dev/null; do sleep 0.05; done' sh "$1" "$2"; }

fail() {
  echo "FAIL ($1): $2"
  [ -f "$dir/err.txt" ] && { echo "--- stderr"; cat "$dir/err.txt"; }
  failures=$((failures + 1))
}

# Starts the show in $dir (so its ./data is used) and waits for its window; false when none comes.
start_show() {
  (cd "$dir" && exec timeout -k 2 60 "$build/demo640" >out.txt 2>err.txt) &
  demo=$!
  win=""
  for _ in $(seq 100); do
    win=$(xdotool search --name "Windows example title" 2>/dev/null | head -1)
    [ -n "$win" ] && return 0
    sleep 0.1
  done
  return 1
}

# Waits for the show's end and checks it against the time $2 (ms) it had to end from.
check_end() {
  local name=$1 from=$2 code elapsed
  wait "$demo"
  code=$?
  elapsed=$(($(now_ms) - from))
  demo=""
  [ "$code" -eq 0 ] || { fail "$name" "exit code $code"; return; }
  [ "$elapsed" -le 500 ] || { fail "$name" "ended ${elapsed} ms after it should have"; return; }
  [ "$(screen_mode)" = "$desktop" ] || { fail "$name" "screen mode changed: $(screen_mode)"; return; }
  grep -q -E "FATAL|ERROR|Sanitizer|runtime error" "$dir/err.txt" && { fail "$name" "error text"; return; }
  echo "ok ($name): exit 0, ${elapsed} ms"
}

# Escape while the asset table waits for its last texture; it takes effect at the first frame.
dir=$work/loading
data_with_fifo "$dir" txt.png
if ! start_show; then
  fail loading "the window never appeared"
elif ! pass_check "$dir/data/txt.png"; then
  fail loading "the data check never opened txt.png"
else
  sleep 1  # the display and thirty rows of the table; the loader then waits for txt.png
  xdotool key --window "$win" Escape
  sleep 0.3
  if ! kill -0 "$demo" 2>/dev/null; then
    fail loading "the show ended before loading did"
  else
    serve "$dir/txt.png" "$dir/data/txt.png"
    check_end "during loading" "$(now_ms)"
  fi
fi

# The sped-up module, and its timing as a capture on a virtual clock sees it.
dir=$work/timing
mkdir -p "$dir"
cp -r "$build/data" "$dir/data"
make_fast_module "$dir/data/$module"
"$build/demo-capture" --data "$dir/data" --fps 20 --timeline "$dir/timeline.txt" \
  --audio "$dir/music.wav" >/dev/null 2>"$dir/capture.txt"
# First tick (ms) at which order $1 is playing.
order_start() { awk -v o="$1" '$3 >= o { print $2; exit }' "$dir/timeline.txt"; }
t3=$(order_start 3) t9=$(order_start 9) t28=$(order_start 28) t32=$(order_start 32)
if [ -z "$t32" ] || [ "$t3" -lt 2400 ] || [ "$t3" -gt 3200 ] || [ "$t9" -lt 5000 ] ||
  [ "$t9" -gt 6000 ] || [ "$t28" -gt 9200 ] || [ "$t32" -lt 13000 ]; then
  echo "FAIL: the sped-up module does not keep its timing (orders 3, 9, 28, 32 at" \
    "${t3:-?} ${t9:-?} ${t28:-?} ${t32:-?} ms)"
  exit 1
fi

# Escape at a time after the music started: 1.4 s is mid-title, 4.2 s mid-blob (orders 3-8),
# 11.8 s mid-closing (orders 28-32), each at least 1.4 s from either end.
for moment in "first scene:1400" "second scene:4200" "closing sequence:11800"; do
  name=${moment%:*}
  at=${moment#*:}
  dir="$work/${name// /-}"
  data_with_fifo "$dir" "$module"
  cp "$work/timing/data/$module" "$dir/$module"
  if ! start_show; then
    fail "$name" "the window never appeared"
    continue
  fi
  if ! pass_check "$dir/data/$module" || ! { sleep 0.2 && serve "$dir/$module" "$dir/data/$module"; }; then
    fail "$name" "the show never read the module"
    kill -9 "$demo" 2>/dev/null
    continue
  fi
  music=$(now_ms)
  sleep_until $((music + at))
  if ! kill -0 "$demo" 2>/dev/null; then
    fail "$name" "the show ended before Escape"
    continue
  fi
  from=$(now_ms)
  xdotool key --window "$win" Escape
  check_end "$name" "$from"
done

[ "$failures" -eq 0 ] || exit 1
echo "ok: Escape ends the show cleanly during loading, both first scenes and the closing sequence"
