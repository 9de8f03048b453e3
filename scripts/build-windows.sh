#!/usr/bin/env bash
# Builds the game for 64-bit Windows with the mingw-w64 cross compiler and
# packs dist/quorvadellix-windows-x64.zip: quorvadellix.exe, the two pictures
# and a short text on how to play.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/setup.sh
source "$QV_ROOT/scripts/setup.sh"
qv_install_packages "${QV_WINDOWS_PACKAGES[@]}"

# The pictures and icons are drawn by the picture generator of a native build, the
# same folder and settings that play.sh and test.sh use.
mkdir -p "$QV_ROOT/build" "$QV_ROOT/build-win"
QV_BUILD_TARGETS="qv_pictures qv_icons" qv_configure_and_build "$QV_ROOT/build" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
deps=$("$QV_ROOT/scripts/windows-deps.sh")
QV_BUILD_TARGETS="quorvadellix" qv_configure_and_build "$QV_ROOT/build-win" \
  -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/mingw-w64-x86_64.cmake" -DQV_WINDOWS_DEPS="$deps" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_PICTURES_DIR="$QV_ROOT/build" >/dev/null

name=quorvadellix-windows-x64
stage=$QV_ROOT/dist/$name
rm -rf "$stage" "$QV_ROOT/dist/$name.zip"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/quorvadellix.exe" "$QV_ROOT/build-win/quorvadellix.exe"
cp "$QV_ROOT/build/space_image.jpg" "$QV_ROOT/build/space_image_welcome.jpg" "$stage/"
# Windows line ends, so that every editor shows the text as written.
sed 's/$/\r/' "$QV_ROOT/packaging/windows/HOW-TO-PLAY.txt" >"$stage/HOW-TO-PLAY.txt"
(cd "$QV_ROOT/dist" && zip -q -X -r "$name.zip" "$name")
rm -rf "$stage"
echo "Built dist/$name.zip"
