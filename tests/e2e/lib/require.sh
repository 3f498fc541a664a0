# Shared by the end-to-end scripts: what a script needs, checked before it starts, so that a
# missing program, font or display is named instead of showing as a strange failure later.

# The Debian package that holds a program the scripts use (scripts/setup.sh installs them all).
package_of() {
  case $1 in
    Xvfb) echo "package xvfb" ;;
    xwininfo | xdpyinfo | xlsfonts) echo "package x11-utils" ;;
    xdotool | ffmpeg | ffprobe | gdb) echo "package $1" ;;
    */*) echo "not built" ;;
    *) echo "package coreutils" ;;
  esac
}

# Fails the script unless every program in "$@" can be run: a name is looked up on PATH, a path
# (one of the built programs) must be an executable file.
require_programs() {
  local p missing=""
  for p in "$@"; do
    if [[ $p == */* ]]; then
      [ -f "$p" ] && [ -x "$p" ] && continue
    else
      command -v "$p" >/dev/null 2>&1 && continue
    fi
    missing="$missing $p ($(package_of "$p"))"
  done
  [ -z "$missing" ] && return 0
  echo "FAIL: this test needs what is missing here:$missing; scripts/setup.sh installs and builds it"
  exit 1
}

# Fails the script unless the X server on $DISPLAY has a core font of the kind SDL's message box
# asks for; without one (a machine lacking the xfonts-base package) no box can appear.
require_x_fonts() {
  local pattern='-*-*-medium-r-normal--*-120-*-*-*-*-*-*'
  local found
  require_programs xlsfonts
  if ! found=$(xlsfonts -fn "$pattern" 2>&1); then
    echo "FAIL: cannot ask the X server on $DISPLAY for its fonts: $found"
    exit 1
  fi
  [[ $found == -* ]] && return 0
  echo "FAIL: the X server on $DISPLAY has no core font matching $pattern, which SDL's message" \
    "box needs (install the xfonts-base package)"
  exit 1
}
