#!/usr/bin/env bash
# lintian at its default level on the packages that `make package` builds: no error and no warning.
# Skipped (exit 77) where lintian is not installed.
set -euo pipefail
BUILD=$1
command -v lintian >/dev/null || { echo "lintian is not installed: skipped"; exit 77; }
WORK=$(mktemp -d /tmp/kelo-lintian.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$WORK" >"$WORK/cpack.log" 2>&1 ||
  { cat "$WORK/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$WORK"/kelo*.deb)
((${#debs[@]} == 2)) || { echo "FAIL: cpack made ${#debs[@]} packages, not the game's and the tool's"; exit 1; }
# Info and pedantic tags are shown for the record; only errors and warnings fail.
lintian --display-info --pedantic "${debs[@]}" >"$WORK/lintian.log" 2>&1 || true
cat "$WORK/lintian.log"
if grep -E '^[EW]: ' "$WORK/lintian.log"; then
  echo "FAIL: lintian reports errors or warnings"
  exit 1
fi
echo "lintian: 0 errors, 0 warnings"
