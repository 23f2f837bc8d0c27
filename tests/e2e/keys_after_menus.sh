#!/usr/bin/env bash
# After the menus were used from the keyboard, or after a lone Alt, Space and the arrows still
# reach the game: once the menu bar kept the keyboard with nothing highlighted.
source "$(dirname "$0")/lib.sh"
KELO=$1

W=1111111111111111
F=1000000000000001
level_file "$WORK/levels.txt" $W 1300000000000001 $F $F $F $F $F 1000000000000241 $W

start_x
start_game "$KELO" "$WORK/levels.txt"
MENU=$(menu_height)
# The desktop file name that Wayland goes by leaves X11's window class as it was.
[[ $(xprop -id "$WIN" WM_CLASS) == 'WM_CLASS(STRING) = "kelo", "Kelo"' ]] || fail "window class $(xprop -id "$WIN" WM_CLASS)"
stop_game

# after KEYS...: a fresh game, the keys with a pause after each (menus open and close), then
# Space and Up must slide the square from the bottom row to the top one.
after() {
  launch "$GAME_DIR/kelo" "$WORK"
  wait_title "Kelo - Niveau 1"
  local k
  for k in "$@"; do
    xdotool key "$k"
    sleep 0.3
  done
  xdotool key space
  sleep 0.2
  xdotool key Up
  wait_tile 560 40 4
  tile_at 580 361 4
  tile_at 560 280 0
  stop_game
}

after alt+j Escape alt+o Escape Escape
after alt+j Escape alt+j Return
# A lone Alt, then the arrow alone: the ball slides right.
launch "$GAME_DIR/kelo" "$WORK"
wait_title "Kelo - Niveau 1"
xdotool key alt
sleep 0.3
xdotool key Right
wait_tile 560 40 3
tile_at 40 40 0
echo "e2e keys after menus: ok"
