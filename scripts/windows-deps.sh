#!/usr/bin/env bash
# Builds the Windows libraries the cross build needs (SDL2, libjpeg-turbo and
# GoogleTest, all static) with the mingw-w64 compiler, from Debian's own
# sources of the versions installed here, and prints the folder they are
# installed in.
#
# The result is kept in ${XDG_CACHE_HOME:-$HOME/.cache}/quorvadellix/, in a
# folder named after the source versions and the compiler, so later runs (from
# any clone) reuse it and rebuild nothing. Sources are fetched with
# `apt-get source` through a private apt configuration that adds deb-src
# entries for the machine's own Debian sources; the system's apt set-up is
# left untouched.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=debian-sources.sh
source "$QV_ROOT/scripts/debian-sources.sh"
# Raise when the way the libraries are built changes.
RECIPE=1
CC=x86_64-w64-mingw32-gcc-posix
TOOLCHAIN=$QV_ROOT/cmake/mingw-w64-x86_64.cmake

log() { echo "windows-deps: $*" >&2; }

SDL_SRC=$(qv_source_of libsdl2-dev)
JPEG_SRC=$(qv_source_of libjpeg62-turbo-dev)
GTEST_VERSION=$(dpkg-query -W -f='${Version}' libgtest-dev)
CC_VERSION=$("$CC" -dumpfullversion)-$(dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix)
key="r$RECIPE-sdl-${SDL_SRC#*=}-jpeg-${JPEG_SRC#*=}-gtest-$GTEST_VERSION-gcc-$CC_VERSION"
key=${key//[^A-Za-z0-9._+-]/_}

cache=${XDG_CACHE_HOME:-$HOME/.cache}/quorvadellix
prefix=$cache/windows-$key
qv_reuse_or_lock "$prefix" "$cache/.windows-deps.lock"

work=$(mktemp -d "$cache/build.XXXXXX")
trap 'rm -rf "$work"' EXIT
log "building SDL2, libjpeg-turbo and GoogleTest for Windows into $prefix"

log "fetching $SDL_SRC and $JPEG_SRC"
qv_fetch_sources "$work" "$SDL_SRC" "$JPEG_SRC"

# Installed in place (the packages' CMake files are relocatable only in
# part); the marker file says the folder is complete.
stage=$prefix
rm -rf "$stage"
jobs=$(nproc)
cross_build() { # cross_build NAME SOURCE_DIR CMAKE_ARGS...
  local name=$1 src=$2
  shift 2
  log "building $name"
  cmake -S "$src" -B "$work/build-$name" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stage" "$@" >"$work/$name.log" 2>&1 &&
    cmake --build "$work/build-$name" -j "$jobs" >>"$work/$name.log" 2>&1 &&
    cmake --install "$work/build-$name" >>"$work/$name.log" 2>&1 || {
    tail -n 40 "$work/$name.log" >&2
    log "building $name failed"
    exit 1
  }
}

# Only the video, events and rendering parts are used by the game.
cross_build sdl2 "$(ls -d "$work"/libsdl2-*/)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_AUDIO=OFF -DSDL_HAPTIC=OFF -DSDL_JOYSTICK=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF
cross_build libjpeg-turbo "$(ls -d "$work"/libjpeg-turbo-*/)" -DENABLE_SHARED=OFF \
  -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
  -DCMAKE_ASM_NASM_COMPILER=nasm
cross_build googletest /usr/src/googletest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON

touch "$prefix/.complete"
log "done"
echo "$prefix"
