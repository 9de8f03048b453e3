#!/usr/bin/env bash
# Runs the whole suite of the normal build (build/) N times over (default 10),
# four tests at once, beside a CPU hog on every core, and stops at the first
# failure, which it names. Tests that race their input, a child process or
# the clock show up here. Build first, with ./scripts/test.sh or play.sh.
# QV_STRESS_TESTS (a ctest regular expression) narrows the run: test-windows.sh
# passes the Wine tests' names, which need its X server and wineserver.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=${1:-10}
hogs=()
trap 'kill "${hogs[@]}" 2>/dev/null || true' EXIT
for _ in $(seq "$(nproc)"); do
  (while :; do :; done) &
  hogs+=($!)
done
cd "$root/build"
if ctest -j4 --repeat until-fail:"$rounds" --output-on-failure ${QV_STRESS_TESTS:+-R "$QV_STRESS_TESTS"} \
  >"$root/build/stress.log" 2>&1; then
  echo "stress: every test passed $rounds times"
else
  echo "stress: failed; first failing test:"
  grep -m1 -E '\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception|Failed  ' "$root/build/stress.log" || tail -20 "$root/build/stress.log"
  exit 1
fi
