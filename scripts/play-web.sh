#!/usr/bin/env bash
# Builds the web edition when something changed, serves its folder on this
# machine only (127.0.0.1) and prints the address to open; Ctrl+C stops it.
# Usage: play-web.sh [PORT]   (8000 unless given; 0 takes any free port)
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/lib/packages.sh
source "$QV_ROOT/scripts/lib/packages.sh"
qv_install_packages python3

"$QV_ROOT/scripts/build-web.sh" >&2
exec python3 - "$QV_ROOT/dist/quorvadellix-web" "${1:-8000}" <<'PY'
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
with http.server.ThreadingHTTPServer(('127.0.0.1', int(sys.argv[2])), handler) as server:
    print(f'Quorvadellix: open http://127.0.0.1:{server.server_port}/ in a browser '
          '(Ctrl+C stops the server).', flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
PY
