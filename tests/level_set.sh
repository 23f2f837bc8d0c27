#!/usr/bin/env bash
# The shipped level set holds its standard, `kelo-levels analyse --standard`: forty levels and
# more, each sound and solvable; no near-duplicates; each stop kind taught where it is forced; no
# thoughtless win; difficulty from look, not length; traps cheap to retry; walls with
# architecture. And the notes give one idea per level, none taught twice. The one test that
# solves every shipped level.
# Usage: level_set.sh TOOL LEVELS NOTES
set -euo pipefail
tool=$1 file=$2 notes=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$tool" check "$file" || fail "check reports problems"
"$tool" analyse "$file" --standard || fail "the set falls short of its standard"

# The notes: one line per level, "N: idea", in order, no idea taught twice.
levels=$(($(stat -c %s "$file") / 164))
mapfile -t lines < <(grep -v '^#' "$notes" | grep -v '^$')
[[ $levels == "${#lines[@]}" ]] || fail "the notes have ${#lines[@]} ideas for $levels levels"
for i in "${!lines[@]}"; do
  [[ ${lines[i]} =~ ^$((i + 1)):\ .{10,}$ ]] || fail "notes line $((i + 1)) is not \"$((i + 1)): idea\": ${lines[i]}"
done
twice=$(printf '%s\n' "${lines[@]}" | sed -E 's/^[0-9]+: //' | tr '[:upper:]' '[:lower:]' | sort | uniq -d)
[[ -z $twice ]] || fail "an idea taught twice: $twice"

((failures == 0)) || { echo "level set: 0 passed, $failures failed"; exit 1; }
echo "level set: 1 passed, 0 failed"
