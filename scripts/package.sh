#!/usr/bin/env bash
# Builds the Debian package dist/quorvadellix_<version>_amd64.deb with CPack,
# from the same build folder that play.sh and test.sh use. Only the game, its
# pictures and icons, and the packaging files are built.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/lib/packages.sh
source "$QV_ROOT/scripts/lib/packages.sh"
# shellcheck source=scripts/lib/cmake-build.sh
source "$QV_ROOT/scripts/lib/cmake-build.sh"

qv_install_packages "${QV_PACKAGES[@]}" "${QV_PACKAGE_PACKAGES[@]}"
mkdir -p "$QV_ROOT/build"
QV_BUILD_TARGETS="qv_installed_files" \
  qv_configure_and_build "$QV_ROOT" "$QV_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

work="$QV_ROOT/build/cpack"
rm -rf "$work"
(cd "$QV_ROOT/build" && cpack -G DEB -B "$work" >/dev/null)
mkdir -p "$QV_ROOT/dist"
for deb in "$work"/*.deb; do
  cp "$deb" "$QV_ROOT/dist/"
  echo "$QV_ROOT/dist/$(basename "$deb")"
done
