#!/usr/bin/env bash
# Installs what the browser build and its tests need on Debian: Emscripten (with the Node.js it
# runs on), the tools to fetch and unpack Debian source packages, the three browser engines the
# tests drive (Chromium; Firefox ESR; WebKitGTK's MiniBrowser through WebKitWebDriver), the private
# X server and sound server the last two run with, and zip. The npm packages of the tests come
# from package-lock.json (scripts/web-test.sh).
set -euo pipefail
PACKAGES=(emscripten nodejs chromium firefox-esr webkit2gtk-driver xvfb pulseaudio dpkg-dev ninja-build make
  zip brotli python3)
# npm comes with some Node.js builds and separately with Debian's.
command -v npm >/dev/null || PACKAGES+=(npm)
source "$(dirname "${BASH_SOURCE[0]}")/lib/packages.sh"
install_missing web-setup "${PACKAGES[@]}"
