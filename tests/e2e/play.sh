#!/usr/bin/env bash
# Plays two small levels with the keyboard in the real window and checks what the screen shows.
source "$(dirname "$0")/lib.sh"
KELO=$1

W=1111111111111111
F=1000000000000001
level_file "$WORK/levels.txt" \
  $W 1300000200000001 $F $F 1000000000000021 $F $F 1000000000000041 $W \
  $W 1300000000000021 $F $F $F $F $F 1400000000000001 $W

start_x
start_game "$KELO" "$WORK/levels.txt"
wait_title "Kelo - Niveau 1"
MENU=$(menu_height)
((MENU > 0)) || fail "no menu bar above the client area"
[[ $(xdotool getwindowgeometry "$WIN" | awk '/Geometry/ {print $2}') == "640x$((415 + MENU))" ]] ||
  fail "window is not 640 x (menu bar + 415)"

capture
tile_at 0 0 1
tile_at 40 40 3
tile_at 280 40 2
tile_at 560 280 4
tile_at 80 80 0
tile_at 580 361 3
pixel_is 579 360 FFFFFF
pixel_is 579 400 FFFFFF
pixel_is 620 360 000000
pixel_is 620 401 000000
pixel_is 579 401 000000
pixel_is 300 405 C0C0C0

# A slide to the right picks up the ring on the way and stops before the wall.
key Right
wait_tile 560 40 3
tile_at 40 40 0
tile_at 280 40 0
[[ $(title) == "Kelo - Niveau 1" ]] || fail "title changed after a slide"

# Space shows the square in the selection box, inside its bevel; again, the ball.
key space
wait_tile 580 361 4
pixel_is 579 360 FFFFFF
pixel_is 620 401 000000
key space
wait_tile 580 361 3

# The square is refused toward the ring above it... the ball goes down onto the last ring.
key Down
BOX=$(wait_box "Kelo...")
capture
tile_at 560 160 0
close_box "$BOX" "Kelo..."
wait_title "Kelo - Niveau 2"
capture
tile_at 40 40 3
tile_at 560 40 2
tile_at 40 280 4

# Level 2 with Shift held: modifiers make no difference. Then back round to level 1.
key shift+Right
BOX=$(wait_box "Kelo...")
close_box "$BOX" "Kelo..."
wait_title "Kelo - Niveau 1"
capture
tile_at 40 40 3
kill -0 "$GAME_PID" || fail "the game ended"
echo "e2e play: 1 passed, 0 failed"
