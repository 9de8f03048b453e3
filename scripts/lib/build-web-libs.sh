#!/usr/bin/env bash
# Builds the browser libraries the web build needs (SDL2 with only its video
# part, and libjpeg-turbo, both static) with emscripten, from Debian's own
# sources of the versions installed here, and prints the folder they are
# installed in.
#
# The result is kept in ${XDG_CACHE_HOME:-$HOME/.cache}/quorvadellix/, in a
# folder named after the source versions and the emscripten version, so later
# runs (from any clone) reuse it and rebuild nothing. Emscripten's own "ports"
# are never used: they would download. Sources are fetched with
# `apt-get source` through a private apt configuration that adds deb-src
# entries for the machine's own Debian sources; the system's apt set-up is
# left untouched.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/lib/debian-sources.sh
source "$QV_ROOT/scripts/lib/debian-sources.sh"
# shellcheck source=scripts/lib/packages.sh
source "$QV_ROOT/scripts/lib/packages.sh"
qv_install_packages "${QV_WEB_PACKAGES[@]}" >&2
# Raise when the way the libraries are built changes.
RECIPE=1

# emcc needs acorn from Debian's Node.js modules even when another Node.js
# comes first on PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

SDL_SRC=$(qv_source_of libsdl2-dev)
JPEG_SRC=$(qv_source_of libjpeg62-turbo-dev)
EMCC_VERSION=$(dpkg-query -W -f='${Version}' emscripten)-binaryen-$(dpkg-query -W -f='${Version}' binaryen)
qv_start_build web "r$RECIPE-sdl-${SDL_SRC#*=}-jpeg-${JPEG_SRC#*=}-emscripten-$EMCC_VERSION"
qv_deps_log "building SDL2 and libjpeg-turbo for the browser, once (several minutes), into $QV_DEPS_PREFIX"

qv_deps_log "fetching $SDL_SRC and $JPEG_SRC"
qv_fetch_sources "$QV_DEPS_WORK" "$SDL_SRC" "$JPEG_SRC"
# CMake runs the programs of its try-run checks under Node.js; Node's
# built-in fetch breaks programs made by emscripten, so it is switched off.
configure=(emcmake cmake "-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node);--no-experimental-fetch")

# Only the video, events and rendering parts are used by the game, and the
# browser build runs on one thread.
qv_cmake_install sdl2 "$(ls -d "$QV_DEPS_WORK"/libsdl2-*/)" "${configure[@]}" -- -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_AUDIO=OFF -DSDL_HAPTIC=OFF -DSDL_JOYSTICK=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF \
  -DSDL_POWER=OFF -DSDL_THREADS=OFF
qv_cmake_install libjpeg-turbo "$(ls -d "$QV_DEPS_WORK"/libjpeg-turbo-*/)" "${configure[@]}" -- -DENABLE_SHARED=OFF \
  -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF

touch "$QV_DEPS_PREFIX/.complete"
qv_deps_log "done"
echo "$QV_DEPS_PREFIX"
