# Sourced by ./run, ./test and .ci/run: installs the Debian packages given as
# arguments that are not installed yet, and nothing else.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

# What building and testing the program needs.
BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev libbenchmark-dev libcli11-dev libfast-float-dev
  qt6-base-dev libgl-dev fonts-dejavu-core)

# What the end-to-end test on a real X session needs.
DESKTOP_TEST_PACKAGES=(xvfb openbox xdotool xclip x11-utils)

# What making the Debian package needs (CPack finds the libraries with
# dpkg-shlibdeps and the binaries with file).
PACKAGE_PACKAGES=(dpkg-dev file git xz-utils)

# What checking the package needs.
PACKAGE_CHECK_PACKAGES=(lintian appstream desktop-file-utils xvfb xauth mandoc xz-utils)

# What building the Windows programs and testing them under Wine needs
# (fonts-wine: Wine's own fonts, the same on every machine; fonts-dejavu-core:
# the source of Zolm Sans, whose copyright the notices are checked against).
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine
  wine64 fonts-wine mingw-w64-x86-64-dev googletest libcli11-dev libfast-float-dev wixl msitools zip
  unzip faketime git fonts-dejavu-core)

# What building the web page and testing it in browsers needs (emscripten's
# optimizer needs node-acorn; WebKit's MiniBrowser runs on Xvfb).
WEB_PACKAGES=(emscripten node-acorn nodejs cmake ninja-build g++ libgtest-dev libfast-float-dev libcli11-dev
  chromium firefox-esr webkit2gtk-driver xvfb xauth fonts-dejavu-core unzip git)
