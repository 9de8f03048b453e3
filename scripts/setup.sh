#!/usr/bin/env bash
# Shared set-up of play.sh and test.sh: installs the Debian packages that the
# build, the game and the tests need, when any of them is missing.
# Sourced, not run: it defines qv_install_packages.

QV_PACKAGES=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libsdl2-dev libx11-dev
)
# Only the tests need these: the fuzzer's compiler and runtime, Python for the
# end-to-end tests, the X server and tools for the window tests (a minimal
# window manager, which does fullscreen, and one that honours a window's
# request not to be focused, with a terminal to play in beside it), libjpeg's
# own command-line tools for reference pictures, valgrind for the memory checks, and Debian's checkers
# for the package's files.
QV_TEST_PACKAGES=(
  clang-14 libclang-rt-14-dev
  python3 xvfb xdotool x11-utils x11-apps libjpeg-turbo-progs
  clang-format clang-tidy valgrind
  evilwm openbox xterm
  lintian desktop-file-utils appstream man-db
)
# Building the Debian package (scripts/package.sh): dpkg-shlibdeps works out
# its dependencies, and CPack finds the binaries to inspect with file.
QV_PACKAGE_PACKAGES=(dpkg-dev file)
# The Windows build: the cross compiler (POSIX threads variant), nasm for
# libjpeg-turbo's SIMD code, apt's source tools for Debian's SDL2 and
# libjpeg-turbo sources, zip for the package; Wine and Xvfb for its tests.
QV_WINDOWS_PACKAGES=(
  cmake make g++ pkg-config libjpeg62-turbo-dev libsdl2-dev libgtest-dev libgmock-dev
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  nasm dpkg-dev zip
)
QV_WINDOWS_TEST_PACKAGES=(wine wine64 python3 xvfb xdotool x11-utils x11-apps libjpeg-turbo-progs evilwm)
# The web build: Debian's emscripten and binaryen, Node.js for its tools and
# the page's npm packages, apt's source tools for Debian's SDL2 and
# libjpeg-turbo sources, zip for the folder's archive.
QV_WEB_PACKAGES=(
  cmake make g++ pkg-config libjpeg62-turbo-dev libsdl2-dev
  emscripten binaryen dpkg-dev zip
)
# The web tests: Debian's Chromium, driven headless through its DevTools pipe
# by Python, and libjpeg's tools for reference pictures.
QV_WEB_TEST_PACKAGES=(chromium python3 libjpeg-turbo-progs)

qv_missing_packages() {
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$pkg"
    fi
  done
}

# qv_install_packages PACKAGE... : installs whichever of them are missing,
# with apt-get as root or through sudo; stops with a clear message otherwise.
qv_install_packages() {
  local missing
  mapfile -t missing < <(qv_missing_packages "$@")
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      apt=(sudo env DEBIAN_FRONTEND=noninteractive apt-get)
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

# qv_configure_and_build BUILD_DIR [CMAKE_ARGS...]
# Builds every target, or only those named in QV_BUILD_TARGETS.
qv_configure_and_build() {
  local dir=$1
  shift
  cmake -S "$QV_ROOT" -B "$dir" "$@" >"$dir.configure.log" 2>&1 || {
    cat "$dir.configure.log" >&2
    echo "error: configuring $dir failed" >&2
    exit 1
  }
  local targets=()
  for target in ${QV_BUILD_TARGETS:-}; do
    targets+=(--target "$target")
  done
  cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}
