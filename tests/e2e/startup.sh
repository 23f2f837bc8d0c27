#!/usr/bin/env bash
# What the program is started with cannot leave a process that shows nothing, or a window moved
# or mirrored. Usage: startup.sh KELO ASSETS.
source "$(dirname "$0")/lib.sh"
session_dirs pulse
level_file "$WORK/levels.txt" "${LEVEL_B[@]}"
install_game "$1" "$WORK/levels.txt" "$2"
KELO=$GAME_DIR/kelo
# no_display ERR STATUS: both languages in ERR, status 1.
no_display() {
  (($2 == 1)) && grep -q "Kelo a besoin d'un affichage graphique" "$1" && grep -q "Kelo needs a graphical display" "$1"
}

# A display that does not answer, its server stopped: the same within the minute that the
# connection is given (once the game waited for ever). Run meanwhile, on a server of its own.
start_x && kill -STOP "$XVFB_PID"
STOPPED=$XVFB_PID && trap 'kill -CONT $STOPPED; kill $STOPPED; cleanup' EXIT
(status=0; timeout 120 "$KELO" 2>"$WORK/stopped" || status=$?; echo "$status" >"$WORK/stopped.status") &
STOPPED_GAME=$!
start_x

# No display: both languages on standard error, status 1 (once Qt aborted, status 134).
status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$KELO" 2>"$WORK/err" || status=$?
no_display "$WORK/err" "$status" || fail "no display: status $status, $(cat "$WORK/err")"

# Qt's own options are not the game's: the window stays centred, at its size (once moved to 10,10).
normal=""
for args in "" "-qwindowgeometry 300x200+10+10 -reverse -style windows"; do
  # shellcheck disable=SC2086
  launch "$KELO" "$WORK" $args
  place=$(xdotool getwindowgeometry "$WIN" | awk '/Position|Geometry/ {print $2}' | tr '\n' ' ')
  [[ -z $normal || $place == "$normal" ]] || fail "with '$args' the window is at $place, not $normal"
  normal=$place
  stop_game
done

# Scale factors and font sizes out of bounds: a window of its normal size, under 200 MiB.
for env in QT_SCREEN_SCALE_FACTORS=50 QT_SCREEN_SCALE_FACTORS=inf QT_SCREEN_SCALE_FACTORS=0.0001 QT_FONT_DPI=99999; do
  LAUNCHER="env $env" launch "$KELO" "$WORK"
  [[ "$(size) " == "${normal#* }" ]] || fail "$env: window $(size), not ${normal#* }"
  (($(peak_mib) < 200)) || fail "$env: peak memory $(peak_mib) MiB"
  stop_game
done

# A limit on file sizes: the first sound does not kill the game (SIGXFSZ).
LAUNCHER="prlimit --fsize=1000000 --" launch "$KELO" "$WORK"
key Right
level 1
sleep 1
found '^Kelo - Niveau' || fail "the game did not outlive its first sound under a file size limit"
stop_game

# Too little memory for Qt's threads: a message and status 1, not a process with no window.
status=0
(ulimit -v 100000 && exec "$KELO") 2>"$WORK/err" || status=$?
((status == 1)) && grep -q "Kelo could not show its window" "$WORK/err" || fail "ulimit -v: status $status, $(cat "$WORK/err")"

wait "$STOPPED_GAME"
no_display "$WORK/stopped" "$(cat "$WORK/stopped.status")" ||
  fail "a stopped display: status $(cat "$WORK/stopped.status"), $(cat "$WORK/stopped")"
