#!/usr/bin/env bash
# Installs what the build, the show and the tests need (Debian), then configures and builds into
# build/: the targets named as arguments, or everything.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake pkg-config git
  libsdl2-dev libopenmpt-dev libpng-dev zlib1g-dev libfreetype-dev fonts-dejavu-core
  libgl1-mesa-dev libgl1-mesa-dri libegl-mesa0 libegl1
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xfonts-base xdotool x11-utils ffmpeg sox gdb ccache
  clang libclang-rt-14-dev python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B build -DCMAKE_BUILD_TYPE="$BUILD_TYPE" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build build -j"$(nproc)" "${targets[@]}"
