#!/usr/bin/env bash
# Installs what is missing, builds the game and its pictures, and starts it.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/setup.sh
source "$QV_ROOT/scripts/setup.sh"

qv_install_packages "${QV_PACKAGES[@]}"
mkdir -p "$QV_ROOT/build"
# The same build folder and settings as the tests use, so that switching
# between playing and testing rebuilds nothing; only the game and its
# pictures are built here.
QV_BUILD_TARGETS="quorvadellix qv_pictures" qv_configure_and_build "$QV_ROOT/build" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

# The game loads its pictures from the folder it runs in.
cd "$QV_ROOT/build"
exec ./quorvadellix
