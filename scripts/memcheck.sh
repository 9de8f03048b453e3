#!/usr/bin/env bash
# Runs the game under valgrind's memcheck through a whole session (name, a
# game ended by 'k', play again, a second game, 'n') with the dummy video
# driver, and fails on any memory error or any definitely or indirectly lost
# byte. Usage: scripts/memcheck.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/space_image.jpg" "$build/space_image_welcome.jpg" "$work/"
cd "$work"
if printf 'Ann\rkykn' | SDL_VIDEODRIVER=dummy timeout 300 valgrind --quiet \
    --leak-check=full --show-leak-kinds=definite,indirect \
    --errors-for-leak-kinds=definite,indirect --error-exitcode=99 \
    --suppressions="$root/scripts/lib/valgrind.supp" \
    "$build/quorvadellix" >"$work/out.txt" 2>"$work/valgrind.txt"; then
  if ! grep -q 'Good Job, Ann !' "$work/out.txt"; then
    echo "memcheck: the session did not run to its end" >&2
    exit 1
  fi
  echo "memcheck: no errors, nothing lost"
else
  status=$?
  cat "$work/valgrind.txt" >&2
  echo "memcheck: failed with status $status" >&2
  exit 1
fi
