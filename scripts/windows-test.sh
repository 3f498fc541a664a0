#!/usr/bin/env bash
# Builds the Windows programs, their unit tests and the zip, then runs the Windows tests under Wine
# on a private X server, with a fresh Wine prefix that is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/windows-setup.sh
scripts/build-windows.sh --tests

work=$(mktemp -d)
xvfb=""
cleanup() {
  WINEPREFIX=$work/prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$xvfb" ] && kill -9 "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
echo "windows-test: making a Wine prefix"
scripts/windows-prefix.sh "$work/prefix"
export WINEPREFIX=$work/prefix
source tests/e2e/lib/xvfb.sh
start_xvfb
cd "${SHOW_WINDOWS_BUILD:-build-windows}"
# Wine itself now and then fails to start a program (about one run in several hundred here), so a
# test that fails gets one more run; the first run's output stays in the log.
ctest --output-on-failure --repeat until-pass:2 -j"$(nproc)" "$@"
