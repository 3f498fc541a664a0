#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine, quietly: the test runner's emulator for the cross build.
# WINEPREFIX must name a prepared prefix (scripts/windows-prefix.sh); DISPLAY an X server for windows.
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX to a Wine prefix made by scripts/windows-prefix.sh}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all}
# Debian keeps the 64-bit loader off PATH; its wine wrapper would also nag about 32-bit support.
exec /usr/lib/wine/wine64 "$@"
