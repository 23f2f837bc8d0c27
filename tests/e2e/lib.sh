# Helpers for the end-to-end tests: an X server of their own, the game in a folder of its own,
# keys through xdotool and captures through ImageMagick.
set -euo pipefail

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WORK=$(mktemp -d /tmp/kelo-e2e.XXXXXX)
GAME_PID=""
XVFB_PID=""
# Polls of 50 ms before a wait gives up; slower runs (valgrind) raise it.
POLLS=${POLLS:-100}
# How the game is started: valgrind puts itself in front.
LAUNCHER=${LAUNCHER:-}

PULSE_PID=""

cleanup() {
  # The test's result is decided before this: nothing here may change it.
  set +e
  # The game runs in a process group of its own, with whatever launched it.
  [[ -n $GAME_PID ]] && { kill -- -"$GAME_PID" 2>/dev/null || kill "$GAME_PID" 2>/dev/null; }
  [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null
  # The sound server writes in $WORK until it has ended: wait for it before removing the folder.
  if [[ -n $PULSE_PID ]]; then
    kill "$PULSE_PID" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$PULSE_PID" 2>/dev/null || break; sleep 0.02; done
    kill -9 "$PULSE_PID" 2>/dev/null
  fi
  rm -rf "$WORK" 2>/dev/null || { sleep 0.2; rm -rf "$WORK" 2>/dev/null; }
  return 0
}
trap cleanup EXIT

# A PulseAudio server of the test's own with a null sink (null.monitor records what it plays), in
# a runtime folder and home under $WORK, stopped at exit.
start_pulse() {
  command -v pulseaudio >/dev/null || fail "pulseaudio is not installed"
  export XDG_RUNTIME_DIR="$WORK/runtime"
  export HOME="$WORK/home"
  mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
  pulseaudio -D -n --exit-idle-time=-1 --load=module-null-sink --load=module-native-protocol-unix \
    --log-target=file:"$WORK/pulse.log" || fail "pulseaudio did not start"
  PULSE_PID=$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null || true)
  for _ in $(seq "$POLLS"); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
}

fail() {
  echo "FAIL: $*" >&2
  [[ -s $WORK/game.log ]] && { echo "the game printed:" >&2; tail -n 20 "$WORK/game.log" >&2; }
  # import waits for a click when the window is gone: only a live window, and never for long.
  if [[ -n ${WIN:-} ]] && xdotool getwindowname "$WIN" >/dev/null 2>&1; then
    timeout 10 import -window "$WIN" "/tmp/kelo-e2e-failure.png" 2>/dev/null || true
  fi
  exit 1
}

start_x() {
  # Tests run side by side: each picks its display number under a lock, and a server that does
  # not answer is replaced by another.
  local fd_file="$WORK/display" attempt
  exec 9>/tmp/kelo-e2e-xvfb.lock
  flock 9
  for attempt in 1 2 3 4 5; do
    : >"$fd_file"
    # -noreset: without it the server resets when its last client leaves, and a client that
    # connects in that moment (the game, just after the check below) is refused.
    Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$fd_file" 9>&- >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
      [[ -s $fd_file ]] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    if [[ -s $fd_file ]]; then
      export DISPLAY=":$(head -n1 "$fd_file")"
      sleep 0.2
      if kill -0 "$XVFB_PID" 2>/dev/null && xdotool getdisplaygeometry >/dev/null 2>&1; then
        flock -u 9
        exec 9>&-
        return 0
      fi
    fi
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    sleep "0.$((RANDOM % 9 + 1))"
  done
  fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
}

# start_game KELO LEVELS_FILE [WAV_FOLDER]: the program, copied into GAME_DIR with the given levels
# (none when LEVELS_FILE is empty).
GAME_DIR=${GAME_DIR:-$WORK/game}
start_game() {
  local kelo=$1 levels=$2
  mkdir -p "$GAME_DIR"
  [[ -e $GAME_DIR/kelo ]] || cp "$kelo" "$GAME_DIR/kelo"
  if [[ -n $levels ]]; then cp "$levels" "$GAME_DIR/levels.txt"; fi
  if [[ -n ${3:-} && ! -e $GAME_DIR/Ding.wav ]]; then cp "$3/Ding.wav" "$3/End.wav" "$GAME_DIR/"; fi
  launch "$GAME_DIR/kelo" "$WORK"
}

# launch PROGRAM FOLDER: starts PROGRAM from FOLDER and waits for its window.
launch() {
  # shellcheck disable=SC2086
  (cd "$2" && exec setsid $LAUNCHER "$1" >"$WORK/game.log" 2>&1) &
  GAME_PID=$!
  WIN=""
  for _ in $(seq "$POLLS"); do
    WIN=$(xdotool search --onlyvisible --name '^Kelo - Niveau' 2>/dev/null | head -n1 || true)
    [[ -n $WIN ]] && break
    kill -0 "$GAME_PID" 2>/dev/null ||
      fail "the game ended at launch: $(cat "$WORK/game.log"); X server on $DISPLAY: $(
        kill -0 "$XVFB_PID" 2>/dev/null && echo running || echo gone) $(tail -n 5 "$WORK/xvfb.log" 2>/dev/null)"
    sleep 0.05
  done
  [[ -n $WIN ]] || fail "no game window"
  focus
}

stop_game() {
  kill -- -"$GAME_PID" 2>/dev/null || true
  wait "$GAME_PID" 2>/dev/null || true
  GAME_PID=""
}

focus() { xdotool windowfocus --sync "$WIN" 2>/dev/null || xdotool windowfocus "$WIN"; }

title() { xdotool getwindowname "$WIN"; }

# wait_title TEXT: the window title becomes TEXT within a few seconds.
wait_title() {
  for _ in $(seq "$POLLS"); do
    [[ $(title) == "$1" ]] && return 0
    sleep 0.05
  done
  fail "title is '$(title)', expected '$1'"
}

key() {
  focus
  xdotool key --delay 30 "$@"
}

# wait_box TITLE: a modal box of that title is shown; prints its window id.
wait_box() {
  local id="" pattern
  pattern="^$(printf '%s' "$1" | sed 's/[.?]/\\&/g')\$"
  for _ in $(seq "$POLLS"); do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1 || true)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.05
  done
  fail "no box titled '$1'"
}

# close_box ID: Return on the box, then the main window has the keyboard again.
close_box() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool key Return
  local pattern
  pattern="^$(printf '%s' "$2" | sed 's/[.?]/\\&/g')\$"
  for _ in $(seq "$POLLS"); do
    xdotool search --onlyvisible --name "$pattern" >/dev/null 2>&1 || { focus; return 0; }
    sleep 0.05
  done
  fail "box '$2' did not close"
}

# go_to_level TEXT: Ctrl+A, TEXT typed into the box, Return.
go_to_level() {
  key ctrl+a
  local box
  box=$(wait_box "Kelo...")
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool type --delay 30 "$1"
  xdotool key Return
  focus
}

capture() { timeout 10 import -window "$WIN" "$WORK/shot.png" || fail "cannot capture the window"; }

# client_y: the height of the menu bar above the 415-pixel client area.
menu_height() { echo $(($(xdotool getwindowgeometry "$WIN" | awk '/Geometry/ {split($2, a, "x"); print a[2]}') - 415)); }

# tile_at X Y CODE: the 40 x 40 square at client pixel (X, Y) of the last capture is tile CODE exactly.
tile_at() {
  local x=$1 y=$(($2 + MENU)) code=$3 diff
  convert "$WORK/shot.png" -crop "40x40+$x+$y" +repage "$WORK/crop.png"
  diff=$(compare -metric AE "$WORK/crop.png" "$E2E_ROOT/assets/tile$code.bmp" null: 2>&1 || true)
  [[ $diff == 0 ]] || fail "at ($1, $2) the screen differs from tile $code in $diff pixels"
}

# wait_tile X Y CODE: captures until the tile shows, for slides still under way.
wait_tile() {
  for _ in $(seq "$POLLS"); do
    capture
    if (convert "$WORK/shot.png" -crop "40x40+$1+$(($2 + MENU))" +repage "$WORK/crop.png" &&
        [[ $(compare -metric AE "$WORK/crop.png" "$E2E_ROOT/assets/tile$3.bmp" null: 2>&1 || true) == 0 ]]); then
      return 0
    fi
    sleep 0.05
  done
  tile_at "$@"
}

# pixel_is X Y RRGGBB: one client pixel of the last capture.
pixel_is() {
  local got
  got=$(convert "$WORK/shot.png" -format "%[hex:p{$1,$(($2 + MENU))}]" info: | cut -c1-6)
  [[ ${got^^} == "${3^^}" ]] || fail "pixel ($1, $2) is $got, expected $3"
}

# level_file ROW...: a level file from groups of nine rows, CR LF line ends.
level_file() {
  local out=$1
  shift
  : >"$out"
  local n=0
  for row in "$@"; do
    printf '%s\r\n' "$row" >>"$out"
    n=$((n + 1))
    if ((n % 9 == 0)); then printf '\r\n' >>"$out"; fi
  done
}
