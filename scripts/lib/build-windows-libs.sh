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
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/lib/debian-sources.sh
source "$QV_ROOT/scripts/lib/debian-sources.sh"
# Raise when the way the libraries are built changes.
RECIPE=1
CC=x86_64-w64-mingw32-gcc-posix
TOOLCHAIN=$QV_ROOT/cmake/mingw-w64-x86_64.cmake

SDL_SRC=$(qv_source_of libsdl2-dev)
JPEG_SRC=$(qv_source_of libjpeg62-turbo-dev)
GTEST_VERSION=$(dpkg-query -W -f='${Version}' libgtest-dev)
CC_VERSION=$("$CC" -dumpfullversion)-$(dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix)
qv_start_build windows "r$RECIPE-sdl-${SDL_SRC#*=}-jpeg-${JPEG_SRC#*=}-gtest-$GTEST_VERSION-gcc-$CC_VERSION"
qv_deps_log "building SDL2, libjpeg-turbo and GoogleTest for Windows, once (several minutes), into $QV_DEPS_PREFIX"

qv_deps_log "fetching $SDL_SRC and $JPEG_SRC"
qv_fetch_sources "$QV_DEPS_WORK" "$SDL_SRC" "$JPEG_SRC"
configure=(cmake -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN")

# Only the video, events and rendering parts are used by the game.
qv_cmake_install sdl2 "$(ls -d "$QV_DEPS_WORK"/libsdl2-*/)" "${configure[@]}" -- -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_AUDIO=OFF -DSDL_HAPTIC=OFF -DSDL_JOYSTICK=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF
qv_cmake_install libjpeg-turbo "$(ls -d "$QV_DEPS_WORK"/libjpeg-turbo-*/)" "${configure[@]}" -- -DENABLE_SHARED=OFF \
  -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
  -DCMAKE_ASM_NASM_COMPILER=nasm
qv_cmake_install googletest /usr/src/googletest "${configure[@]}" -- -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON

touch "$QV_DEPS_PREFIX/.complete"
qv_deps_log "done"
echo "$QV_DEPS_PREFIX"
