#!/usr/bin/env bash
# Remakes docs/screenshot-windows.png: runs build-windows/zolm-converter.exe
# under Wine on a virtual screen, in a Wine desktop of the window's size so
# that Wine draws the Windows frame itself, and grabs that desktop. Wine
# draws the caption buttons with the Marlett font, which fonts-wine ships
# but this Wine does not find there: it goes into the prefix's Fonts folder.
# Run tools/windows.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${WINDOWS_PACKAGES[@]}" xvfb xauth x11-apps netpbm fonts-wine
[ -f build-windows/zolm-converter.exe ] || { echo "run tools/windows.sh first" >&2; exit 1; }

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine)"
export WINEPREFIX="$PWD/build-windows/wine-prefix" WINEDEBUG=-all WINE
WINE="$wine"
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
shot="$(mktemp --suffix=.xwd)"
trap 'rm -f "$shot"; wineserver -k 2>/dev/null || true' EXIT
wineserver -k 2>/dev/null || true
SHOT="$shot" xvfb-run -a -s "-screen 0 800x300x24" bash -c '
  wineserver -p
  "$WINE" explorer /desktop=ZolmShot,700x190 build-windows/zolm-converter.exe &
  for _ in $(seq 100); do
    xwd -name "ZolmShot - Wine desktop" -silent > "$SHOT" 2>/dev/null && break
    sleep 0.2
  done
  sleep 3
  xwd -name "ZolmShot - Wine desktop" -silent > "$SHOT"
  wineserver -k
'
xwdtopnm "$shot" 2>/dev/null | pnmtopng > docs/screenshot-windows.png
echo "wrote docs/screenshot-windows.png"
