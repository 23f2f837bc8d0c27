#!/usr/bin/env bash
# docs/levels.md and its pictures are what scripts/levels-doc.sh makes of today's levels.txt and
# notes: a level changed, added or renamed without `make levels-doc` fails here.
# Usage: levels_doc.sh TOOL SOURCE_DIR
set -euo pipefail
src=$2 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$src/scripts/levels-doc.sh" "$1" "$src/levels.txt" "$src/docs/levels-notes.txt" "$work"
diff -u "$src/docs/levels.md" "$work/levels.md" && diff -r "$src/docs/levels" "$work/levels" ||
  { echo "FAIL: docs/levels.md or docs/levels/ are out of date: run make levels-doc"; echo "levels doc: 0 passed, 1 failed"; exit 1; }
echo "levels doc: 1 passed, 0 failed"
