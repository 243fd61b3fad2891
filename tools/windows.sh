#!/usr/bin/env bash
# Builds the Windows programs on Debian with MinGW-w64 into build-windows/
# and runs their tests under Wine: installs what is missing (the
# cross-compiler, Wine, GoogleTest's sources), configures with
# cmake/mingw-w64-x86_64.cmake, builds, checks that every program imports
# system DLLs only, runs ctest with Wine as the emulator, then the window's
# end-to-end test on a virtual X session (tests/win32/desktop_test.sh).
# The release files get SHA256SUMS and winget manifests beside them, and a
# build from a fresh clone of the commit must give the same bytes.
#
# Wine runs in a prefix of its own inside build-windows/ (never ~/.wine),
# without debug output; its server is ended on that prefix when the script
# ends, however it ends.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${WINDOWS_PACKAGES[@]}" "${DESKTOP_TEST_PACKAGES[@]}"

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-objdump wineserver; do
  command -v "$tool" >/dev/null || { echo "windows: $tool is missing" >&2; exit 1; }
done
# The 64-bit loader itself: the wine wrapper asks for a 32-bit Wine first.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine)" || { echo "windows: wine is missing" >&2; exit 1; }

build=build-windows
mkdir -p "$build"
# Wine runs in this build's own prefix, also when the build lists the tests.
export WINEPREFIX="$PWD/$build/wine-prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer prompts on the prefix's first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
# Wine sees its own fonts and those of the packages the scripts install.
export FONTCONFIG_FILE="$PWD/tests/lib/fonts.conf"
clone=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -z "$clone" ] || rm -rf "$clone"
}
trap cleanup EXIT
# One server for the whole run, so that each program starts in milliseconds.
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true
wineserver -p
if ! timeout 120 "$wine" wineboot --init >/dev/null 2>&1; then
  echo "windows: Wine did not start a prefix in $WINEPREFIX" >&2
  exit 1
fi

werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi
# Every time stamp in the release files is the last commit's.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)"
fi
export SOURCE_DATE_EPOCH
configure() {  # configure FOLDER OPTIONS...
  local folder="$1"
  shift
  cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" -DZOLM_BENCH=OFF "$@"
}
configure "$build" -DZOLM_GTEST_SOURCE=/usr/src/googletest -DZOLM_WERROR="$werror"
cmake --build "$build"

# Every program imports only DLLs that every Windows from 7 on has (no
# api-ms-win-* sets, which Windows 7 lacks in part).
system_dlls='^(kernel32|user32|gdi32|shell32|comctl32|comdlg32|advapi32|ole32|oleaut32|oleacc|uxtheme|msvcrt|ws2_32|shlwapi|version|imm32|dwmapi)\.dll$'
for exe in "$build"/*.exe; do
  while read -r dll; do
    if ! [[ "${dll,,}" =~ $system_dlls ]]; then
      echo "windows: $exe imports $dll, which Windows does not have" >&2
      exit 1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
echo "windows: $(ls "$build"/*.exe | wc -l) programs import system DLLs only"

[ "$("$wine" "$build/zolm.exe" --from ascii --to hex Hi)" = "48 69" ] ||
  { echo "windows: zolm.exe does not convert under Wine" >&2; exit 1; }
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

# The release files: the installer and the portable zip.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
release="$build/zolm-converter-$version-win64"
[ -f "$release.msi" ] || { echo "windows: $release.msi was not made" >&2; exit 1; }
listing="$(unzip -Z1 "$release.zip")" || { echo "windows: $release.zip was not made" >&2; exit 1; }
for file in zolm-converter.exe zolm.exe LICENSE.txt THIRD-PARTY-NOTICES.txt README.txt; do
  grep -qx "zolm-converter-$version-win64/$file" <<<"$listing" ||
    { echo "windows: $file is not in $release.zip" >&2; exit 1; }
done
# The installer installs the notices of what the programs carry, and the
# zip holds them: each the whole text its source gives.
grep -q "THIRD-PARTY-NOTICES.txt" <<<"$(msiinfo export "$release.msi" File)" ||
  { echo "windows: the MSI installs no THIRD-PARTY-NOTICES.txt" >&2; exit 1; }
rm -rf "$build/notices" && mkdir -p "$build/notices/msi"
unzip -p "$release.zip" "zolm-converter-$version-win64/THIRD-PARTY-NOTICES.txt" | tr -d '\r' \
  >"$build/notices/zip.txt"
(cd "$build/notices/msi" && msiextract "../../$(basename "$release").msi" >/dev/null)
installed_notices="$(find "$build/notices/msi" -name THIRD-PARTY-NOTICES.txt -print -quit)"
[ -n "$installed_notices" ] || { echo "windows: the MSI holds no THIRD-PARTY-NOTICES.txt" >&2; exit 1; }
tr -d '\r' <"$installed_notices" >"$build/notices/msi.txt"
for notices in zip msi; do
  tools/notices.sh check "$build/notices/$notices.txt" fast_float CLI11 "The MinGW-w64 runtime" \
    "DejaVu Sans" ||
    { echo "windows: the $notices's notices are not their sources' texts" >&2; exit 1; }
done
[ "$("$wine" "$build/zolm.exe" --version)" = "zolm $version" ] ||
  { echo "windows: zolm.exe --version is not $version" >&2; exit 1; }
# A Linux reader that stops early: zolm.exe ends quietly, as on Linux.
seq 200000 | sed 's/.*/65/' >"$build/lines.txt"
set +o pipefail
"$wine" "$build/zolm.exe" --from dec --to ascii --each-line <"$build/lines.txt" 2>"$build/pipe.err" |
  head -n 2 >/dev/null
set -o pipefail
if [ -s "$build/pipe.err" ]; then
  echo "windows: zolm.exe piped to head complains: $(cat "$build/pipe.err")" >&2
  exit 1
fi
(cd "$build" && sha256sum "$(basename "$release").msi" "$(basename "$release").zip" >SHA256SUMS &&
  sha256sum --quiet -c SHA256SUMS) || { echo "windows: SHA256SUMS do not verify" >&2; exit 1; }
echo "windows: $release.msi and $release.zip, SHA256SUMS"

# winget manifests for the MSI (the winget-pkgs layout, schema 1.6). The
# installer's address is the publisher's to fill in.
product_code="$(msiinfo export "$release.msi" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p')"
[ -n "$product_code" ] || { echo "windows: the MSI has no ProductCode" >&2; exit 1; }
msi_sha256="$(sha256sum "$release.msi" | cut -d' ' -f1 | tr a-f A-F)"
winget="$build/winget"
id=Zolm.ZolmConverter
rm -rf "$winget"
mkdir -p "$winget"
manifest() {  # manifest FILE TYPE: the common head, standard input, the tail
  {
    echo "# yaml-language-server: \$schema=https://aka.ms/winget-manifest.$2.1.6.0.schema.json"
    echo "PackageIdentifier: $id"
    echo "PackageVersion: $version"
    cat
    echo "ManifestType: $2"
    echo "ManifestVersion: 1.6.0"
  } >"$winget/$1"
}
manifest "$id.yaml" version <<<"DefaultLocale: en-US"
manifest "$id.installer.yaml" installer <<MANIFEST
MinimumOSVersion: 6.1.7601.0
InstallerType: wix
Scope: user
UpgradeBehavior: install
ProductCode: '$product_code'
Installers:
- Architecture: x64
  # Where the publisher serves $(basename "$release").msi: fill in.
  InstallerUrl: https://publisher.invalid/$(basename "$release").msi
  InstallerSha256: $msi_sha256
MANIFEST
manifest "$id.locale.en-US.yaml" defaultLocale <<MANIFEST
PackageLocale: en-US
Publisher: The Zolm Converter developers
PackageName: Zolm Converter
License: MIT
ShortDescription: Show a text as its character codes and convert between them
Moniker: zolm
MANIFEST
echo "windows: winget manifests in $winget"

# The same commit from a fresh clone gives the same bytes.
clone="$(mktemp -d)"
git clone -q . "$clone/zolm"
git -C "$clone/zolm" checkout -q "$(git rev-parse HEAD)"
(cd "$clone/zolm" && configure build-windows -DZOLM_TESTS=OFF >/dev/null &&
  cmake --build build-windows >/dev/null)
for file in zolm-converter.exe zolm.exe "$(basename "$release").msi" "$(basename "$release").zip"; do
  cmp "$build/$file" "$clone/zolm/build-windows/$file" ||
    { echo "windows: a fresh clone made another $file" >&2; exit 1; }
done
echo "windows: a fresh clone gives byte-identical programs, MSI and zip"

# The window, driven as a person would, on a display of its own; then the
# installer's round trip.
tests/win32/desktop_test.sh "$build"
tests/win32/install_test.sh "$build" "$clone/zolm/build-windows/$(basename "$release").msi"
