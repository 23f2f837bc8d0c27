#!/usr/bin/env bash
# Makes docs/screenshot.png: the game at launch with the shipped levels, on an X server of its own.
# Usage: scripts/screenshot.sh [BUILD_FOLDER]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
OUT=$ROOT/docs/screenshot.png
WORK=$(mktemp -d)
GAME="" XVFB_PID=""
trap 'kill $GAME $XVFB_PID 2>/dev/null || true; rm -rf "$WORK"' EXIT
source "$ROOT/scripts/xvfb.sh"
xvfb_start "$WORK" || { echo "screenshot: Xvfb did not start: $(cat "$WORK/xvfb.log")" >&2; exit 1; }

# A copy of the build's game and files, so that the picture is the shipped level 1.
cp "$BUILD/kelo" "$ROOT/levels.txt" "$ROOT/assets/Ding.wav" "$ROOT/assets/End.wav" "$WORK/"
(cd "$WORK" && exec ./kelo >/dev/null 2>&1) &
GAME=$!
WIN=""
for _ in $(seq 200); do
  WIN=$(xdotool search --onlyvisible --name '^Kelo - Niveau 1$' 2>/dev/null | head -n1 || true)
  [[ -n $WIN ]] && break
  sleep 0.05
done
[[ -n $WIN ]] || { echo "screenshot: no game window" >&2; exit 1; }
sleep 0.5  # the first paint
mkdir -p "$(dirname "$OUT")"
timeout 10 import -window "$WIN" "$WORK/shot.png"
# No time stamps in the file, so that an unchanged picture leaves git quiet.
convert "$WORK/shot.png" -strip -define png:exclude-chunks=date,time "$OUT"
echo "wrote $OUT"
