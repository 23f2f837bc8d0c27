#!/usr/bin/env bash
# The shipped level set holds its standard, measured by `kelo-levels analyse`: each level sound,
# solvable, with one ball and one square; not won by mashing keys from level 6 on; walls that
# matter; ways to lose from level 10 on; a long finish; no board twice; one idea per level.
# Usage: level_set.sh TOOL LEVELS NOTES
set -euo pipefail
tool=$1
file=$2
notes=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$tool" check "$file" >/tmp/kelo-level-check.$$ || { cat /tmp/kelo-level-check.$$; fail "check reports problems"; }
rm -f /tmp/kelo-level-check.$$
json=$("$tool" analyse "$file" --json) || fail "analyse says some level cannot be won"
jq -r '.[] | "level \(.level): \(.moves) moves, square \(.square_moves), dead \(.dead_share), random \(.random_win_rate), inert \(.inert_walls | length) of \(.interior_walls)"' <<<"$json"

levels=$(jq length <<<"$json")
((levels >= 40)) || fail "only $levels levels"

# Each figure below is one jq query over every level; a failing level is named.
each() { jq -r ".[] | select($1) | .level" <<<"$json" | tr '\n' ' '; }
bad=$(each '.status != "solved"')
[[ -z $bad ]] || fail "levels that cannot be won: $bad"
bad=$(each '.level >= 6 and .random_win_rate > 0.25')
[[ -z $bad ]] || fail "levels a random player wins more than 25% of the time: $bad"
bad=$(each '.level == 1 and .square_moves != 0')
[[ -z $bad ]] || fail "level 1 needs more than the ball"
bad=$(each '.level >= 2 and .level <= 3 and .square_moves == 0')
[[ -z $bad ]] || fail "a lesson on the square that does not need it: $bad"

read -r inert interior < <(jq -r '[(map(.inert_walls | length) | add), (map(.interior_walls) | add)] | @tsv' <<<"$json")
((inert * 10 <= interior)) || fail "$inert of $interior interior walls are inert (at most 10%)"

read -r later deadly < <(jq -r '[.[] | select(.level >= 10)] | [length, (map(select(.dead_states > 0)) | length)] | @tsv' \
  <<<"$json")
((deadly * 3 >= later)) || fail "only $deadly of the $later levels from 10 on have a way to lose"

bad=$(each ".level > $levels - 5 and .moves < 25")
[[ -z $bad ]] || fail "among the last five, levels under 25 moves: $bad"
bad=$(each ".level == $levels and .moves < 30")
[[ -z $bad ]] || fail "the last level takes under 30 moves"

# One ball and one square: the cells of each record, one record per line.
n=0
while read -r record; do
  n=$((n + 1))
  balls=$(grep -o ' 33' <<<" $record" | wc -l)
  squares=$(grep -o ' 34' <<<" $record" | wc -l)
  ((balls == 1 && squares == 1)) || fail "level $n has $balls balls and $squares squares"
done < <(od -An -v -tx1 -w164 "$file")

dups=$(od -An -v -tx1 -w164 "$file" | sort | uniq -d | wc -l)
((dups == 0)) || fail "$dups boards appear twice"

# The notes: one line per level, "N: idea", in order, no idea taught twice.
mapfile -t lines < <(grep -v '^#' "$notes" | grep -v '^$')
((${#lines[@]} == levels)) || fail "the notes have ${#lines[@]} ideas for $levels levels"
for i in "${!lines[@]}"; do
  [[ ${lines[i]} =~ ^$((i + 1)):\ .{10,}$ ]] || fail "notes line $((i + 1)) is not \"$((i + 1)): idea\": ${lines[i]}"
done
twice=$(printf '%s\n' "${lines[@]}" | sed -E 's/^[0-9]+: //' | tr '[:upper:]' '[:lower:]' | sort | uniq -d)
[[ -z $twice ]] || fail "an idea taught twice: $twice"

if ((failures)); then
  echo "level set: 0 passed, $failures failed"
  exit 1
fi
echo "level set: 1 passed, 0 failed"
