#!/usr/bin/env bash
# Runs a test program on an X server of its own, for what only X11 does. Usage: under_x.sh PROGRAM [ARG...]
set -euo pipefail
WORK=$(mktemp -d)
source "$(dirname "$0")/../../scripts/xvfb.sh"
xvfb_start "$WORK" || { echo "Xvfb did not start: $(cat "$WORK/xvfb.log")" >&2; exit 1; }
trap 'kill "$XVFB_PID"; rm -rf "$WORK"' EXIT
QT_QPA_PLATFORM=xcb "$@"
