#!/usr/bin/env bash
# The web leg of the tests: builds the web folder (build-web.sh) and runs the
# System.Web tests, which play it served from 127.0.0.1 in a headless
# Chromium, and a shared part of them in headless Firefox and in WebKitGTK
# (on a private Xvfb). Expects the native build in build/ (for the pictures
# and the tests), as test.sh leaves it.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/lib/packages.sh
source "$QV_ROOT/scripts/lib/packages.sh"
qv_install_packages "${QV_WEB_TEST_PACKAGES[@]}"
status=0

"$QV_ROOT/scripts/build-web.sh"
echo "== The web edition in Chromium, Firefox and WebKit"
cmake "$QV_ROOT/build" -DQV_WEB_DIR="$QV_ROOT/dist/quorvadellix-web" >/dev/null
(cd "$QV_ROOT/build" && ctest -j "$(nproc)" -R '^System\.Web\.' --output-on-failure) || status=1
# Leave build/ with the Linux suite alone, as the Windows leg does.
cmake "$QV_ROOT/build" -DQV_WEB_DIR= >/dev/null
exit $status
