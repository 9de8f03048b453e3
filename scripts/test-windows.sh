#!/usr/bin/env bash
# The Windows leg of the tests: cross-builds the game and its portable unit
# tests with mingw-w64, runs those under Wine, packs the zip with
# build-windows.sh, then runs the Linux-side tests that drive the game from
# that zip under Wine (console over pipes, window under Xvfb, the zip's
# content, a real console window beside a window manager). One X server and
# one persistent wineserver serve the whole leg; the Wine prefix is private,
# in build-win/wineprefix.
# Expects the native build in build/ (for the pictures and the Linux-side
# tests), as test.sh leaves it.
# QV_STRESS_ROUNDS=N runs the Wine unit tests N times over beside a CPU hog on
# every core, and the Wine system tests through stress-tests.sh, N times over.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/lib/packages.sh
source "$QV_ROOT/scripts/lib/packages.sh"
# shellcheck source=scripts/lib/cmake-build.sh
source "$QV_ROOT/scripts/lib/cmake-build.sh"
qv_install_packages "${QV_WINDOWS_PACKAGES[@]}" "${QV_WINDOWS_TEST_PACKAGES[@]}"
jobs=$(nproc)
status=0

deps=$("$QV_ROOT/scripts/lib/build-windows-libs.sh")
build=$QV_ROOT/build-win
mkdir -p "$build"
qv_configure_and_build "$QV_ROOT" "$build" -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DQV_WINDOWS_DEPS="$deps" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_PICTURES_DIR="$QV_ROOT/build"

# Wine needs an X server from its first call on.
ready=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$ready" >/dev/null 2>&1 &
xvfb=$!
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
hogs=()
# shellcheck disable=SC2317 # run by the trap below
cleanup() {
  kill "${hogs[@]}" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -f "$ready"
}
trap cleanup EXIT
for _ in $(seq 100); do
  grep -q . "$ready" && break
  sleep 0.1
done
DISPLAY=:$(head -n 1 "$ready")
export DISPLAY
mkdir -p "$WINEPREFIX"
wineserver -p
"$QV_ROOT/tests/windows/wine-run.sh" "$WINEPREFIX" wineboot --init >/dev/null 2>&1 || true

echo "== Windows unit tests under Wine"
if [ -n "${QV_STRESS_ROUNDS:-}" ]; then # beside a CPU hog on every core
  for _ in $(seq "$jobs"); do
    (while :; do :; done) &
    hogs+=($!)
  done
fi
(cd "$build" && ctest -j "$jobs" --output-on-failure \
  ${QV_STRESS_ROUNDS:+--repeat until-fail:"$QV_STRESS_ROUNDS"}) || status=1
kill "${hogs[@]}" 2>/dev/null || true

echo "== The Windows zip, the game from it under Wine, and its resources"
"$QV_ROOT/scripts/build-windows.sh"
export QV_WINDOWS_HELPER=$build/consolewatch.exe
cmake "$QV_ROOT/build" -DQV_WINDOWS_ZIP="$QV_ROOT/dist/quorvadellix-windows-x64.zip" >/dev/null
if [ -n "${QV_STRESS_ROUNDS:-}" ]; then # the Wine tests beside CPU hogs, that many times over
  QV_STRESS_TESTS='^System\.Wine\.' "$QV_ROOT/scripts/stress-tests.sh" "$QV_STRESS_ROUNDS" || status=1
else
  (cd "$QV_ROOT/build" && ctest -R '^System\.Wine\.' --output-on-failure) || status=1
fi
# Leave build/ with the Linux suite alone: the Wine tests need this leg's X
# server and wineserver, so a plain ctest there (or stress-tests.sh) skips them.
cmake "$QV_ROOT/build" -DQV_WINDOWS_ZIP= >/dev/null
exit $status
