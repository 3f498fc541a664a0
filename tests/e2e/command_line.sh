#!/usr/bin/env bash
# The show's command line: --help lists options and keys, bad options exit 2 before any window opens.
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; echo "--- stderr"; cat err.txt; exit 1; }
for demo in demo640 demo800; do
  # No display at all: anything that tried to open one would fail differently.
  env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=none timeout -k 2 20 "$build/$demo" --help \
    >out.txt 2>err.txt || fail "$demo --help exited $?"
  for item in --start --from --dev --loop Escape Space Left Right 'Page Up' 'Page Down' Home F1; do
    grep -q -- "$item" out.txt || fail "$demo --help does not mention $item"
  done
  for args in "--fast" "--start" "--start 9:x" "--dev --loop 3-2" "--loop 1-2"; do
    # shellcheck disable=SC2086
    env -u DISPLAY SDL_VIDEODRIVER=none timeout -k 2 20 "$build/$demo" $args >out.txt 2>err.txt
    code=$?
    [ "$code" -eq 2 ] || fail "$demo $args exited $code, not 2"
    grep -q "see .*--help" err.txt || fail "$demo $args: no message on stderr"
  done
  # Positions the module does not have are refused before anything opens, naming the row count.
  for args in "--start 5:200" "--start 40" "--dev --loop 5:10-5:130"; do
    # shellcheck disable=SC2086
    env -u DISPLAY SDL_VIDEODRIVER=none timeout -k 2 20 "$build/$demo" $args >out.txt 2>err.txt
    code=$?
    [ "$code" -eq 2 ] || fail "$demo $args exited $code, not 2"
    grep -qE "has 128 rows|last order" err.txt || fail "$demo $args: the message does not say why"
  done
done
echo "ok: --help lists every option and key; bad options exit 2 with a message"
