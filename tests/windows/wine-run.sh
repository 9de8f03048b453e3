#!/bin/sh
# wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# Runs a Windows program under Wine in the given private prefix, quietly and
# without the prompts for Wine's optional .NET and HTML components. The
# caller provides DISPLAY and, for speed, a persistent wineserver.
set -e
WINEPREFIX=$1
shift
mkdir -p "$WINEPREFIX"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The 64-bit loader directly: the wrapper would warn about a missing 32-bit Wine.
if [ -x /usr/lib/wine/wine64 ]; then
  exec /usr/lib/wine/wine64 "$@"
fi
exec wine "$@"
