#!/usr/bin/env bash
# Closing the window, or Jeu > Quitter, at random moments 0 to 100 ms after the first Ding.wav
# ends the process at once, every time: 200 closes on six X servers side by side. Catches an
# exit that waits on the sound library (a sample cache's destructor waiting for its loader thread).
# The game runs under strace, which slows every system call: the sound library's threads then
# take long enough for such a wait to show in a few closes out of a hundred.
source "$(dirname "$0")/lib.sh"
KELO=$1 CLOSER=$2 ASSETS=$3 RUNS=${RUNS:-200} LANES=6
session_dirs pulse
! strace -f -o /dev/null true 2>/dev/null || LAUNCHER="strace -f -qq -o /dev/null"
# The ball beside a ring before a wall: the first key rings at once and the slide ends there, so
# that the close is handled while the sound is still being set up; a ring out of reach keeps the
# end box (which holds a close back) away.
level_file "$WORK/levels.txt" $W 1321000000000001 $F $F 1000000200000001 $F $F 1000000000000041 $W

# lane N: its share of the launches and closes on an X server of its own; prints one line per
# close: the delay after the key in ms, and the time to exit in ms (-1: it hung).
lane() {
  GAME_DIR=$WORK/lane$1
  trap 'stop_game; kill "$XVFB_PID" 2>/dev/null' EXIT
  start_x
  # Earlier builds kept their sounds in a module beside the program: run against one, it comes too.
  mkdir -p "$GAME_DIR" && cp -r "$KELO" "$WORK/levels.txt" "$ASSETS/Ding.wav" "$ASSETS/End.wav" $(ls -d "$(dirname "$KELO")/modules" 2>/dev/null) "$GAME_DIR/"
  for ((i = $1; i < RUNS; i += LANES)); do
    launch "$GAME_DIR/kelo" "$GAME_DIR"
    xdotool key Right
    delay=$((RANDOM % 101)) && sleep "$(printf '0.%03d' "$delay")"
    start=$(date +%s%N)
    # Even closes as a window manager's close button sends them, odd ones through the menu.
    if ((i % 2 == 0)); then "$CLOSER" "$WIN"; else xdotool key --delay 20 alt+j q; fi
    for ((ended = -1; ended < 0 && $(date +%s%N) - start < 3000000000; )); do
      kill -0 "$GAME_PID" 2>/dev/null && sleep 0.02 || ended=$((($(date +%s%N) - start) / 1000000))
    done
    stop_game
    echo "$delay $ended"
  done
}
for ((n = 0; n < LANES; n++)); do (lane "$n" >"$WORK/lane$n.out" 2>"$WORK/lane$n.err") & done
wait
cat "$WORK"/lane*.out >"$WORK/all"
(($(wc -l <"$WORK/all") == RUNS)) || fail "$(wc -l <"$WORK/all") closes of $RUNS ran: $(tail -n 5 "$WORK"/lane*.err)"
! grep -E ' -1$' "$WORK/all" || fail "closes that left the process running (delay, -1) above"
