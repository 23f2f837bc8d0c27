#!/usr/bin/env bash
# Idle means idle: after a session of overlapping sounds and boxes (slides over many rings, the
# end box while the rings still ring, Help opened during a Ding), 10 s without input cost fewer
# than 20 context switches and under 20 ms of CPU, all threads counted. Catches an audio stream
# left open and playing silence.
source "$(dirname "$0")/lib.sh"
KELO=$1
ASSETS=$2

start_pulse

# Level 1 is won by one slide over twelve rings; level 2 keeps a ring out of reach.
W=1111111111111111
F=1000000000000001
level_file "$WORK/levels.txt" \
  $W 1322222222222201 $F $F $F $F $F 1000000000000041 $W \
  $W 1322222200000001 $F $F 1000000200000001 $F $F 1000000000000041 $W

switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ {s += $2} END {print s + 0}'; }
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{print ($14 + $15) * 1000 / hz}' "/proc/$1/stat"; }

start_x
start_game "$KELO" "$WORK/levels.txt" "$ASSETS"
wait_title "Kelo - Niveau 1"
# The game itself, not the launcher in front of it.
PID=$(pgrep -s "$GAME_PID" -x kelo | head -n1)
[[ -n $PID ]] || fail "no game process"

# The end box opens while twelve Dings and End.wav overlap.
key Right
BOX=$(wait_box "Kelo...")
sleep 0.3
close_box "$BOX" "Kelo..."
wait_title "Kelo - Niveau 2"
# Help during the Dings of a slide, twice, and sounds off and on between.
for _ in 1 2; do
  focus
  xdotool key --delay 0 Right F1
  BOX=$(wait_box "Pour jouer à Kelo...")
  close_box "$BOX" "Pour jouer à Kelo..."
  key ctrl+w ctrl+w ctrl+r
done
# Every sound has ended: Ding.wav and End.wav are under a second and a half.
sleep 3
c0=$(switches "$PID") t0=$(cpu_ms "$PID")
sleep 10
c1=$(switches "$PID") t1=$(cpu_ms "$PID")
sw=$((c1 - c0))
cpu=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.0f", b - a }')
echo "idle 10 s: $sw context switches, $cpu ms of CPU"
((sw < 20)) || fail "$sw context switches in 10 s of idle"
((cpu < 20)) || fail "$cpu ms of CPU in 10 s of idle"
echo "e2e idle: 1 passed, 0 failed"
