#!/usr/bin/env bash
# Builds the web face into build-web/ and tests it: installs what is missing
# (Debian's emscripten, Chromium, Firefox ESR and WebKit's driver; the
# browser test's npm packages with npm ci), compiles the engine to
# WebAssembly (emcmake), makes the single page, the installable site, the ES
# module, the node driver, the release zip (web/build.mjs) and the npm
# package (npm pack), runs the driver tests against the WebAssembly driver
# under node, the command-line tests against the installed package's zolm,
# the browser test (tests/web/) in Chromium, Firefox and WebKit and the
# package's test, writes SHA256SUMS and checks that a fresh clone of the
# commit gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${WEB_PACKAGES[@]}"
command -v npm >/dev/null || ensure_packages npm

# Where node is not Debian's own, emscripten's optimizer finds acorn here.
export NODE_PATH=/usr/share/nodejs
# The browsers see the fonts of the packages the scripts install, and only those.
export FONTCONFIG_FILE="$PWD/tests/lib/fonts.conf"
out=build-web
werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi
# Every time stamp in the release files is the last commit's.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)"
fi
export SOURCE_DATE_EPOCH

build_web() {  # build_web OUT: the WebAssembly build in OUT/cmake, the files in OUT
  local folder="$1"
  emcmake cmake -S . -B "$folder/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOLM_QT=OFF \
    -DZOLM_CLI=ON -DZOLM_TESTS=OFF -DZOLM_BENCH=OFF -DZOLM_WERROR="$werror" >/dev/null
  cmake --build "$folder/cmake"
  local version
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$folder/cmake/CMakeCache.txt")"
  node web/build.mjs "$folder/cmake" "$folder" "$version" "$SOURCE_DATE_EPOCH"
  rm -f "$folder/zolm-converter-$version.tgz"
  (cd "$folder/npm" && npm pack --pack-destination .. --loglevel=error >/dev/null)
}
build_web "$out"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/cmake/CMakeCache.txt")"
zip="zolm-converter-$version-web.zip"
tgz="zolm-converter-$version.tgz"

size="$(stat -c %s "$out/zolm-converter.html")"
[ "$size" -le 262144 ] ||
  { echo "web: zolm-converter.html is $size bytes, over 256 KiB" >&2; exit 1; }
echo "web: zolm-converter.html is $size bytes"
(cd "$out" && sha256sum zolm-converter.html zolm.mjs "$zip" "$tgz" >SHA256SUMS &&
  sha256sum --quiet -c SHA256SUMS) ||
  { echo "web: SHA256SUMS do not verify" >&2; exit 1; }

# The driver tests, against the WebAssembly engine under node.
cmake -S . -B "$out/native" -G Ninja -DZOLM_QT=OFF -DZOLM_CLI=ON -DZOLM_BENCH=OFF \
  -DZOLM_WERROR="$werror" >/dev/null
cmake --build "$out/native" --target zolm-tests
ZOLM_DRIVER_COMMAND="$(command -v node) $PWD/$out/zolm-driver.js" \
  "$out/native/zolm-tests" --gtest_filter='DriverTest.*' --gtest_brief=1

# The npm package installed from its tarball into an empty folder, and the
# command-line tests against its zolm.
installed="$PWD/$out/npm-installed"
rm -rf "$installed"
mkdir -p "$installed"
(cd "$installed" && echo '{"private": true}' >package.json &&
  npm install --no-audit --no-fund --loglevel=error "../$tgz")
ZOLM_CLI_COMMAND="$installed/node_modules/.bin/zolm" \
  "$out/native/zolm-tests" --gtest_filter='CliTest.*' --gtest_brief=1
echo "web: $tgz is $(stat -c %s "$out/$tgz") bytes"

# The page in Chromium, Firefox and WebKit (whose MiniBrowser needs a display),
# the module against the driver, and the package used as its README says.
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
(cd tests/web && ZOLM_WEB="$PWD/../../$out" ZOLM_NPM_INSTALL="$installed" \
  xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" node --test)
for file in zolm.mjs THIRD-PARTY-NOTICES.txt; do
  grep -q "/$file$" <<<"$(unzip -Z1 "$out/$zip")" || { echo "web: $zip holds no $file" >&2; exit 1; }
done
# The page and the module carry the notices of fast_float and Emscripten;
# the zip, the npm package and the module's head give each whole, as its
# source does (zolm.cjs in the package carries CLI11 as well).
for file in zolm-converter.html site/index.html zolm.mjs; do
  grep -q "Daniel Lemire" "$out/$file" && grep -q "The Emscripten Authors" "$out/$file" ||
    { echo "web: $file carries no third-party notices" >&2; exit 1; }
done
mkdir -p "$out/notices"
unzip -p "$out/$zip" "*/THIRD-PARTY-NOTICES.txt" >"$out/notices/zip.txt"
tar -xzOf "$out/$tgz" package/THIRD-PARTY-NOTICES.txt >"$out/notices/npm.txt"
awk 'NR == 1 { next } /^\*\/$/ { exit } { print }' "$out/zolm.mjs" >"$out/notices/module.txt"
for notices in zip npm module; do
  tools/notices.sh check "$out/notices/$notices.txt" fast_float CLI11 Emscripten ||
    { echo "web: the notices in the $notices are not their sources' texts" >&2; exit 1; }
done
# The zip's page carries the pictures of Zolm Sans (DejaVu Sans).
tools/notices.sh check "$out/notices/zip.txt" "DejaVu Sans" ||
  { echo "web: the zip's notices lack DejaVu Sans's" >&2; exit 1; }

# The same commit from a fresh clone gives the same bytes.
if git rev-parse HEAD >/dev/null 2>&1; then
  clone="$(mktemp -d)"
  trap 'rm -rf "$clone"' EXIT
  git clone -q . "$clone/zolm"
  git -C "$clone/zolm" checkout -q "$(git rev-parse HEAD)"
  (cd "$clone/zolm" && build_web build-web >/dev/null)
  for file in zolm-converter.html zolm.mjs zolm-driver.js "$zip" "$tgz"; do
    cmp "$out/$file" "$clone/zolm/build-web/$file" ||
      { echo "web: a fresh clone made another $file" >&2; exit 1; }
  done
  echo "web: a fresh clone gives byte-identical files"
fi
echo "web: $out/zolm-converter.html, $out/site/, $out/zolm.mjs, $out/zolm-driver.js, $out/$zip, $out/$tgz"
