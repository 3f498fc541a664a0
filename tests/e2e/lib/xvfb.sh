# Shared by the end-to-end scripts: a private X server for one test run.

# Starts Xvfb on a display it picks itself (no clash with another server), waits until it
# answers, and sets DISPLAY and xvfb (its pid). The caller's trap kills $xvfb.
start_xvfb() {
  local number
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  xvfb=$!
  disown
  for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.05; done
  DISPLAY=":$(head -1 "$number")"
  export DISPLAY
  rm -f "$number"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

# The screen's size and depth, to tell whether a run left the display mode as it found it.
screen_mode() { xdpyinfo | grep -E 'dimensions|depth of root'; }
