#!/usr/bin/env bash
# demo-inspect.exe under Wine reads 3DS and PNG files as the Linux build does: the same report for
# every object and fixture (Windows line ends aside), and the same pixel bytes from png --raw.
set -u
source "$(dirname "$0")/lib/wine.sh"
[ -x "$native/demo-inspect" ] || { echo "FAIL: no native $native/demo-inspect to compare with"; exit 1; }

# Runs both builds with the same arguments from the same folder; compares exit codes and output.
# With raw=1 each build also writes the pixels (png --raw) and the bytes must match.
raw=0
compare() {
  local label=$1
  shift
  local linux_raw=() windows_raw=()
  if [ "$raw" = 1 ]; then
    linux_raw=(--raw "$work/linux.raw")
    windows_raw=(--raw "$work/windows.raw")
  fi
  rm -f "$work/linux.raw"
  (cd "$here" && "$native/demo-inspect" "$@" "${linux_raw[@]}" >"$work/linux.out" 2>"$work/linux.err")
  local linux=$?
  local windows tries mismatch
  # Wine itself now and then fails to start a program (about one in a few hundred runs here),
  # so a run that disagrees with Linux gets a second try before it counts.
  for tries in 1 2; do
    rm -f "$work/windows.raw"
    (cd "$here" && "$source/scripts/windows-wine.sh" "$build/demo-inspect.exe" "$@" "${windows_raw[@]}" >"$work/windows.crlf" 2>"$work/windows.errcrlf")
    windows=$?
    mismatch=""
    if [ -f "$work/linux.raw" ] && ! cmp -s "$work/linux.raw" "$work/windows.raw"; then
      mismatch="the pixel bytes differ ($(stat -c %s "$work/windows.raw" 2>/dev/null || echo no) file under Wine)"
    elif [ ! -f "$work/linux.raw" ] && [ -f "$work/windows.raw" ]; then
      mismatch="Windows decoded a file that Linux refused"
    fi
    [ "$linux" = "$windows" ] && [ -z "$mismatch" ] && break
    [ "$tries" = 1 ] && echo "note ($label): exit $windows under Wine against $linux on Linux${mismatch:+; $mismatch}; trying once more"
  done
  tr -d '\r' <"$work/windows.crlf" >"$work/windows.out"
  tr -d '\r' <"$work/windows.errcrlf" >"$work/windows.err"
  if [ -n "$mismatch" ]; then
    fail "$label" "$mismatch; exit $windows under Wine, $linux on Linux; $(head -c 300 "$work/windows.err")"
    return 1
  fi
  if [ "$linux" != "$windows" ] || ! cmp -s "$work/linux.out" "$work/windows.out" ||
    ! cmp -s "$work/linux.err" "$work/windows.err"; then
    fail "$label" "exit $windows against $linux on Linux; $(diff "$work/linux.out" "$work/windows.out" | head -5)$(diff "$work/linux.err" "$work/windows.err" | head -5)"
    return 1
  fi
  checked=$((checked + 1))
}
checked=0

here=$build/data
while read -r file object; do
  compare "$file $object" 3ds "$file" "$object"
done <<'LIST'
purple.3ds Text01
purple.3ds Text02
hjerte~1.3ds Shape02
spiral.3ds Shape1
ball2116.3ds Object01
striber.3ds Cone01
vexscene.3ds Box05
vexscene.3ds dude
vexscene.3ds briller
vexpush1.3ds Shape1
vexscene.3ds nosuchobject
LIST
here=$source/tests/fixtures/3ds
for file in "$here"/*.3[dD][sS]; do
  compare "$(basename "$file")" 3ds "$(basename "$file")" Box01
done

raw=1
for file in "$source"/tests/fixtures/pngsuite/*.png "$build"/data/*.png; do
  here=$(dirname "$file")
  compare "png $(basename "$file")" png "$(basename "$file")"
done
finish "demo-inspect.exe matches the Linux build on $checked runs"
