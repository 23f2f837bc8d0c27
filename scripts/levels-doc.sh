#!/usr/bin/env bash
# Makes the level set's page: OUT/levels.md and one picture per level in OUT/levels/, drawn by
# `kelo-levels render`, with each level's idea from the notes and its par and square slides from
# `kelo-levels analyse`. `make levels-doc` writes them into docs/; the test levels_doc compares.
# Usage: scripts/levels-doc.sh TOOL LEVELS NOTES OUT
set -euo pipefail
tool=$1
levels=$2
notes=$3
out=$4

json=$("$tool" analyse "$levels" --json --trials 1)
count=$(jq length <<<"$json")
mapfile -t ideas < <(grep -v '^#' "$notes" | grep -v '^$' | sed -E 's/^[0-9]+: //')
if ((${#ideas[@]} != count)); then
  echo "levels-doc: $count levels but ${#ideas[@]} ideas in $notes" >&2
  exit 1
fi

mkdir -p "$out/levels"
rm -f "$out"/levels/level-*.png "$out/levels/solution.png"
{
  echo "# The levels of Kelo"
  echo
  echo "Made by \`make levels-doc\` from \`levels.txt\` and \`docs/levels-notes.txt\`; do not edit by hand."
  echo "Each picture is drawn by \`kelo-levels render\` as the game draws the board. *Par* is the fewest"
  echo "moves (slides; Space is free), *square* the fewest slides of the square that a shortest solution"
  echo "needs (0: the ball alone). The set opens with three lessons, teaches one idea per level, then"
  echo "combines them into longer puzzles."
  echo
  echo "| Level | Par | Square | Idea |"
  echo "|---:|---:|---:|---|"
  for ((i = 0; i < count; i++)); do
    n=$((i + 1))
    read -r par square < <(jq -r ".[$i] | [.moves, .square_moves] | @tsv" <<<"$json")
    echo "| [$n](#level-$n) | $par | $square | ${ideas[i]} |"
  done
  for ((i = 0; i < count; i++)); do
    n=$((i + 1))
    name=$(printf 'level-%02d.png' "$n")
    "$tool" render "$levels" --level "$n" -o "$out/levels/$name" >/dev/null
    read -r par square < <(jq -r ".[$i] | [.moves, .square_moves] | @tsv" <<<"$json")
    echo
    echo "## Level $n"
    echo
    echo "${ideas[i]} Par $par, square $square."
    echo
    echo "![Level $n](levels/$name)"
  done
} >"$out/levels.md"
# The README's picture: level 8, the square's escape loop, with its shortest solution; short
# enough for its arrows to read at a glance.
"$tool" render "$levels" --level 8 --solution -o "$out/levels/solution.png" >/dev/null
