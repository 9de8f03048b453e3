#!/usr/bin/env bash
# Installs what is missing, builds the game and its pictures, and starts it.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/setup.sh
source "$QV_ROOT/scripts/setup.sh"

qv_install_packages "${QV_PACKAGES[@]}"
mkdir -p "$QV_ROOT/build"
qv_configure_and_build "$QV_ROOT/build" -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF >/dev/null

# The game loads its pictures from the folder it runs in.
cd "$QV_ROOT/build"
exec ./quorvadellix
