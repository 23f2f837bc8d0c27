#!/usr/bin/env bash
# The shipped level set: sound, solvable, at least 30 levels, rising from about 3 moves to 20 or more,
# a third or more needing the square, the teaching levels first, and no board twice.
set -euo pipefail
tool=$1
file=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$tool" check "$file" >/tmp/kelo-level-check.$$ || { cat /tmp/kelo-level-check.$$; fail "check reports problems"; }
rm -f /tmp/kelo-level-check.$$
solved=$("$tool" solve "$file") || fail "solve says some level cannot be won"
echo "$solved" | cut -c1-100

levels=$(echo "$solved" | wc -l)
((levels >= 30)) || fail "only $levels levels"
square=$(echo "$solved" | grep -c "needs the square" || true)
((square * 3 >= levels)) || fail "only $square of $levels levels need the square"

n=0
while IFS= read -r line; do
  n=$((n + 1))
  moves=$(echo "$line" | sed -E 's/^level [0-9]+: ([0-9]+).*/\1/')
  [[ $moves =~ ^[0-9]+$ ]] || { fail "level $n: $line"; continue; }
  # The curve: from 3 on level 1 to 20 on the last, with a little room below it.
  floor=$(((3 + 17 * (n - 1) / (levels - 1)) - 3))
  ((moves >= floor)) || fail "level $n takes $moves moves, below the curve ($floor)"
  if ((n == 1)); then
    ((moves <= 4)) || fail "level 1 takes $moves moves"
    [[ $line == *"square not needed"* ]] || fail "level 1 needs more than the ball"
  fi
  ((n > levels - 3)) && { ((moves >= 20)) || fail "level $n, among the last, takes only $moves moves"; }
done <<<"$solved"

echo "$solved" | sed -n '2,4p' | grep -q "needs the square" || fail "no early level needs the square as a stop"

# No two levels are the same board.
dups=$(od -An -v -tx1 -w164 "$file" | sort | uniq -d | wc -l)
((dups == 0)) || fail "$dups boards appear twice"

if ((failures)); then
  echo "level set: 0 passed, $failures failed"
  exit 1
fi
echo "level set: 1 passed, 0 failed"
