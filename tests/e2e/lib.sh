# shellcheck shell=bash
# Helpers for the end-to-end tests: an X server of their own, the game in a folder of its own,
# keys through xdotool and captures through ImageMagick.
set -euo pipefail
E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$E2E_ROOT/scripts/xvfb.sh"
WORK=$(mktemp -d /tmp/kelo-e2e.XXXXXX)
GAME_DIR=$WORK/game GAME_PID="" XVFB_PID="" PULSE_PID="" WIN="" MENU=0 S=1
# Polls of 50 ms before a wait gives up (slower runs raise it), and what goes in front of the game.
POLLS=${POLLS:-100} LAUNCHER=${LAUNCHER:-}
# Rows of levels: a wall all along, an empty row, and a level of two rings, the ball and the square;
# LEVEL_B: the ball slides right over a ring, and a ring out of reach keeps the level going.
W=1111111111111111 F=1000000000000001
LEVEL_A=($W 1300000200000001 $F $F 1000000000000021 $F $F 1000000000000041 $W)
LEVEL_B=($W 1302000000000001 $F $F 1000000200000001 $F $F 1000000000000041 $W)

cleanup() {
  # The test's result is decided before this: nothing here may change it.
  set +e
  # The game runs in a process group of its own, with whatever launched it.
  [[ -n $GAME_PID ]] && { kill -- -"$GAME_PID" || kill "$GAME_PID"; } 2>/dev/null
  kill "$XVFB_PID" "$PULSE_PID" 2>/dev/null
  # The sound server writes in $WORK until it has ended: wait for it before removing the folder.
  for _ in $(seq 100); do kill -0 "$PULSE_PID" 2>/dev/null || break; sleep 0.02; done
  kill -9 "$PULSE_PID" 2>/dev/null
  rm -rf "$WORK" 2>/dev/null || { sleep 0.2; rm -rf "$WORK" 2>/dev/null; }
  return 0
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [[ ! -s $WORK/game.log ]] || { echo "the game printed:" && tail -n 20 "$WORK/game.log"; } >&2
  # import waits for a click when the window is gone: only a live window, and never for long.
  ! xdotool getwindowname "${WIN:-none}" >/dev/null 2>&1 || timeout 10 import -window "$WIN" /tmp/kelo-e2e-failure.png
  exit 1
}

# until_ok COMMAND...: COMMAND succeeds within the polls.
until_ok() { local i; for ((i = 0; i < POLLS; i++)); do "$@" && return 0; sleep 0.05; done; return 1; }

# A runtime folder and home of the test's own; with "pulse", a PulseAudio server there with a null
# sink (null.monitor records what it plays), stopped at exit.
session_dirs() {
  export XDG_RUNTIME_DIR=$WORK/runtime HOME=$WORK/home
  mkdir -p "$XDG_RUNTIME_DIR/pulse" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR" "$XDG_RUNTIME_DIR/pulse"
  [[ ${1:-} == pulse ]] || return 0
  start_pulse "$WORK/pulse.log" || true
}
# start_pulse LOG: the PulseAudio server of the runtime folder (PULSE_PID); fails if it does not answer.
start_pulse() {
  pulseaudio -D -n --exit-idle-time=-1 --load=module-null-sink --load=module-native-protocol-unix \
    --log-target=file:"$1" || fail "pulseaudio did not start"
  PULSE_PID=$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null || true)
  until_ok pactl info >/dev/null 2>&1
}
# listen, then loudest: what the null sink plays in between is recorded, and LOUDEST is its loudest
# sample (of 32767). Under load the recording can take a second to start: listen waits until it
# has bytes, or a sound would be played before anything listens.
listen() {
  parec -d null.monitor --raw --format=s16le --channels=1 --rate=22050 --latency-msec=20 >"$WORK/rec.raw" &
  REC=$!
  until_ok test -s "$WORK/rec.raw" || fail "parec recorded nothing from null.monitor"
  sleep 0.3
}
loudest() {
  sleep 1
  kill "$REC" && wait "$REC" 2>/dev/null || true
  LOUDEST=$(od -An -td2 -v -w2 "$WORK/rec.raw" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }')
}

start_x() { xvfb_start "$WORK" "${1:-}" || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"; }

# install_game KELO [LEVELS_FILE [SOUNDS_FOLDER]]: the program copied into GAME_DIR with those
# files; start_game: and started from another folder.
install_game() {
  mkdir -p "$GAME_DIR" && cp -n "$1" "$GAME_DIR/kelo"
  [[ -z ${2:-} ]] || cp "$2" "$GAME_DIR/levels.txt"
  [[ -z ${3:-} ]] || cp "$3/Ding.wav" "$3/End.wav" "$GAME_DIR/"
}
start_game() { install_game "$@" && launch "$GAME_DIR/kelo" "$WORK"; }

# launch PROGRAM FOLDER [ARG...]: starts PROGRAM from FOLDER and waits for its window; MENU is then
# the height of the menu bar above the client area of 415 pixels (times the scale S).
launch() {
  # shellcheck disable=SC2086
  (cd "$2" && exec setsid $LAUNCHER "$1" "${@:3}" >"$WORK/game.log" 2>&1) &
  GAME_PID=$!
  until_ok found '^Kelo - Niveau' || fail "no game window; X server: $(tail -n 5 "$WORK/xvfb.log")"
  WIN=$FOUND MENU=$(($(size | cut -dx -f2) - 415 * S))
  focus
}
# found PATTERN: a window whose title matches is shown (its id in FOUND); fails at once if the game
# has ended.
found() {
  kill -0 "$GAME_PID" 2>/dev/null || fail "the game has ended"
  FOUND=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
  [[ -n $FOUND ]]
}
# peak_mib: the game's own peak memory (not a launcher's in front of it), in MiB.
peak_mib() { awk '/VmHWM/ {print int($2 / 1024)}' "/proc/$(pgrep -s "$GAME_PID" -x kelo | head -n1)/status"; }
stop_game() { kill -9 -- -"$GAME_PID" 2>/dev/null || true; wait "$GAME_PID" 2>/dev/null || true; GAME_PID=""; }
size() { xdotool getwindowgeometry "$WIN" | awk '/Geometry/ {print $2}'; }
focus() { xdotool windowfocus --sync "$WIN" 2>/dev/null || xdotool windowfocus "$WIN"; }
key() { focus; xdotool key --delay 30 "$@"; }
# level N [KEY...]: after the keys, the title names level N.
level() {
  (($# < 2)) || key "${@:2}"
  until_ok eval "[[ \$(xdotool getwindowname \$WIN) == 'Kelo - Niveau $1' ]]" || fail "title is '$(xdotool getwindowname "$WIN")', not level $1"
}

# box OPEN TITLE [KEY...]: after the keys OPEN (none if empty) in the game window, a box of that
# title shows; the keys (Return by default) go to it, it closes, and the game has the keyboard again.
box() {
  local title="^${2//./\\.}\$"
  [[ -z $1 ]] || key $1
  until_ok found "$title" || fail "no box $title"
  xdotool windowfocus --sync "$FOUND" 2>/dev/null || true
  (($# > 2)) || set -- "$@" Return
  xdotool key --delay 30 "${@:3}"
  until_ok eval '! found "$title"' || fail "box $title did not close"
  focus
}

# differs X Y WHAT: in the last capture, at client pixel (X, Y) unscaled, the square of a tile
# differs from tile WHAT (scaled by S, pixel for pixel), or the pixel (an S x S block) from the
# colour WHAT (#RRGGBB): prints how.
differs() {
  local n=40 got
  if [[ $3 == '#'* ]]; then n=1 && convert -size "${S}x$S" "xc:$3" "$WORK/want.png"
  else convert "$E2E_ROOT/assets/tile$3.bmp" -scale "$((100 * S))%" "$WORK/want.png"; fi
  convert "$WORK/shot.png" -crop "$((n * S))x$((n * S))+$(($1 * S))+$(($2 * S + MENU))" +repage "$WORK/crop.png"
  got=$(compare -metric AE "$WORK/crop.png" "$WORK/want.png" null: 2>&1 || true)
  [[ $got == 0 ]] || echo "at ($1, $2) $got pixels differ from $3; "
}

# shows X Y WHAT...: a fresh capture shows each (X, Y, WHAT); BAD says what it does not.
shows() {
  timeout 10 import -window "$WIN" "$WORK/shot.png" || fail "cannot capture the window"
  BAD=""
  while (($#)); do BAD+=$(differs "$1" "$2" "$3") && shift 3; done
  [[ -z $BAD ]]
}
# screen [KEYS] X Y WHAT...: after the keys, the window comes to show them (slides may still be
# under way).
screen() {
  [[ $1 == [0-9]* ]] || { key $1 && shift; }
  until_ok shows "$@" || fail "$BAD"
}

# level_file FILE ROW...: a level file from groups of nine rows, CR LF line ends.
level_file() { printf '%s\r\n' "${@:2}" | awk '{ print } NR % 9 == 0 { print "\r" }' >"$1"; }
