#!/usr/bin/env bash
# Makes the Debian package and the source release: a release build in
# build-package/, then CPack. Prints the paths of the .deb and the .tar.xz.
# Reproducible: every time stamp is SOURCE_DATE_EPOCH, by default the time
# of the last commit, so two runs give the same bytes.
# Install the package with: apt-get install ./<its path>
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOLM_TESTS=OFF \
  -DZOLM_BENCH=OFF -DZOLM_WERROR=ON >/dev/null
cmake --build build-package >/dev/null
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)"
fi
export SOURCE_DATE_EPOCH
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)"
rm -f build-package/zolm-converter_*.deb build-package/zolm-converter-*.tar.xz
(cd build-package && cpack -G DEB >/dev/null && cpack --config CPackSourceConfig.cmake >/dev/null)
ls "$PWD"/build-package/zolm-converter_"$version"_*.deb
ls "$PWD/build-package/zolm-converter-$version.tar.xz"
