#!/usr/bin/env bash
# Formats the C++ sources with the project's .clang-format and the page's
# files with prettier (web/.prettierrc.json); with --check it only reports
# files that are not formatted, runs shellcheck over every shell script and
# eslint over the page's script (web/eslint.config.mjs), and fails if any of
# them finds anything. prettier and eslint come from web/package-lock.json.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=scripts/lib/packages.sh
source scripts/lib/packages.sh
# shellcheck source=scripts/lib/web-npm.sh
source scripts/lib/web-npm.sh
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -vE '^build')
page=(index.html quorvadellix-page.js quorvadellix-install.js sw.js quorvadellix.css eslint.config.mjs)
qv_web_npm web
if [ "${1:-}" != "--check" ]; then
  clang-format -i "${files[@]}"
  (cd web && npx --no-install prettier --log-level warn --write "${page[@]}")
  exit 0
fi
status=0
clang-format --dry-run --Werror "${files[@]}" || status=1
mapfile -t shells < <(git ls-files -co --exclude-standard -- '*.sh' | grep -vE '^build|node_modules/')
shellcheck -x -P SCRIPTDIR "${shells[@]}" || status=1
(cd web && npx --no-install prettier --log-level warn --check "${page[@]}") || status=1
(cd web && npx --no-install eslint --max-warnings 0 quorvadellix-page.js quorvadellix-install.js sw.js eslint.config.mjs) || status=1
exit $status
