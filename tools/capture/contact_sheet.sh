#!/usr/bin/env bash
# Makes docs/contact-sheet.png: one still of every scene and of the closing sequence, 4 x 2.
#   tools/capture/contact_sheet.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shots=(1:100 4:70 10:40 16:80 20:60 24:40 27:20 31:80)  # title, blob, wave, spiral, figure, logo zoom, heart, closing
args=()
for i in "${!shots[@]}"; do args+=(--shot "${shots[$i]}:$work/shot$i.png"); done
"$build/demo-capture" --size 640x480 "${args[@]}" >/dev/null
ffmpeg -y -loglevel error -framerate 1 -i "$work/shot%d.png" -vf "scale=256:192,tile=4x2" \
  -frames:v 1 "$root/docs/contact-sheet.png"
echo "wrote $root/docs/contact-sheet.png"
