#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every source file,
# using the compile commands of the normal build (build/); the Windows-only
# files with those of the Windows cross build (build-win/), when there is one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
[ -f build/compile_commands.json ] || cmake -S . -B build >/dev/null
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' | grep -vE '^(build|fuzz)/')
windows='_windows(_test)?\.cpp$|^tests/windows/'
# The browser's files need emscripten's headers; its compiler checks them.
web='_web\.cpp$'
# clang-tidy counts the warnings it found in headers it does not check; those
# counts are dropped, its set-up errors and findings are shown.
quiet() { grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' >&2 || true; }
mapfile -t native < <(printf '%s\n' "${files[@]}" | grep -vE "$windows|$web")
clang-tidy -p build --quiet "${native[@]}" 2> >(quiet)
if [ -f build-win/compile_commands.json ]; then
  # clang reads the cross build's commands with the mingw-w64 C++ headers.
  cxx=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=include)")/include/c++
  mapfile -t cross < <(printf '%s\n' "${files[@]}" | grep -E "$windows")
  clang-tidy -p build-win --quiet "${cross[@]}" --extra-arg=--target=x86_64-w64-mingw32 \
    --extra-arg=-nostdinc++ --extra-arg=-isystem"$cxx" \
    --extra-arg=-isystem"$cxx/x86_64-w64-mingw32" --extra-arg=-isystem"$cxx/backward" \
    --extra-arg=-isystem/usr/x86_64-w64-mingw32/include 2> >(quiet)
fi
