#!/usr/bin/env bash
# A driver without multitexture: "error.txt" holds the reason, stderr shows it, the exit is non-zero.
set -u
build=$1
source "$(dirname "$0")/lib/require.sh"
require_programs timeout cmp od "$build/demo640"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy MESA_EXTENSION_OVERRIDE=-GL_ARB_multitexture \
  timeout -k 2 20 "$build/demo640" >out.txt 2>err.txt
code=$?
fail() { echo "FAIL: $*"; echo "--- stderr"; cat err.txt; exit 1; }
[ "$code" -ne 0 ] || fail "exit code was 0"
[ "$code" -ne 124 ] && [ "$code" -ne 137 ] || fail "the program hung"
[ -f error.txt ] || fail "no error.txt"
printf '3d-card does not support multitexture\n\n' | cmp -s - error.txt || fail "error.txt holds: $(od -c error.txt)"
grep -q "FATAL ERROR: 3d-card does not support multitexture" err.txt || fail "stderr lacks the message"
echo "ok: exit $code, error.txt and stderr name the missing extension"
