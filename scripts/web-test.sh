#!/usr/bin/env bash
# Builds the browser package (dist/show-web/) and tests it in three of Debian's browser engines:
# Chromium (headless, and as a phone) and Firefox ESR driven by puppeteer-core, WebKitGTK's
# MiniBrowser driven by selenium-webdriver, both from package-lock.json. npm never downloads a
# browser here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/web-setup.sh
# The native capture tool draws the stills the browser's are compared with.
scripts/setup.sh demo-capture
scripts/build-web.sh
# A fresh install from the lock file whenever it changed since the last one.
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund
fi
echo "web-test: the stills go to ${SHOW_WEB_STILL_DIR:-${SHOW_WEB_BUILD:-build-web}/stills}/"
node --test --test-concurrency=1 tests/web/
