#!/usr/bin/env bash
# Makes a fresh Wine prefix in the folder given (about 700 MB), ready for the cross-built programs.
set -euo pipefail
prefix=${1:?usage: windows-prefix.sh FOLDER}
mkdir -p "$prefix"
# Without a display the set-up opens no windows (that would linger on the test screen) and is faster.
env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
# The test display runs no window manager: Wine would wait 2 s for one to confirm each window it
# hides (twice when a program ends). Unmanaged windows are hidden at once.
env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all /usr/lib/wine/wine64 \
  reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
env WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w
[ -f "$prefix/system.reg" ] || { echo "windows-prefix: could not make a Wine prefix in $prefix" >&2; exit 1; }
