#!/usr/bin/env bash
# Makes the Debian packages and the source release and checks them as Debian
# would: lintian (no warnings) on both packages, the notices of the works the
# programs carry, zolm needing no toolkit, appstreamcli (pedantic), desktop-file-validate,
# mandoc on both man pages, every version string against the project's, two
# builds byte for byte; then installs the package with apt-get, checks the
# installed programs without a display, starts the window on a virtual
# screen until it shows, closes it by its process id, purges the package and
# checks that every file it installed is gone; last, builds and tests the
# source release unpacked in a folder of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${PACKAGE_CHECK_PACKAGES[@]}" "${DESKTOP_TEST_PACKAGES[@]}"

fail() {
  echo "package check: FAIL: $*" >&2
  exit 1
}

made="$(tools/package.sh)"
cli_deb="$(grep '/zolm_[^/]*\.deb$' <<<"$made")"
deb="$(grep '/zolm-converter_[^/]*\.deb$' <<<"$made")"
source_release="$(grep '\.tar\.xz$' <<<"$made")"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)"
echo "packages: $cli_deb $deb"
echo "source: $source_release"

echo "-- lintian"
lintian --fail-on warning "$cli_deb" "$deb"

echo "-- notices of what the programs carry"
for package in "$cli_deb" "$deb"; do
  name="$(dpkg-deb -f "$package" Package)"
  copyright="$(dpkg-deb --fsys-tarfile "$package" | tar -xO "./usr/share/doc/$name/copyright")"
  for work in "fast_float" "CLI11"; do
    grep -q "$work" <<<"$copyright" || fail "$name's copyright does not name $work"
  done
done
grep -q '/THIRD-PARTY-NOTICES.txt$' <<<"$(tar -tJf "$source_release")" ||
  fail "the source release holds no THIRD-PARTY-NOTICES.txt"
# Each notice is its source's whole text, from the Debian package it came from.
tools/notices.sh check THIRD-PARTY-NOTICES.txt fast_float CLI11 "DejaVu Sans" ||
  fail "THIRD-PARTY-NOTICES.txt is not what fast_float's, CLI11's and DejaVu's copyright files give"
# The window carries Zolm Sans, which is DejaVu Sans changed.
grep -q "Bitstream Vera" <<<"$(dpkg-deb --fsys-tarfile "$deb" |
  tar -xO ./usr/share/doc/zolm-converter/copyright)" ||
  fail "zolm-converter's copyright does not name DejaVu Sans's licence"
echo "both packages' copyright names fast_float and CLI11; the notices are their sources' texts"

echo "-- zolm needs no toolkit"
cli_depends="$(dpkg-deb -f "$cli_deb" Depends)"
grep -qiE 'qt|libgl|x11' <<<"$cli_depends" && fail "zolm depends on $cli_depends"
dpkg-deb -c "$cli_deb" | grep -q '/usr/bin/zolm-converter$' && fail "zolm holds the window"
dpkg-deb -f "$deb" Depends | grep -q "zolm (= $version)" || fail "zolm-converter does not depend on zolm"
echo "zolm depends on $cli_depends only"
echo "-- appstreamcli"
appstreamcli validate --pedantic --no-net build-package/docs/org.zolm.converter.metainfo.xml
echo "-- desktop-file-validate"
desktop-file-validate resources/org.zolm.converter.desktop
echo "-- mandoc"
mandoc -T lint build-package/docs/zolm.1 build-package/docs/zolm-converter.1

echo "-- one version: $version"
for package in "$cli_deb" "$deb"; do
  [ "$(dpkg-deb -f "$package" Version)" = "$version" ] || fail "the version of $package"
done
grep -q "<release version=\"$version\"" build-package/docs/org.zolm.converter.metainfo.xml ||
  fail "the metainfo's release"
for page in zolm zolm-converter; do
  grep -q "^\.TH .* \"[^\"]* $version\" " "build-package/docs/$page.1" || fail "the version in $page.1"
done
head -1 build-package/docs/changelog | grep -q "($version)" || fail "the changelog's version"
release_date="$(sed -n 's/^set(ZOLM_RELEASE_DATE \(.*\))$/\1/p' CMakeLists.txt)"
changelog_date="$(sed -n 's/^ -- .*  //p' build-package/docs/changelog | head -1)"
[ "$(date -u -d "$changelog_date" +%F)" = "$release_date" ] ||
  fail "the changelog's date $changelog_date is not $release_date"
grep -q "<release version=\"$version\" date=\"$release_date\"" \
  build-package/docs/org.zolm.converter.metainfo.xml || fail "the metainfo's release date"
(cd build-package && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS"

if git rev-parse --is-inside-work-tree >/dev/null 2>&1 && [ -e .git ]; then
  echo "-- the source release is the commit"
  diff <(tar -tJf "$source_release" | grep -v '/$' | sed "s|^zolm-converter-$version/||" | sort) \
    <(git ls-tree -r --name-only HEAD | sort) >/dev/null || fail "the source release's files"
  echo "exactly the commit's $(git ls-tree -r --name-only HEAD | wc -l) tracked files"

  echo "-- reproducible from any clone"
  clone="$(mktemp -d)"
  git clone -q . "$clone/zolm"
  (cd "$clone/zolm" && git checkout -q "$(git -C "$OLDPWD" rev-parse HEAD)" && tools/package.sh >/dev/null)
  for file in "$cli_deb" "$deb" "$source_release"; do
    cmp "$file" "$clone/zolm/build-package/$(basename "$file")" ||
      { rm -rf "$clone"; fail "a fresh clone made another $(basename "$file")"; }
  done
  rm -rf "$clone"
  echo "a fresh clone gives byte-identical .debs and source release"
fi

echo "-- install"
for package in zolm-converter zolm; do
  if dpkg-query -W "$package" >/dev/null 2>&1; then apt-get purge -y -qq "$package"; fi
done
install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$cli_deb" "$deb" >/dev/null; }
install || { apt-get update -qq && install; }
mapfile -t files < <(dpkg -L zolm zolm-converter | while read -r f; do [ -f "$f" ] && echo "$f"; done)
echo "installed ${#files[@]} files"
[ "$(/usr/bin/zolm --version)" = "zolm $version" ] || fail "zolm --version"
[ "$(env -u DISPLAY /usr/bin/zolm-converter --version)" = "zolm-converter $version" ] ||
  fail "zolm-converter --version"
env -u DISPLAY /usr/bin/zolm-converter --help | grep -q "^Usage: zolm-converter" ||
  fail "zolm-converter --help"
[ "$(/usr/bin/zolm --from hex --to ascii '48 69')" = "Hi" ]
# Without a usable display: its own words and status 1, not Qt's abort.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/zolm-converter 2>"$deb.err" ||
  status=$?
[ "$status" -eq 1 ] && grep -q "xvfb-run zolm-converter" "$deb.err" || fail "no display: $status"
status=0
DISPLAY=:9999 /usr/bin/zolm-converter 2>"$deb.err" || status=$?
[ "$status" -eq 1 ] && grep -q "xvfb-run zolm-converter" "$deb.err" ||
  fail "an unreachable display: $status, $(cat "$deb.err")"
rm -f "$deb.err"
echo "versions agree; without a display it says so and exits 1"
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
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq zolm-converter zolm >/dev/null
for f in "${files[@]}"; do
  [ ! -e "$f" ] || { echo "left behind after purge: $f" >&2; exit 1; }
done
echo "purged; no file left"

echo "-- the source release builds and tests"
unpacked="$(mktemp -d)"
tar -xJf "$source_release" -C "$unpacked"
root="$unpacked/zolm-converter-$version"
[ -f "$root/CMakeLists.txt" ] || fail "no CMakeLists.txt at the source release's root"
(cd "$root" && ./test) || { rm -rf "$unpacked"; fail "the source release's ./test"; }
rm -rf "$unpacked"
echo "source release: built and tested"
