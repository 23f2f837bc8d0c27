#!/usr/bin/env bash
# The level editor driven by the mouse: a file opened, a level painted on it with the palette and
# the board, its par shown in the title, the file saved; then the real game on that file, won with
# the solution that the editor gives. Usage: editor.sh KELO KELO_EDITOR
source "$(dirname "$0")/lib.sh"
FILE=$WORK/levels.txt
level_file "$FILE" $W $F $F $F $F $F $F $F $W
session_dirs
start_x 1400x900x24
(cd "$WORK" && exec setsid "$2" levels.txt >"$WORK/game.log" 2>&1) &
GAME_PID=$!
until_ok found ' — Éditeur de niveaux Kelo$' || fail "no editor window"
WIN=$FOUND
focus
title() { xdotool getwindowname "$WIN"; }

# tiles CODE: the window's places (x y, one a line) where tile CODE is drawn pixel for pixel.
tiles() {
  import -window "$WIN" -depth 8 ppm:"$WORK/shot.ppm"
  convert "$E2E_ROOT/assets/tile$1.bmp" -depth 8 ppm:"$WORK/tile.ppm"
  python3 - "$WORK/shot.ppm" "$WORK/tile.ppm" <<'EOF'
import sys
def ppm(path):
    magic, w, h, top, rest = open(path, 'rb').read().split(maxsplit=4)
    return int(w), [rest[y * int(w) * 3:(y + 1) * int(w) * 3] for y in range(int(h))]
_, shot = ppm(sys.argv[1])
n, tile = ppm(sys.argv[2])
mid = n // 2
for y in range(mid, len(shot) - n + mid + 1):
    x = shot[y].find(tile[mid])
    while x >= 0:
        if x % 3 == 0 and all(shot[y - mid + r][x:x + 3 * n] == tile[r] for r in range(n)):
            print(x // 3, y - mid)
        x = shot[y].find(tile[mid], x + 1)
EOF
}
# The board, from the bottom right corner of its wall frame (the keyboard's cursor covers the top
# left one): the wall with walls 15 cells to its left and 8 above it.
board() {
  read -r BX BY < <(tiles 1 | awk '{ at[$0] = 1; list[NR] = $0 } END { for (k = 1; k <= NR; k++) { split(list[k], p, " ")
    left = (p[1] - 600) " " p[2]; above = p[1] " " (p[2] - 320)
    if ((left in at) && (above in at)) { print p[1] - 600, p[2] - 320; exit } } }')
}
until_ok board || fail "no board in the window"
outside() { awk -v x="$BX" -v y="$BY" '$1 < x || $1 >= x + 640 || $2 < y || $2 >= y + 360' | head -n1; }
# The palette's buttons, found before the board holds any of their tiles.
for code in 1 2 3 4; do
  read -r x y < <(tiles "$code" | outside) || fail "no tile $code in the palette"
  PALETTE[code]="$((x + 20)) $((y + 20))"
done
# pick CODE: the palette's tile chosen; cell ROW COL: the board's pixel at the centre of the cell.
pick() { xdotool mousemove --window "$WIN" ${PALETTE[$1]} click 1; }
cell() { echo "$((BX + 40 * ($2 - 1) + 20)) $((BY + 40 * ($1 - 1) + 20))"; }
paint() { xdotool mousemove --window "$WIN" $(cell "$1" "$2") click 1; }

# A wall drawn by a drag, then the ball, the square and two rings.
pick 1
xdotool mousemove --window "$WIN" $(cell 5 4) mousedown 1 mousemove --window "$WIN" $(cell 5 8) \
  mousemove --window "$WIN" $(cell 5 12) mouseup 1
pick 3 && paint 2 2
pick 4 && paint 8 15
pick 2 && paint 4 8 && paint 8 3
until_ok eval '[[ $(title) =~ \(par\ ([0-9]+)\) ]]' || fail "no par in the title: $(title)"
par=${BASH_REMATCH[1]}

# The solution as the panel shows it ("balle →, carré ↓"), through the clipboard.
key ctrl+shift+c
until_ok eval 'solution=$(xclip -o -selection clipboard 2>/dev/null) && [[ -n $solution ]]' || fail "no solution copied"
keys=() selected=balle
while read -r piece arrow; do
  [[ $piece == "$selected" ]] || keys+=(space) selected=$piece
  case $arrow in ←) keys+=(Left) ;; ↑) keys+=(Up) ;; →) keys+=(Right) ;; ↓) keys+=(Down) ;; *) fail "move '$piece $arrow'" ;; esac
done < <(sed 's/, /\n/g' <<<"$solution")
(($(grep -c . < <(sed 's/, /\n/g' <<<"$solution")) == par)) || fail "the solution '$solution' is not of $par slides"

key ctrl+s
until_ok eval '[[ $(title) == "levels.txt — "* ]]' || fail "not saved: $(title)"
key ctrl+q
until_ok eval '! xdotool getwindowname $WIN >/dev/null 2>&1' || fail "the editor did not close on Ctrl+Q"
wait "$GAME_PID" || fail "the editor ended with status $?"
GAME_PID=""

# The game on the saved file, without animation, won by those keys.
start_game "$1" "$FILE"
key ctrl+o
box "${keys[*]}" "Kelo..."
