#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal
# build and one with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/lib/packages.sh
source "$QV_ROOT/scripts/lib/packages.sh"
# shellcheck source=scripts/lib/cmake-build.sh
source "$QV_ROOT/scripts/lib/cmake-build.sh"

qv_install_packages "${QV_PACKAGES[@]}" "${QV_TEST_PACKAGES[@]}" "${QV_PACKAGE_PACKAGES[@]}"

jobs=$(nproc)
status=0

echo "== Format check and shellcheck"
if ! "$QV_ROOT/scripts/format.sh" --check; then
  status=1
fi

echo "== Normal build"
mkdir -p "$QV_ROOT/build"
qv_configure_and_build "$QV_ROOT" "$QV_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_TESTS=ON \
  -DQV_BUILD_BENCH=ON -DQV_WINDOWS_ZIP=
if [ -x "$QV_ROOT/scripts/fuzz.sh" ]; then
  echo "== Fuzzing"
  "$QV_ROOT/scripts/fuzz.sh" || status=1
fi
(cd "$QV_ROOT/build" && ctest -j "$jobs" --output-on-failure) || status=1
echo "== Memory check (valgrind)"
"$QV_ROOT/scripts/memcheck.sh" "$QV_ROOT/build" || status=1

echo "== AddressSanitizer and UndefinedBehaviorSanitizer build"
mkdir -p "$QV_ROOT/build-asan"
qv_configure_and_build "$QV_ROOT" "$QV_ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON \
  -DQV_BUILD_TESTS=ON
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=0:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
(cd "$QV_ROOT/build-asan" && ctest -j "$jobs" --output-on-failure) || status=1

echo "== Windows build and tests under Wine"
"$QV_ROOT/scripts/test-windows.sh" || status=1

echo "== Web build and tests in Chromium, Firefox and WebKit"
"$QV_ROOT/scripts/test-web.sh" || status=1

exit $status
