#!/usr/bin/env bash
# Makes the Debian package and checks it as Debian would: lintian (no
# errors), appstreamcli and desktop-file-validate, then installs it with
# apt-get, starts the installed program on a virtual screen until its window
# shows, closes it by its process id, and purges the package again,
# checking that every file it installed is gone.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${PACKAGE_CHECK_PACKAGES[@]}" "${DESKTOP_TEST_PACKAGES[@]}"

deb="$(tools/package.sh)"
echo "package: $deb"

echo "-- lintian"
lintian --fail-on error "$deb"
echo "-- appstreamcli"
appstreamcli validate --no-net resources/org.zolm.converter.metainfo.xml
echo "-- desktop-file-validate"
desktop-file-validate resources/org.zolm.converter.desktop

echo "-- install"
if dpkg-query -W zolm-converter >/dev/null 2>&1; then apt-get purge -y -qq zolm-converter; fi
install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null; }
install || { apt-get update -qq && install; }
mapfile -t files < <(dpkg -L zolm-converter | while read -r f; do [ -f "$f" ] && echo "$f"; done)
echo "installed ${#files[@]} files"
/usr/bin/zolm --version
[ "$(/usr/bin/zolm --from hex --to ascii '48 69')" = "Hi" ]
if command -v man >/dev/null; then man -w zolm-converter >/dev/null && man -w zolm >/dev/null; fi

echo "-- start the installed program"
work="$(mktemp -d)"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1024x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(cat "$work/display")" /usr/bin/zolm-converter &
program=$!
pids+=("$program")
DISPLAY=":$(cat "$work/display")" timeout 15 xdotool search --sync --name '^Zolm Converter$' >/dev/null ||
  { echo "the installed program showed no window" >&2; exit 1; }
kill "$program"
wait "$program" 2>/dev/null || true
echo "window shown, program closed"

echo "-- purge"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq zolm-converter >/dev/null
for f in "${files[@]}"; do
  [ ! -e "$f" ] || { echo "left behind after purge: $f" >&2; exit 1; }
done
echo "purged; no file left"
