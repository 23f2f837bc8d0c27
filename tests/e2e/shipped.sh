#!/usr/bin/env bash
# Shipped levels won in the real window with the keyboard alone, following the level tool's
# shortest solutions: the first three in turn from the launch, then the last (reached by Ctrl+A,
# the longest), after which the game is back at level 1. level_set.sh proves every one solvable.
source "$(dirname "$0")/lib.sh"
solutions=$("$2" solve "$3") || fail "the level tool cannot win every shipped level"
last=$(wc -l <<<"$solutions")
start_x
start_game "$1" "$3"
key ctrl+o  # no animation: the slides are the same, only faster

# win N: level N's solution, "level 4: 5 ball left, square down, ...; needs ...", as keys.
win() {
  local keys=() selected=ball piece direction
  level "$1"
  while read -r piece direction; do
    [[ $piece == "$selected" ]] || keys+=(space) selected=$piece
    keys+=("${direction^}")
  done < <(sed -n "$1{s/^level [0-9]*: [0-9]* //; s/;.*//; s/, /\n/g; p}" <<<"$solutions")
  box "${keys[*]}" "Kelo..."
}
for n in 1 2 3; do win $n; done
# shellcheck disable=SC2046
box ctrl+a "Kelo..." $(grep -o . <<<"$last") Return
win "$last"
level 1
