#!/usr/bin/env bash
# Remakes docs/screenshot.png: runs the program on a virtual screen and grabs
# its window.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xauth x11-apps netpbm

cmake -S . -B build -G Ninja
cmake --build build --target zolm-converter

shot="$(mktemp --suffix=.xwd)"
trap 'rm -f "$shot"' EXIT
SHOT="$shot" xvfb-run -a -s "-screen 0 800x300x24" bash -c '
  build/zolm-converter &
  pid=$!
  for _ in $(seq 50); do
    xwd -name "Zolm Converter" -silent > "$SHOT" 2>/dev/null && break
    sleep 0.2
  done
  sleep 1
  xwd -name "Zolm Converter" -silent > "$SHOT"
  kill "$pid"
'
xwdtopnm "$shot" 2>/dev/null | pnmtopng > docs/screenshot.png
echo "wrote docs/screenshot.png"
