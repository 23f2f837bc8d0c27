#!/usr/bin/env bash
# Idle means idle: after a session of overlapping sounds and boxes (slides over many rings, the
# end box while the rings still ring, Help opened during a Ding), 10 s without input cost fewer
# than 20 context switches and under 20 ms of CPU, all threads counted. Catches an audio stream
# left open and playing silence.
source "$(dirname "$0")/lib.sh"
session_dirs pulse
# Level 1 is won by one slide over twelve rings; level 2 keeps a ring out of reach.
level_file "$WORK/levels.txt" $W 1322222222222201 $F $F $F $F $F 1000000000000041 $W \
  $W 1322222200000001 $F $F 1000000200000001 $F $F 1000000000000041 $W
start_x
start_game "$1" "$WORK/levels.txt" "$2"
# The end box opens while twelve Dings and End.wav overlap.
box "Right sleep 0.3" "Kelo..."
level 2
# Help during the Dings of a slide, twice, and sounds off and on between.
for _ in 1 2; do
  box "Right F1" "Pour jouer à Kelo..."
  key ctrl+w ctrl+w ctrl+r
done
# Every sound has ended (Ding.wav and End.wav are under a second and a half). The game itself,
# not a launcher in front of it: switches of every thread, then the CPU ticks.
sleep 3
counts() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ {s += $2} END {print s}'; cut -d' ' -f14,15 "/proc/$1/stat"; }
PID=$(pgrep -s "$GAME_PID" -x kelo)
before=($(counts "$PID"))
sleep 10
after=($(counts "$PID"))
sw=$((after[0] - before[0])) cpu=$(((after[1] + after[2] - before[1] - before[2]) * 1000 / $(getconf CLK_TCK)))
((sw < 20 && cpu < 20)) || fail "$sw context switches and $cpu ms of CPU in 10 s of idle"
