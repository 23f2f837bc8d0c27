#!/usr/bin/env bash
# The shipped level set holds its standard, measured by `kelo-levels`: each level sound (one ball,
# one square, nothing misread) and solvable; the lessons need what they teach; not won by mashing
# keys from level 6 on; walls that matter; ways to lose from level 10 on; a long finish; no board
# twice; one idea per level. The one test that solves every shipped level.
# Usage: level_set.sh TOOL LEVELS NOTES
set -euo pipefail
tool=$1 file=$2 notes=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$tool" check "$file" || fail "check reports problems"
json=$("$tool" analyse "$file" --json) || fail "analyse says some level cannot be won"

# Each line: a rule, then a jq query over the analysis (and the file as $f) that prints what breaks it.
while IFS=';' read -r rule query; do
  bad=$(jq -r --rawfile f "$file" "$query" <<<"$json" | tr '\n' ' ')
  [[ -z $bad ]] || fail "$rule: $bad"
done <<'EOF'
at least 40 levels; length | select(. < 40)
every level can be won; .[] | select(.status != "solved") | .level
level 1 needs the ball alone; .[] | select(.level == 1 and .square_moves != 0) | .level
the lessons on the square need it; .[] | select(.level >= 2 and .level <= 3 and .square_moves == 0) | .level
from level 6 on, a random player wins at most 25% of the time; .[] | select(.level >= 6 and .random_win_rate > 0.25) | .level
the last five take 25 moves or more; length as $n | .[] | select(.level > $n - 5 and .moves < 25) | .level
the last takes 30 moves or more; length as $n | .[] | select(.level == $n and .moves < 30) | .level
at most 10% of the interior walls are idle; [(map(.idle_walls | length) | add), (map(.interior_walls) | add)] | select(.[0] * 10 > .[1]) | "\(.[0]) of \(.[1])"
a third of the levels from 10 on have a way to lose; [.[] | select(.level >= 10)] | select((map(select(.dead_states > 0)) | length) * 3 < length) | "too few"
an early level shows a ring stopping the square (the cell past its stop holds a ring); [.[] | select(.level <= 4) | .level as $l | .solution[] | select(.move | startswith("square ")) | {"left": [0, -1], "up": [-1, 0], "right": [0, 1], "down": [1, 0]}[.move[7:]] as $d | select($f[($l - 1) * 164 + (.to[0] + $d[0] - 1) * 18 + .to[1] + $d[1] - 1:][:1] == "2")] | select(length == 0) | "none"
EOF

[[ -z $(od -An -v -tx1 -w164 "$file" | sort | uniq -d) ]] || fail "some boards appear twice"

# The notes: one line per level, "N: idea", in order, no idea taught twice.
mapfile -t lines < <(grep -v '^#' "$notes" | grep -v '^$')
[[ $(jq length <<<"$json") == "${#lines[@]}" ]] || fail "the notes have ${#lines[@]} ideas for $(jq length <<<"$json") levels"
for i in "${!lines[@]}"; do
  [[ ${lines[i]} =~ ^$((i + 1)):\ .{10,}$ ]] || fail "notes line $((i + 1)) is not \"$((i + 1)): idea\": ${lines[i]}"
done
twice=$(printf '%s\n' "${lines[@]}" | sed -E 's/^[0-9]+: //' | tr '[:upper:]' '[:lower:]' | sort | uniq -d)
[[ -z $twice ]] || fail "an idea taught twice: $twice"

((failures == 0)) || { echo "level set: 0 passed, $failures failed"; exit 1; }
echo "level set: 1 passed, 0 failed"
