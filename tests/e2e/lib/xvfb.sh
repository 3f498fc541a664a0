# Shared by the end-to-end scripts: a private X server for one test run.
source "$(dirname "${BASH_SOURCE[0]}")/require.sh"

# Starts Xvfb on a display it picks itself (no clash with another server), waits until it
# answers, and sets DISPLAY and xvfb (its pid). The caller's trap kills $xvfb. Fails the script,
# with the server's own words, when the display does not start. -noreset: by default the server
# resets whenever its last client leaves, and a client connecting during a reset is refused
# (seen as "unable to open display" in about one run in fifteen).
start_xvfb() {
  local number log
  require_programs Xvfb xdpyinfo
  number=$(mktemp)
  log=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$number" >"$log" 2>&1 &
  xvfb=$!
  disown
  for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.05; done
  DISPLAY=":$(head -1 "$number")"
  export DISPLAY
  rm -f "$number"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  if ! xdpyinfo >/dev/null 2>&1; then
    echo "FAIL: the X server Xvfb did not start (display \"$DISPLAY\" does not answer); it said:"
    tail -20 "$log"
    rm -f "$log"
    exit 1
  fi
  rm -f "$log"
}

# The screen's size and depth, to tell whether a run left the display mode as it found it.
screen_mode() { xdpyinfo | grep -E 'dimensions|depth of root'; }

# Waits up to 10 s for the show's window and sets win to its id ("" when it never appears).
wait_for_window() {
  win=""
  for _ in $(seq 100); do
    win=$(xdotool search --name "Windows example title" 2>/dev/null | head -1)
    [ -n "$win" ] && return
    sleep 0.1
  done
}
