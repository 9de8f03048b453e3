#!/usr/bin/env bash
# stamp-web-cache.sh FOLDER: writes into FOLDER/sw.js, the page's service
# worker, the list of the folder's files (FILES, all it caches) and VERSION, a
# hash of their names and contents, which names its cache: a build that
# changes any file makes a new worker, which replaces the old cache. Run by
# build-web.sh on the finished folder, and by the offline test on its own copy.
set -euo pipefail
cd "$1"
files=$(find . -type f ! -name sw.js | sed 's|^\./||' | LC_ALL=C sort)
version=$(printf '%s\n' "$files" | tr '\n' '\0' | xargs -0 sha256sum | sha256sum | cut -c1-16)
list=$(printf '%s\n' "$files" | sed "s/.*/'&'/" | paste -sd, -)
sed -i -e "s|^const VERSION = .*|const VERSION = '$version';|" \
  -e "s|^const FILES = .*|const FILES = ['./', $list];|" sw.js
grep -q "^const VERSION = '$version';" sw.js
