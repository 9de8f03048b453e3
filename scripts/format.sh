#!/usr/bin/env bash
# Formats the C++ sources with the project's .clang-format; with --check it
# only reports files that are not formatted, runs shellcheck over every shell
# script, and fails if either finds anything.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -vE '^build')
if [ "${1:-}" != "--check" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
status=0
clang-format --dry-run --Werror "${files[@]}" || status=1
mapfile -t shells < <(git ls-files -co --exclude-standard -- '*.sh' | grep -vE '^build|node_modules/')
shellcheck -x -P SCRIPTDIR "${shells[@]}" || status=1
exit $status
