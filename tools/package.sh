#!/usr/bin/env bash
# Makes the Debian packages (zolm, the command line; zolm-converter, the
# window) and the source release: a release build in
# build-package/, then CPack; the source release is the commit's tracked
# files (git archive), or the tree where there is no git (inside an unpacked
# source release). Writes SHA256SUMS beside them and prints the paths of the
# .debs and the .tar.xz. Reproducible: every time stamp is SOURCE_DATE_EPOCH,
# by default the time of the last commit, set before anything is built, so
# any clone of a commit gives the same bytes.
# Install the package with: apt-get install ./<its path>
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

in_git=false
git rev-parse --is-inside-work-tree >/dev/null 2>&1 && [ -e .git ] && in_git=true
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if $in_git; then
    SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)"
  else
    SOURCE_DATE_EPOCH="$(stat -c %Y CMakeLists.txt)"
  fi
fi
# Before the build: Qt's resource compiler embeds the icons' times. A build
# made at another time is made anew, as nothing tells ninja the time changed.
export SOURCE_DATE_EPOCH QT_RCC_SOURCE_DATE_OVERRIDE="$SOURCE_DATE_EPOCH"
if [ "$(cat build-package/source-date-epoch 2>/dev/null)" != "$SOURCE_DATE_EPOCH" ]; then
  rm -rf build-package
  mkdir -p build-package
  echo "$SOURCE_DATE_EPOCH" >build-package/source-date-epoch
fi
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOLM_TESTS=OFF \
  -DZOLM_BENCH=OFF -DZOLM_WERROR=ON >/dev/null
cmake --build build-package >/dev/null
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)"
source_release="build-package/zolm-converter-$version.tar.xz"
rm -f build-package/zolm*_*.deb "$source_release" build-package/SHA256SUMS
(cd build-package && cpack -G DEB >/dev/null)
if $in_git; then
  git archive --format=tar --prefix="zolm-converter-$version/" HEAD | xz -T1 -9 >"$source_release"
else
  (cd build-package && cpack --config CPackSourceConfig.cmake >/dev/null)
fi
(cd build-package && sha256sum zolm_"$version"_*.deb zolm-converter_"$version"_*.deb \
  "$(basename "$source_release")" >SHA256SUMS)
ls "$PWD"/build-package/zolm_"$version"_*.deb "$PWD"/build-package/zolm-converter_"$version"_*.deb
ls "$PWD/$source_release"
