#!/usr/bin/env bash
# Installs what the Windows cross build and its tests need on Debian: MinGW-w64 (posix threads),
# Wine, the tools to fetch and unpack Debian source packages, and zip.
set -euo pipefail
PACKAGES=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev libz-mingw-w64-dev
  wine wine64 dpkg-dev ninja-build zip x11-apps
)
source "$(dirname "${BASH_SOURCE[0]}")/lib/packages.sh"
install_missing windows-setup "${PACKAGES[@]}"
