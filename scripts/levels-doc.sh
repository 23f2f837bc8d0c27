#!/usr/bin/env bash
# Makes the level set's page: OUT/levels.md and one picture per level in OUT/levels/, drawn by
# `kelo-levels render`, with each level's idea from the notes and its figures from
# `kelo-levels analyse`: par, look, the stops it forces and its dead ends. `make levels-doc` writes
# them into docs/; the test levels_doc compares.
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

# One level's figures, tab-separated: par, look, the stops it forces, its dead-end share.
figures() {
  jq -r ".[$1] | [.moves,
    (if .look > 24 then \"over 24\" else .look end),
    ([.stops | to_entries[] | select(.value.forced) | .key | gsub(\"_\"; \" \")] | if length == 0 then \"none\" else join(\", \") end),
    \"\(.dead_share * 1000 | round / 10)%\"] | @tsv" <<<"$json"
}

mkdir -p "$out/levels"
rm -f "$out"/levels/level-*.png "$out/levels/solution.png" "$out/levels/curve.png"
{
  echo "# The levels of Kelo"
  echo
  echo "Made by \`make levels-doc\` from \`levels.txt\` and \`docs/levels-notes.txt\`; do not edit by hand."
  echo "Each picture is drawn by \`kelo-levels render\` as the game draws the board. *Par* is the fewest"
  echo "moves (slides; Space is free). *Look* is how far ahead a player must look to win: the smallest k"
  echo "for which a player that counts the rings it can take within k slides, and takes the best, wins"
  echo "half of its games; it is the difficulty, par is not. *Forces* names the stops the level cannot be"
  echo "won without (the square stopping the ball, a ring or the ball stopping the square, the open"
  echo "edge). *Dead ends* is the share of the positions from which the level can no longer be won"
  echo "(then Ctrl+R). The curve: par (orange) and look (blue) against the level number."
  echo
  echo "![Par and look of every level](levels/curve.png)"
  echo
  echo "| Level | Par | Look | Forces | Dead ends | Idea |"
  echo "|---:|---:|---:|---|---:|---|"
  for ((i = 0; i < count; i++)); do
    n=$((i + 1))
    IFS=$'\t' read -r par look forces dead < <(figures "$i")
    echo "| [$n](#level-$n) | $par | $look | $forces | $dead | ${ideas[i]} |"
  done
  for ((i = 0; i < count; i++)); do
    n=$((i + 1))
    name=$(printf 'level-%02d.png' "$n")
    "$tool" render "$levels" --level "$n" -o "$out/levels/$name" >/dev/null
    IFS=$'\t' read -r par look forces dead < <(figures "$i")
    echo
    echo "## Level $n"
    echo
    echo "${ideas[i]} Par $par, look $look; forces: $forces; dead ends $dead."
    echo
    echo "![Level $n](levels/$name)"
  done
} >"$out/levels.md"
"$tool" render "$levels" --curve -o "$out/levels/curve.png" >/dev/null
# The README's picture: level 6, the square's escape loop, with its shortest solution; short
# enough for its arrows to read at a glance.
"$tool" render "$levels" --level 6 --solution -o "$out/levels/solution.png" >/dev/null
