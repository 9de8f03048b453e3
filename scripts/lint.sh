#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every source file,
# using the compile commands of the normal build (build/).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
[ -f build/compile_commands.json ] || cmake -S . -B build >/dev/null
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' | grep -vE '^(build|fuzz)/')
clang-tidy -p build --quiet "${files[@]}" 2>/dev/null
