#!/usr/bin/env bash
# Checks that the project's libraries form a tree: configures the project in a
# scratch folder with CMake's --graphviz output and sorts its link edges with
# tsort, which fails and names the targets when they link each other in a
# cycle. Prints the libraries bottom-up when there is none.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cmake -S "$QV_ROOT" -B "$work" -DQV_BUILD_TESTS=OFF --graphviz="$work/graph.dot" \
  >"$work/configure.log" 2>&1; then
  cat "$work/configure.log" >&2
  echo "error: configuring the project failed; fix that first" >&2
  exit 1
fi
# Each edge ends with a comment naming both targets: // qv_game -> qv_pieces
sed -n 's|.*// \(.*\) -> \(.*\)$|\1 \2|p' "$work/graph.dot" >"$work/edges"
if [ ! -s "$work/edges" ]; then
  echo "error: CMake's graph of the libraries has no edges; has its format changed?" >&2
  exit 1
fi
if ! order=$(tsort "$work/edges" 2>"$work/tsort.log"); then
  cat "$work/tsort.log" >&2
  echo "error: the libraries above link each other in a cycle; make the graph a tree" >&2
  exit 1
fi
echo "The libraries, bottom-up: $(echo "$order" | grep '^qv_' | tac | tr '\n' ' ')"
