#!/usr/bin/env bash
# With QT_SCALE_FACTOR=2 the window is twice as large and every pixel of the board becomes a
# 2 x 2 block of the same colour: no smoothing of the tiles. A factor the window cannot honour is
# taken as 1: 0 once left a living process with no window to see, 50 a window of 32000 x 21700
# pixels whose 2.8 GB picture Qt may fail to allocate.
source "$(dirname "$0")/lib.sh"
level_file "$WORK/levels.txt" "${LEVEL_A[@]}"
start_x 2048x1536x24
start_game "$1" "$WORK/levels.txt"
normal=$(size)
for factor in 2 0 50; do
  stop_game
  S=$((factor == 2 ? 2 : 1))
  LAUNCHER="env QT_SCALE_FACTOR=$factor" launch "$GAME_DIR/kelo" "$WORK"
  [[ $(size) == "$((S * ${normal%x*}))x$((S * ${normal#*x}))" ]] || fail "window $(size) at scale $S, $normal at 1"
  # The tiles and the bevel's corners, doubled; and the keys still play.
  ((S == 1)) || screen 0 0 1 40 40 3 280 40 2 560 280 4 80 80 0 580 361 3 579 360 '#FFFFFF' 620 360 '#000000' 620 401 '#000000'
  screen Right 560 40 3
done
