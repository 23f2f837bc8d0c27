#!/usr/bin/env bash
# Closing the window, or Jeu > Quitter, at random moments 0 to 100 ms after the first Ding.wav
# ends the process at once, every time: 200 closes on six X servers side by side. Catches an
# exit that waits on the sound library (a sample cache's destructor waiting for its loader thread).
# The game runs under strace, which slows every system call: the sound library's threads then
# take long enough for such a wait to show in a few closes out of a hundred.
source "$(dirname "$0")/lib.sh"
KELO=$1
CLOSER=$2
ASSETS=$3
RUNS=${RUNS:-200}
LANES=6

start_pulse
TRACER=""
if command -v strace >/dev/null && strace -f -o /dev/null true 2>/dev/null; then TRACER="strace -f -qq -o /dev/null"; fi

# The ball beside a ring before a wall: the first key rings at once and the slide ends there, so
# that the close is handled while the sound is still being set up; a ring out of reach keeps the
# end box (which holds a close back) away.
W=1111111111111111
F=1000000000000001
level_file "$WORK/levels.txt" $W 1321000000000001 $F $F 1000000200000001 $F $F 1000000000000041 $W

# lane N COUNT: COUNT launches and closes on an X server of its own; prints one line per close:
# how it was closed, the delay after the key in ms, and the time to exit in ms (-1: it hung).
lane() {
  local n=$1 count=$2 dir="$WORK/lane$1" pid win delay start ended i
  start_x
  mkdir -p "$dir"
  cp "$KELO" "$WORK/levels.txt" "$ASSETS/Ding.wav" "$ASSETS/End.wav" "$dir/"
  # Earlier builds kept their sounds in a module beside the program: run against one, it comes too.
  if [[ -e $(dirname "$KELO")/modules ]]; then cp -r "$(dirname "$KELO")/modules" "$dir/"; fi
  for ((i = 0; i < count; i++)); do
    # shellcheck disable=SC2086
    (cd "$dir" && exec setsid $TRACER ./kelo >/dev/null 2>&1) &
    pid=$!
    win=""
    for _ in $(seq "$POLLS"); do
      win=$(xdotool search --onlyvisible --name '^Kelo - Niveau' 2>/dev/null | head -n1 || true)
      [[ -n $win ]] && break
      sleep 0.05
    done
    [[ -n $win ]] || { echo "nowindow 0 -1"; kill -9 -- -"$pid" 2>/dev/null; wait "$pid" 2>/dev/null; continue; }
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    xdotool key Right
    delay=$((RANDOM % 101))
    sleep "$(printf '0.%03d' "$delay")"
    start=$(date +%s%N)
    if ((i % 2 == 0)); then
      "$CLOSER" "$win"
      how=close
    else
      xdotool key --delay 20 alt+j q
      how=quitter
    fi
    ended=-1
    for _ in $(seq 150); do
      if ! kill -0 "$pid" 2>/dev/null; then ended=$((($(date +%s%N) - start) / 1000000)); break; fi
      sleep 0.02
    done
    if ((ended < 0)); then kill -9 -- -"$pid" 2>/dev/null || kill -9 "$pid" 2>/dev/null || true; fi
    wait "$pid" 2>/dev/null || true
    echo "$how $delay $ended"
  done
  kill "$XVFB_PID" 2>/dev/null || true
}

for ((n = 0; n < LANES; n++)); do
  lane "$n" $(((RUNS + LANES - 1 - n) / LANES)) >"$WORK/lane$n.out" 2>"$WORK/lane$n.err" &
done
wait
cat "$WORK"/lane*.out >"$WORK/all.out"
total=$(wc -l <"$WORK/all.out")
hung=$(awk '$3 < 0' "$WORK/all.out" | wc -l)
slowest=$(awk '$3 >= 0 && $3 > m { m = $3 } END { print m + 0 }' "$WORK/all.out")
echo "closes: $total, hung: $hung, slowest exit: $slowest ms"
((total == RUNS)) || fail "only $total of $RUNS closes ran: $(cat "$WORK"/lane*.err | tail -n 5)"
((hung == 0)) || fail "$hung of $total closes left the process running: $(awk '$3 < 0' "$WORK/all.out" | head -n 5 | tr '\n' ';')"
echo "e2e quit race: 1 passed, 0 failed"
