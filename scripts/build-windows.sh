#!/usr/bin/env bash
# Builds the game for 64-bit Windows with the mingw-w64 cross compiler and
# packs dist/quorvadellix-windows-x64.zip: quorvadellix.exe, the two pictures
# and a short text on how to play; and dist/quorvadellix-setup-x64.exe, the
# installer of the same files and the licence text, made with NSIS from
# packaging/windows/installer.nsi.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/lib/packages.sh
source "$QV_ROOT/scripts/lib/packages.sh"
# shellcheck source=scripts/lib/cmake-build.sh
source "$QV_ROOT/scripts/lib/cmake-build.sh"
qv_install_packages "${QV_WINDOWS_PACKAGES[@]}"

mkdir -p "$QV_ROOT/build-win"
qv_build_native_pictures "$QV_ROOT"
deps=$("$QV_ROOT/scripts/lib/build-windows-libs.sh")
QV_BUILD_TARGETS="quorvadellix" qv_configure_and_build "$QV_ROOT" "$QV_ROOT/build-win" \
  -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/mingw-w64-x86_64.cmake" -DQV_WINDOWS_DEPS="$deps" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_PICTURES_DIR="$QV_ROOT/build"

name=quorvadellix-windows-x64
stage=$QV_ROOT/dist/$name
rm -rf "$stage" "$QV_ROOT/dist/$name.zip"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/quorvadellix.exe" "$QV_ROOT/build-win/quorvadellix.exe"
cp "$QV_ROOT/build/space_image.jpg" "$QV_ROOT/build/space_image_welcome.jpg" "$stage/"
# Windows line ends, so that every editor shows the text as written.
sed 's/$/\r/' "$QV_ROOT/packaging/windows/HOW-TO-PLAY.txt" >"$stage/HOW-TO-PLAY.txt"
(cd "$QV_ROOT/dist" && zip -q -X -r "$name.zip" "$name")
echo "Built dist/$name.zip"

sed 's/$/\r/' "$QV_ROOT/packaging/linux/copyright" >"$stage/COPYRIGHT.txt"
version=$(sed -n 's/^project([^ ]* VERSION \([0-9.]*\).*/\1/p' "$QV_ROOT/CMakeLists.txt")
setup=$QV_ROOT/dist/quorvadellix-setup-x64.exe
makensis -V2 -INPUTCHARSET UTF8 -DQV_VERSION="$version" -DQV_STAGE="$stage" \
  -DQV_ICON="$QV_ROOT/build/icons/quorvadellix.ico" -DQV_OUTPUT="$setup" \
  "$QV_ROOT/packaging/windows/installer.nsi" >/dev/null
rm -rf "$stage"
echo "Built dist/${setup##*/}"
