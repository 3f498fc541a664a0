#!/usr/bin/env bash
# Where the show finds its data: ./data, else data/ beside the program, else a message naming what is missing.

# The program is copied into temp folders so that what lies beside it is under the test's control.
# Which folder a run reads is shown by damaging txt.png in one of them: the error then names the
# path it was read from. Runs that play are cut off after 3 s with SIGKILL (SDL would turn SIGTERM
# into an ordinary quit). The last case runs under Xvfb, where the error comes in a real message
# box that the test dismisses, to check that the screen mode is left alone.
set -u
build=$1
source=$2
work=$(mktemp -d)
xvfb=""
trap 'kill -9 $xvfb 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/lib/xvfb.sh"
source "$(dirname "$0")/lib/datafiles.sh"
require_programs timeout awk sed xwininfo xdotool "$build/demo640"
# The X server for the last case, started now so that a missing font fails the test at once. Until
# then no run may see it: an error box there would hold the offscreen runs until they are cut off.
start_xvfb
require_x_fonts
x_display=$DISPLAY
unset DISPLAY
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
# In a sanitizer build, the leak check at exit reports only blocks of the GL driver that SDL has
# unloaded; memory errors and undefined behaviour are still reported.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
failures=0

fail() {
  echo "FAIL ($1): $2"
  echo "--- stderr"
  head -c 3000 "$work/err.txt"
  failures=$((failures + 1))
}

# A copy of the program in $work/$1, with a copy of the data set beside it when $2 is "with-data".
install_program() {
  mkdir -p "$work/$1"
  cp "$build/demo640" "$work/$1/demo640"
  [ "$2" = with-data ] && cp -r "$build/data" "$work/$1/data"
}

# Runs program $1 from folder $2 for at most 3 s; sets code. (The subshell's own stderr is
# dropped: it only says "Killed" when the run is cut off.)
run_from() {
  (cd "$2" && timeout -s KILL 3 "$1" >"$work/out.txt" 2>"$work/err.txt"; exit $?) 2>/dev/null
  code=$?
}

# Passes when the run was still playing, with no error, when it was cut off.
expect_plays() {
  if [ "$code" -ne 137 ] || grep -q -E "FATAL|ERROR" "$work/err.txt"; then
    fail "$1" "exit $code instead of playing on"
    return 1
  fi
  echo "ok ($1): plays"
}

# Passes when the run stopped with exit 1 and an error naming the path $2.
expect_error_naming() {
  if [ "$code" -ne 1 ] || ! grep -q "FATAL ERROR" "$work/err.txt"; then
    fail "$1" "exit $code, no error"
    return 1
  fi
  grep -q -F "$2" "$work/err.txt" || { fail "$1" "the error does not name $2"; return 1; }
  grep -q -E "Sanitizer|runtime error" "$work/err.txt" && { fail "$1" "sanitizer report"; return 1; }
  echo "ok ($1): the error names $2"
}

mkdir -p "$work/empty"

# No ./data: the data beside the program is used.
install_program beside with-data
run_from "$work/beside/demo640" "$work/empty"
expect_plays "data beside the program"
: >"$work/beside/data/txt.png"
run_from "$work/beside/demo640" "$work/empty"
expect_error_naming "data beside the program is what is read" "$work/beside/data/txt.png"

# Both folders: ./data wins, even when the folder beside the program is whole.
mkdir -p "$work/cwd"
cp -r "$build/data" "$work/cwd/data"
: >"$work/cwd/data/txt.png"
cp "$build/data/txt.png" "$work/beside/data/txt.png"
run_from "$work/beside/demo640" "$work/cwd"
expect_error_naming "./data comes first" "data/txt.png"
grep -q -F "$work/beside" "$work/err.txt" && fail "./data comes first" "read the folder beside the program"
cp "$build/data/txt.png" "$work/cwd/data/txt.png"
run_from "$work/beside/demo640" "$work/cwd"
expect_plays "./data comes first, whole"

# Neither folder, on a real display: a message box, every missing file named, the screen as it was.
install_program alone no-data
export DISPLAY=$x_display
unset SDL_VIDEODRIVER
desktop=$(screen_mode)
(cd "$work/empty" && exec timeout -s KILL 20 "$work/alone/demo640" >"$work/out.txt" 2>"$work/err.txt") &
demo=$!
box=""
for _ in $(seq 100); do
  # xdotool's search skips SDL's message box window, so it is looked up in the window tree.
  box=$(xwininfo -root -tree 2>/dev/null | awk '/"FATAL ERROR"/ { print $1; exit }')
  [ -n "$box" ] && break
  kill -0 "$demo" 2>/dev/null || break
  sleep 0.1
done
name="no data anywhere"
if [ -z "$box" ]; then
  fail "$name" "no message box appeared"
else
  mode_during=$(screen_mode)
  xdotool key --window "$box" Return
  wait "$demo"
  code=$?
  if [ "$code" -eq 0 ] || [ "$code" -ge 124 ]; then
    fail "$name" "exit code $code"
  elif [ "$mode_during" != "$desktop" ] || [ "$(screen_mode)" != "$desktop" ]; then
    fail "$name" "the screen mode changed"
  elif ! grep -q -F "\"$work/empty/data\"" "$work/err.txt" || ! grep -q -F "\"$work/alone/data\"" "$work/err.txt"; then
    fail "$name" "the message does not name both folders looked in"
  else
    missing=$(data_files_not_named "$source" "$work/err.txt")
    if [ -n "$missing" ]; then
      fail "$name" "the message does not name:$missing"
    else
      echo "ok ($name): exit $code, every file and the folder named, screen mode unchanged"
    fi
  fi
fi
kill -9 "$demo" 2>/dev/null

[ "$failures" -eq 0 ] || exit 1
echo "ok: the show finds its data where it should and says clearly when it cannot"
