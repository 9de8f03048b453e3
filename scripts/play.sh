#!/usr/bin/env bash
# Installs what is missing, builds the game and its pictures, and starts it.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/lib/packages.sh
source "$QV_ROOT/scripts/lib/packages.sh"
# shellcheck source=scripts/lib/cmake-build.sh
source "$QV_ROOT/scripts/lib/cmake-build.sh"

qv_install_packages "${QV_PACKAGES[@]}"
mkdir -p "$QV_ROOT/build"
# The same build folder and settings as the tests use, so that switching
# between playing and testing rebuilds nothing. Built here: the game, its
# pictures and everything else cmake --install installs, not the tests.
QV_BUILD_TARGETS="qv_installed_files" qv_configure_and_build "$QV_ROOT" "$QV_ROOT/build" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The game loads its pictures from the folder it runs in.
cd "$QV_ROOT/build"
exec ./quorvadellix
