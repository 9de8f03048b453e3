# shellcheck shell=bash
# The page's npm packages (web/package-lock.json: the terminal widget, and
# prettier and eslint for the page's format check and lint). Sourced, not run.
#
# Defines: qv_web_npm_tools, qv_web_npm. Needs: qv_install_packages
# (scripts/lib/packages.sh).

# qv_web_npm_tools
# Node.js and npm from PATH; Debian's when there are none.
qv_web_npm_tools() {
  if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    qv_install_packages nodejs npm
  fi
}

# qv_web_npm WEB_DIR
# Installs WEB_DIR/node_modules at the lockfile's exact versions when it is
# missing or older than the lockfile.
qv_web_npm() {
  local web=$1
  qv_web_npm_tools
  if [ ! -f "$web/node_modules/.package-lock.json" ] ||
    [ "$web/package-lock.json" -nt "$web/node_modules/.package-lock.json" ]; then
    (cd "$web" && npm ci --no-audit --no-fund >&2)
  fi
}
