# shellcheck shell=bash
# The Debian packages each part of the project needs, and their installation.
# Sourced, not run.
#
# Defines: the package lists QV_PACKAGES (build and play), QV_TEST_PACKAGES,
# QV_PACKAGE_PACKAGES, QV_WINDOWS_PACKAGES, QV_WINDOWS_TEST_PACKAGES,
# QV_WEB_PACKAGES and QV_WEB_TEST_PACKAGES, and the function
# qv_install_packages. Needs nothing from its caller.

# The lists are read by the scripts that source this file.
# shellcheck disable=SC2034

# What every build of the game needs: the native compiler and CMake, and the
# native libraries (the Windows and web builds draw their pictures with a
# native build and take their libraries' sources from these packages).
QV_BASE_PACKAGES=(cmake make g++ pkg-config libjpeg62-turbo-dev libsdl2-dev)
QV_PACKAGES=("${QV_BASE_PACKAGES[@]}" libx11-dev libgtest-dev libgmock-dev libbenchmark-dev)
# Only the tests need these: the fuzzer's compiler and runtime, Python for the
# end-to-end tests, the X server and tools for the window tests (a minimal
# window manager, which does fullscreen, and one that honours a window's
# request not to be focused, with a terminal to play in beside it), libjpeg's
# own command-line tools for reference pictures, valgrind for the memory
# checks, Debian's checkers for the package's files, and the linters.
QV_TEST_PACKAGES=(
  clang-14 libclang-rt-14-dev
  python3 xvfb xdotool x11-utils x11-apps libjpeg-turbo-progs
  clang-format clang-tidy shellcheck valgrind
  evilwm openbox xterm
  lintian desktop-file-utils appstream man-db
)
# Building the Debian package (scripts/package.sh): dpkg-shlibdeps works out
# its dependencies, and CPack finds the binaries to inspect with file.
QV_PACKAGE_PACKAGES=(dpkg-dev file)
# The Windows build: the cross compiler (POSIX threads variant), nasm for
# libjpeg-turbo's SIMD code, apt's source tools for Debian's SDL2 and
# libjpeg-turbo sources, zip and NSIS for the zip and the installer; Wine and
# Xvfb for its tests, with a minimal window manager and one that honours
# focus requests as Windows does.
QV_WINDOWS_PACKAGES=(
  "${QV_BASE_PACKAGES[@]}" libgtest-dev libgmock-dev
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  nasm dpkg-dev zip nsis
)
QV_WINDOWS_TEST_PACKAGES=(wine wine64 python3 xvfb xdotool x11-utils x11-apps libjpeg-turbo-progs evilwm
  openbox)
# The web build: Debian's emscripten and binaryen, Node.js for its tools and
# the page's npm packages, apt's source tools for Debian's SDL2 and
# libjpeg-turbo sources, optipng for the app icons, zip for the folder's
# archive.
QV_WEB_PACKAGES=("${QV_BASE_PACKAGES[@]}" emscripten binaryen dpkg-dev optipng zip)
# The web tests: Debian's Chromium, driven headless through its DevTools pipe
# by Python, and libjpeg's tools for reference pictures; Firefox (driven
# through its own Marionette port) and WebKitGTK's WebDriver server, each on
# a private X server.
QV_WEB_TEST_PACKAGES=(chromium python3 libjpeg-turbo-progs firefox-esr webkit2gtk-driver xvfb)

# qv_missing_packages PACKAGE...: prints those of them that are not installed.
qv_missing_packages() {
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$pkg"
    fi
  done
}

# qv_install_packages PACKAGE...: installs whichever of them are missing,
# with apt-get as root or through sudo; stops the script with a clear message
# otherwise.
qv_install_packages() {
  local missing
  mapfile -t missing < <(qv_missing_packages "$@")
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages (a few minutes on a fresh machine): ${missing[*]}"
  local apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      apt=(sudo "${apt[@]}")
    else
      echo "error: these Debian packages are needed but missing: ${missing[*]}" >&2
      echo "Install them as root (apt-get install ${missing[*]}) and run this script again." >&2
      exit 1
    fi
  fi
  if ! "${apt[@]}" update -qq || ! "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"; then
    echo "error: could not install: ${missing[*]}" >&2
    exit 1
  fi
  local still
  mapfile -t still < <(qv_missing_packages "${missing[@]}")
  if [ ${#still[@]} -ne 0 ]; then
    echo "error: still missing after installing: ${still[*]}" >&2
    exit 1
  fi
}
