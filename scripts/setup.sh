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
  xvfb xfonts-base xdotool x11-utils ffmpeg sox gdb ccache python3 pulseaudio pulseaudio-utils
  clang libclang-rt-14-dev
)

source scripts/lib/packages.sh
install_missing setup "${PACKAGES[@]}"

BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B build -DCMAKE_BUILD_TYPE="$BUILD_TYPE" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build build -j"$(nproc)" "${targets[@]}"
