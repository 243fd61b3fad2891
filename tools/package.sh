#!/usr/bin/env bash
# Makes the Debian package: a release build in build-package/, then CPack.
# Prints the package's path. Install it with: apt-get install ./<that path>
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

if [ ! -f build-package/build.ninja ]; then
  cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOLM_TESTS=OFF \
    -DZOLM_BENCH=OFF -DZOLM_WERROR=ON >/dev/null
fi
cmake --build build-package >/dev/null
(cd build-package && cpack -G DEB >/dev/null)
ls "$PWD"/build-package/zolm-converter_*.deb
