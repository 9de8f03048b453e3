#!/usr/bin/env bash
# Prints the size of the tests against the rest of the code: lines of every
# git-tracked file under tests/ (any language) against lines of every .cpp, .h,
# CMakeLists.txt and web page file (.js, .mjs, .html, .css) outside it,
# leaving out build folders, dist/ and node_modules/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
count() { git ls-files -z "$@" | xargs -0 cat | wc -l; }
tests=$(count -- 'tests/')
code=$(count -- '*.cpp' '*.h' '*CMakeLists.txt' '*.js' '*.mjs' '*.html' '*.css' ':!tests/' ':!build*/' \
  ':!dist/' ':!*node_modules/*')
# In tenths of a percent, rounded: 35.99% must not read as 35%.
tenths=$(((2000 * tests / code + 1) / 2))
printf 'tests: %d lines, code: %d lines, ratio: %d.%d%%\n' "$tests" "$code" $((tenths / 10)) $((tenths % 10))
