#!/usr/bin/env bash
# Builds the game for the browser with emscripten and writes
# dist/quorvadellix-web/, a static folder that any web server can host (the
# page, the game's module with its two pictures, the terminal widget, the
# licence texts, and the app manifest with its icons and the service worker
# that keeps the folder for offline play), and dist/quorvadellix-web.zip.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/lib/packages.sh
source "$QV_ROOT/scripts/lib/packages.sh"
# shellcheck source=scripts/lib/cmake-build.sh
source "$QV_ROOT/scripts/lib/cmake-build.sh"
# shellcheck source=scripts/lib/web-npm.sh
source "$QV_ROOT/scripts/lib/web-npm.sh"
qv_install_packages "${QV_WEB_PACKAGES[@]}"
qv_web_npm_tools
# emcc needs acorn from Debian's Node.js modules even when another Node.js
# comes first on PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

mkdir -p "$QV_ROOT/build-web"
qv_build_native_pictures "$QV_ROOT"
deps=$("$QV_ROOT/scripts/lib/build-web-libs.sh")
# CMake runs its try-run checks under Node.js, without Node's built-in fetch,
# which breaks programs made by emscripten.
QV_BUILD_TARGETS="quorvadellix" qv_configure_and_build "$QV_ROOT" "$QV_ROOT/build-web" \
  -DCMAKE_TOOLCHAIN_FILE="$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node);--no-experimental-fetch" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DQV_BUILD_TESTS=OFF -DQV_WEB_DEPS="$deps" \
  -DQV_PICTURES_DIR="$QV_ROOT/build"

# The terminal widget, at the version the lockfile names.
web=$QV_ROOT/web
qv_web_npm "$web"

name=quorvadellix-web
stage=$QV_ROOT/dist/$name
rm -rf "$stage" "$QV_ROOT/dist/$name.zip"
mkdir -p "$stage/xterm" "$stage/licenses"
cp "$QV_ROOT"/build-web/quorvadellix.{js,wasm,data} "$stage/"
cp "$web"/*.html "$web"/*.css "$web"/*.js "$web"/*.webmanifest "$web/README.txt" "$stage/"
cp "$QV_ROOT"/build/icons/quorvadellix-{192,512}.png "$stage/"
# The picture generator stores its PNG files uncompressed; a page's first
# visit downloads these two, so they are compressed (losslessly) here.
optipng -quiet -strip all "$stage"/quorvadellix-{192,512}.png
xterm=$web/node_modules/@xterm/xterm
cp "$xterm/lib/xterm.js" "$xterm/css/xterm.css" "$stage/xterm/"
cp "$xterm/LICENSE" "$stage/licenses/xterm.txt"
# The libraries built into the game's module, from Debian's copyright files of
# the same sources.
cp /usr/share/doc/libsdl2-dev/copyright "$stage/licenses/SDL2.txt"
cp /usr/share/doc/libjpeg62-turbo-dev/copyright "$stage/licenses/libjpeg-turbo.txt"
# Last: the worker's cache is named by the hash of all the folder's files.
"$QV_ROOT/scripts/lib/stamp-web-cache.sh" "$stage"
(cd "$QV_ROOT/dist" && zip -q -X -r "$name.zip" "$name")
echo "Built dist/$name/ and dist/$name.zip"
