#!/usr/bin/env bash
# Windows build under Wine: the error paths end with a native message box, the right words and a
# non-zero exit, without hanging; paths with spaces and accents work.
set -u
source "$(dirname "$0")/lib/wine.sh"
source "$(dirname "$0")/../e2e/lib/datafiles.sh"

# Runs demo640.exe (copied into folder $1, with the data beside it when $2 is "with-data") from
# folder $3 in the background, with the rest of the arguments as environment; sets demo.
start_demo() {
  local dir=$1 data=$2 cwd=$3
  shift 3
  mkdir -p "$dir" "$cwd"
  cp "$build/demo640.exe" "$dir/"
  [ "$data" = with-data ] && [ ! -d "$dir/data" ] && cp -r "$build/data" "$dir/data"
  (cd "$cwd" && exec env "$@" timeout -k 2 120 "$source/scripts/windows-wine.sh" "$dir/demo640.exe" \
    >"$work/out.txt" 2>"$work/err.txt") &
  demo=$!
}

# Dismisses the "FATAL ERROR" box and waits for the program; sets code (-1: no box came; 124 or
# 137: the program did not end). A key that reaches the box before it takes keys is lost, so
# Return is pressed again, in the box Wine shows then, while one stays open.
dismiss_box() {
  code=-1
  wait_for_window "FATAL ERROR" 900 "$demo" || { kill -9 "$demo" 2>/dev/null; return 1; }
  local i box closed_at="" presses=0
  for i in $(seq 600); do
    kill -0 "$demo" 2>/dev/null || break
    box=$(window_titled "FATAL ERROR")
    if [ -n "$box" ]; then
      if [ $((i % 30)) -eq 1 ]; then
        press_key "$box" Return
        presses=$((presses + 1))
      fi
    elif [ -z "$closed_at" ]; then
      closed_at=$i
    elif [ $((i - closed_at)) -ge 300 ]; then
      echo "the box closed, but the program was still running 30 s later" >>"$work/err.txt"
      kill -9 "$demo" 2>/dev/null
      break
    fi
    sleep 0.1
  done
  wait "$demo"
  code=$?
  [ "$presses" -gt 1 ] && echo "(the box closed after $presses presses of Return)"
  return 0
}

# Multitexture hidden: the exact reason in error.txt (with Windows line ends) and a non-zero exit.
start_demo "$work/bin" with-data "$work/run" MESA_EXTENSION_OVERRIDE=-GL_ARB_multitexture
name="no multitexture"
if ! dismiss_box; then
  fail "$name" "no message box appeared"
elif [ "$code" -eq 0 ] || [ "$code" -ge 124 ]; then
  fail "$name" "exit code $code"
elif ! printf '3d-card does not support multitexture\r\n\r\n' | cmp -s - "$work/run/error.txt"; then
  fail "$name" "error.txt holds: $(od -c "$work/run/error.txt" 2>&1 | head -3)"
else
  echo "ok ($name): exit $code, error.txt holds the reason"
fi

# No data anywhere: the message names every file and both folders looked in.
start_demo "$work/alone" no-data "$work/empty"
name="no data folder"
if ! dismiss_box; then
  fail "$name" "no message box appeared"
elif [ "$code" -eq 0 ] || [ "$code" -ge 124 ]; then
  fail "$name" "exit code $code"
else
  missing=$(data_files_not_named "$source" "$work/err.txt")
  # Wine shows Unix folders on drive Z:, with backslashes.
  for dir in "$work/empty/data" "$work/alone/data"; do
    windows_dir="Z:$(echo "$dir" | tr / '\\')"
    grep -q -F -e "$windows_dir" -e "$(echo "$windows_dir" | sed 's/\\data$/\/data/')" "$work/err.txt" ||
      missing="$missing $windows_dir"
  done
  if [ -n "$missing" ]; then
    fail "$name" "the message does not name:$missing"
  else
    echo "ok ($name): exit $code, every file and both folders named"
  fi
fi

# A folder with spaces and accents, data beside the program: it plays (a damaged file beside it
# then shows that this is the data read).
dir="$work/Démo für alle/bin"
start_demo "$dir" with-data "$work/empty"
name="folder with spaces and accents"
if wait_for_window "Windows example title" 300 "$demo"; then
  sleep 1
  press_key "$win" Escape
  wait "$demo"
  code=$?
  [ "$code" -eq 0 ] && echo "ok ($name): plays" || fail "$name" "exit code $code"
else
  kill -9 "$demo" 2>/dev/null
  fail "$name" "the show did not start"
fi
: >"$dir/data/txt.png"
start_demo "$dir" with-data "$work/empty"
name="folder with spaces and accents, damaged"
if ! dismiss_box; then
  fail "$name" "no message box appeared"
elif [ "$code" -eq 0 ] || [ "$code" -ge 124 ]; then
  fail "$name" "exit code $code"
elif ! grep -q -F "Démo für alle" "$work/err.txt" || ! grep -q "txt.png" "$work/err.txt"; then
  fail "$name" "the message does not name the damaged file in its folder"
else
  echo "ok ($name): the message names txt.png in that folder"
fi
finish "the Windows build's errors are clear and end the program"
