#!/usr/bin/env bash
# Regenerates the golden stills on purpose (after an intended change to the picture):
#   tests/golden/regenerate.sh [BUILD_DIR]
# Captures at 320x240 and 15 frames per second, the settings the golden test uses.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
args=()
while read -r order row name; do
  [[ -z "$order" || "$order" == \#* ]] && continue
  args+=(--shot "$order:$row:$here/$name.png")
done <"$here/shots.txt"
"$build/demo-capture" --size 320x240 --fps 15 "${args[@]}" >/dev/null
echo "regenerated $(( ${#args[@]} / 2 )) golden stills in $here"
