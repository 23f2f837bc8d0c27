#!/usr/bin/env bash
# The menu bar in the real window: every shortcut, the go-to-level box, F1, an access key, Quitter.
source "$(dirname "$0")/lib.sh"
KELO=$1

W=1111111111111111
F=1000000000000001
rows=()
for n in 1 2 3 4 5; do
  rows+=($W 1300000000000001 $F $F $F $F $F 1000000000000241 $W)
done
level_file "$WORK/levels.txt" "${rows[@]}"

start_x
start_game "$KELO" "$WORK/levels.txt"
MENU=$(menu_height)
wait_title "Kelo - Niveau 1"

key ctrl+s
wait_title "Kelo - Niveau 2"
key ctrl+s ctrl+s
wait_title "Kelo - Niveau 4"
key ctrl+n
wait_title "Kelo - Niveau 1"

# Go to level: the box, typed into.
go_to_level 3
wait_title "Kelo - Niveau 3"
focus
# Cancelled: nothing changes.
key ctrl+a
BOX=$(wait_box "Kelo...")
xdotool windowfocus --sync "$BOX" 2>/dev/null || true
xdotool key Escape
sleep 0.3
focus
wait_title "Kelo - Niveau 3"

# A move, then Ctrl+R puts the level back as the file has it.
key Right
wait_tile 560 40 3
key ctrl+r
wait_tile 40 40 3
tile_at 560 40 0
wait_title "Kelo - Niveau 3"

# Ctrl+O and Ctrl+W flip the check marks; a slide still works, and the title stays.
key ctrl+o ctrl+w
key Right
wait_tile 560 40 3
key ctrl+o ctrl+w
wait_title "Kelo - Niveau 3"

# F1: the help box over the same board.
key F1
BOX=$(wait_box "Pour jouer à Kelo...")
close_box "$BOX" "Pour jouer à Kelo..."
wait_title "Kelo - Niveau 3"
capture
tile_at 560 40 3

# An access key opens the Jeu menu; N in it is Nouveau.
key alt+j
sleep 0.3
xdotool key n
wait_title "Kelo - Niveau 1"

# Aide > A propos, through the menu with the arrow keys.
key alt+a
sleep 0.3
xdotool key Up Return
BOX=$(wait_box "Infos inutiles sur Kelo...")
close_box "$BOX" "Infos inutiles sur Kelo..."
wait_title "Kelo - Niveau 1"

# Quitter ends the process at once.
key alt+j
sleep 0.3
xdotool key q
for _ in $(seq 60); do
  kill -0 "$GAME_PID" 2>/dev/null || break
  sleep 0.05
done
if kill -0 "$GAME_PID" 2>/dev/null; then fail "Quitter did not end the game"; fi
wait "$GAME_PID" || fail "the game did not end cleanly"
GAME_PID=""
echo "e2e menus: 1 passed, 0 failed"
