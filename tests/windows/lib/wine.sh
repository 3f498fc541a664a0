# Shared by the Windows end-to-end scripts: the programs of a cross build, run under Wine.
# Arguments of every script: the cross build folder, the source folder, the native build folder.

build=$1
source=$2
native=${3:-}
work=$(mktemp -d)
xvfb=""
own_prefix=""
failures=0
trap 'cleanup' EXIT
cleanup() {
  [ -n "$own_prefix" ] && /usr/lib/wine/wineserver -k 2>/dev/null
  kill -9 $xvfb 2>/dev/null
  rm -rf "$work"
}
wine_run() { "$source/scripts/windows-wine.sh" "$@"; }

# The test run normally shares one prefix and one X server (scripts/windows-test.sh); a script run
# by hand makes its own.
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$work/prefix
  own_prefix=1
  "$source/scripts/windows-prefix.sh" "$WINEPREFIX"
fi
if [ -z "${DISPLAY:-}" ]; then
  source "$source/tests/e2e/lib/xvfb.sh"
  start_xvfb
fi

fail() {
  echo "FAIL ($1): $2"
  if [ -f "$work/err.txt" ]; then
    echo "--- stderr"
    head -c 3000 "$work/err.txt"
  fi
  failures=$((failures + 1))
}

# The id of the first window whose title is $1 (xdotool's search skips SDL's message boxes), or "".
window_titled() { xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\"" 'index($0, t) { print $1; exit }'; }

# Waits up to $2 tenths of a second for a window titled $1 while process $3 runs; sets win.
wait_for_window() {
  win=""
  for _ in $(seq "$2"); do
    win=$(window_titled "$1")
    [ -n "$win" ] && return 0
    kill -0 "$3" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Presses key $2 in window $1 as a keyboard would: focus first, then a real key event. A key sent
# straight to a window (xdotool key --window) is a synthetic event, which Wine takes with a key
# state that outlives the program: the next program's message box then closes by itself.
press_key() { timeout 10 xdotool windowfocus --sync "$1" key "$2" 2>/dev/null; }

# Ends the script with the failure count as its status.
finish() {
  [ "$failures" -eq 0 ] || exit 1
  echo "ok: $1"
  exit 0
}
