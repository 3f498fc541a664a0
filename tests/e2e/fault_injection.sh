#!/usr/bin/env bash
# Every data file in turn missing, empty, cut to half, random: the show names it and stops, or plays on.

# Every run is the real demo640 (offscreen video, dummy audio) in a temp dir whose ./data is a copy
# of the data set with one file damaged. A damaged file must either
# - be refused: exit code 1 (not a signal, not a timeout) with a "FATAL ERROR" text on stderr that
#   names the file, and for a 3DS file the object that could not be read from it; or
# - be accepted, in which case the show plays normally: demo640 is still running cleanly when its
#   10 s timeout ends it, and a capture on a virtual clock (one frame per show second) plays the
#   damaged set from the first order to the last and exits 0. A cut file can stay playable, e.g.
#   a module whose second half holds only sample data, which the player pads with silence.
# Any signal exit, hang or sanitizer report (when BUILD_DIR is a sanitizer build) fails the case.
# The random bytes come from awk's generator with a fixed seed, so every run damages alike.
set -u
build=$1
source=$2
source "$(dirname "$0")/lib/require.sh"
source "$(dirname "$0")/lib/datafiles.sh"
require_programs timeout awk sed stat "$build/demo640" "$build/demo-capture"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
# In a sanitizer build the leak check at exit only reports blocks of the GL driver that SDL has
# unloaded by then (their stacks end in unknown modules); the show keeps its assets until exit on
# purpose. Memory errors and undefined behaviour are still reported and fail the case.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
cd "$work" || exit 1
mkdir orig
cp -r "$build/data" data
# The files the show reads, from the data set's file names.
files=$(data_file_names "$source")
[ -n "$files" ] || { echo "FAIL: no data file list in $source/assets/dataset.h"; exit 1; }
failures=0
accepted=0
refused=0

fail() {
  echo "FAIL ($1): $2"
  echo "--- stderr"
  head -c 2000 err.txt
  [ -s stack.txt ] && { echo "--- where it was"; grep -E "^#|^Thread" stack.txt | head -60; }
  failures=$((failures + 1))
}

# Writes $2 random bytes into $1; the same bytes on every run.
random_file() {
  LC_ALL=C awk -v n="$2" 'BEGIN { srand(7); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }' >"$1"
}

sanitizer_report() { grep -q -E "Sanitizer|runtime error" "$1"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Runs the show on the current data for at most $1 seconds; sets code (137 when cut off). A run
# that is cut off leaves the stacks of its threads in stack.txt (when gdb is there): where it hangs,
# or, for an accepted set, proof that the main thread is in a frame loop. The main thread may be
# caught inside the GL driver's generated shader code, which gdb cannot unwind ("?? ()" only), so
# the stacks are taken up to five times until the frame loop shows.
run_show() {
  rm -f stack.txt
  "$build/demo640" >out.txt 2>err.txt &
  local pid=$! deadline=$(($(now_ms) + $1 * 1000)) sample
  while kill -0 "$pid" 2>/dev/null && [ "$(now_ms)" -lt "$deadline" ]; do sleep 0.02; done
  if kill -0 "$pid" 2>/dev/null; then
    if command -v gdb >/dev/null; then
      for sample in 1 2 3 4 5; do
        timeout -s KILL 20 gdb -p "$pid" -batch -ex "thread 1" -ex "bt 40" \
          -ex "thread apply all bt 30" >stack.txt 2>&1
        in_frame_loop && break
        sleep 0.05
      done
    fi
    kill -9 "$pid" 2>/dev/null  # SIGKILL: SDL would turn SIGTERM into an ordinary quit
  fi
  wait "$pid" 2>/dev/null
  code=$?
}

# Whether the stacks in stack.txt (if any were taken) show the main thread drawing the show.
in_frame_loop() {
  [ -s stack.txt ] || return 0
  sed -n '1,/^Thread /p' stack.txt | grep -q -E "run[A-Za-z]*Scene|runClosingSequence"
}

# An accepted data set must play from start to end: the capture must reach the last order.
check_plays() {
  local name=$1
  if ! timeout -s KILL 60 "$build/demo-capture" --data data --fps 1 --timeline timeline.txt \
      --audio music.wav >/dev/null 2>err.txt; then
    fail "$name" "accepted, but the capture of the show failed"
    return
  fi
  sanitizer_report err.txt && { fail "$name" "sanitizer report in the capture"; return; }
  local last
  last=$(awk 'END { print $3 }' timeline.txt)
  [ "${last:-0}" -ge 32 ] || fail "$name" "accepted, but the show stopped at order ${last:-?}"
}

# The untouched set plays: what the cases below refuse is the damage, not the set.
run_show 2
if [ "$code" -ne 137 ]; then
  fail "intact data" "exit $code before the timeout"
elif grep -q -E "FATAL|ERROR" err.txt || sanitizer_report err.txt; then
  fail "intact data" "an error on stderr"
elif ! in_frame_loop; then
  fail "intact data" "still running but not in a frame loop"
fi
[ "$failures" -eq 0 ] || exit 1

for f in $files; do
  [ -f "data/$f" ] || { fail "$f" "not in the data set $build/data"; continue; }
  mv "data/$f" "orig/$f"
  size=$(stat -c %s "orig/$f")
  for fault in missing empty half random; do
    case $fault in
      missing) ;;
      empty) : >"data/$f" ;;
      half) head -c $((size / 2)) "orig/$f" >"data/$f" ;;
      random) random_file "data/$f" "$size" ;;
    esac
    name="$f $fault"
    run_show 10
    if sanitizer_report err.txt; then
      fail "$name" "sanitizer report"
    elif [ "$code" -eq 137 ] && ! grep -q -E "FATAL|ERROR" err.txt; then
      # Still running cleanly after 10 s: accepted. Prove it is a normal run, not a stall.
      if ! in_frame_loop; then
        fail "$name" "still running but not in a frame loop"
      else
        check_plays "$name"
        accepted=$((accepted + 1))
      fi
    elif [ "$code" -eq 137 ]; then
      fail "$name" "hung after an error"
    elif [ "$code" -ge 128 ]; then
      fail "$name" "killed by signal $((code - 128))"
    elif [ "$code" -ne 1 ]; then
      fail "$name" "exit code $code"
    elif ! grep -q "FATAL ERROR" err.txt || ! grep -q -F "$f" err.txt; then
      fail "$name" "the message does not name $f"
    elif [ "$fault" != missing ] && [[ $f == *.3ds ]] && ! grep -q -E 'object "[^"]+"' err.txt; then
      fail "$name" "the message does not name the object"
    else
      refused=$((refused + 1))
    fi
    rm -f "data/$f"
  done
  mv "orig/$f" "data/$f"
done

echo "$refused cases refused with a message, $accepted accepted and played through"
[ "$failures" -eq 0 ] || exit 1
echo "ok: every damaged data file is refused by name or plays normally"
