#!/usr/bin/env bash
# Remakes docs/screenshot-web.png and docs/screenshot-web-phone.png from the
# page that tools/web.sh builds, in Debian's Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build-web/zolm-converter.html ] || tools/web.sh
(cd tests/web && { [ -d node_modules ] || npm ci --no-audit --no-fund --loglevel=error; } &&
  node screenshots.mjs)
