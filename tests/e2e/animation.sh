#!/usr/bin/env bash
# Slides are animated on screen: with Animation checked, captures taken during a long slide show
# the ball on the cells between; with it unchecked (Ctrl+O), only at its ends.
source "$(dirname "$0")/lib.sh"
KELO=$1

W=1111111111111111
F=1000000000000001
level_file "$WORK/levels.txt" $W 1300000000000001 $F $F 1000000000000021 $F $F 1000000000000041 $W

start_x
start_game "$KELO" "$WORK/levels.txt"
wait_title "Kelo - Niveau 1"
MENU=$(menu_height)

# between KEY: the columns strictly between 2 and 15 where captures during the slide saw the ball.
between() {
  xdotool key "$1" &
  local keys=$! seen=() i c
  for i in $(seq 12); do timeout 10 import -window "$WIN" "$WORK/frame$i.png"; done
  wait "$keys"
  for i in $(seq 12); do
    for c in $(seq 3 14); do
      [[ $(convert "$WORK/frame$i.png" -format "%[hex:p{$(((c - 1) * 40 + 14)),$((52 + MENU))}]" info:) == 00FF00* ]] &&
        seen+=("$c")
    done
  done
  printf '%s\n' "${seen[@]}" | sort -un | tr '\n' ' '
}

focus
on=$(between Right)
wait_tile 560 40 3
echo "with animation, the ball was seen at columns: $on"
[[ $(wc -w <<<"$on") -ge 1 ]] || fail "no animation frames were seen during the slide"

key ctrl+o
focus
off=$(between Left)
wait_tile 40 40 3
echo "without animation: ${off:-none}"
[[ -z ${off// /} ]] || fail "frames were drawn with Animation unchecked"
echo "e2e animation: 1 passed, 0 failed"
