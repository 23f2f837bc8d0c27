#!/usr/bin/env bash
# One session of the real game, run three ways. Usage: session.sh MODE KELO ASSETS, MODE one of
#   plain:    also the sounds heard, the animation seen, and the keys after the menus (timing);
#   strace:   no file written but the one empty levels.txt it may make, and what Qt and PulseAudio
#             write of their own (XDG_RUNTIME_DIR unset, the sound server named by PULSE_SERVER);
#   valgrind: no memory error and no definite leak of the game's own (the exit status says).
# In every mode: the screen to the pixel, the titles, the boxes, the menus, and a folder that did
# not change. The folder has spaces, UTF-8 accents and a last name in Latin-1: found by its bytes.
source "$(dirname "$0")/lib.sh"
MODE=$1 PAUSE=0.3 TRACE=""
GAME_DIR="$WORK/Mes jeux d'été/Kelo caf"$'\xe9'
mkdir -p "$GAME_DIR" && cp "$2" "$3/Ding.wav" "$3/End.wav" "$GAME_DIR/"
if [[ $MODE == valgrind ]]; then session_dirs; else session_dirs pulse; fi
if [[ $MODE == strace ]]; then
  strace -f -o /dev/null true 2>/dev/null || { echo "skipped: strace cannot trace here"; exit 77; }
  # A home of its own, where PulseAudio's library makes its cookie.
  PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native HOME=$WORK/player && mkdir "$HOME"
  TRACE=$WORK/trace PAUSE=0.5 LAUNCHER="env -u XDG_RUNTIME_DIR PULSE_SERVER=$PULSE_SERVER strace -ff -qq -xx -e trace=%file -o $WORK/trace"
elif [[ $MODE == valgrind ]]; then
  # valgrind 3.19 cannot read clang's DWARF 5 (the build asks clang for DWARF 4; flags given by
  # hand may override it): such a build is skipped, not failed.
  readelf --debug-dump=info "$2" 2>/dev/null | awk '/^ +Version:/ { v = $2 } /DW_AT_producer/ && /clang/ && v == 5 { f = 1 }
    END { exit !f }' && { echo "skipped: clang's DWARF 5, which valgrind cannot read; build with -gdwarf-4"; exit 77; }
  POLLS=1200 PAUSE=2 LAUNCHER="valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite
    --num-callers=40 --suppressions=$E2E_ROOT/tests/e2e/qt.supp --log-file=$WORK/valgrind.log"
fi
start_x

snapshot() { (cd "$GAME_DIR" && find . -mindepth 1 -printf '%p %y %s %T@\n' | sort); }
# The traced calls that would write, successful: opens for writing or making, every change of a
# name, but for the making of levels.txt and the README's list of Qt's and PulseAudio's own: the
# runtime folder, the cookie and its folders. Paths are in hexadecimal (strace -xx): bytes
# compare. A file per thread (-ff), so that no call is split between two lines by another thread's.
hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n' | sed 's/../\\x&/g'; }
LEVELS_HEX=$(hex "$GAME_DIR/levels.txt") COOKIE_HEX=$(hex "$HOME/.config/pulse/cookie")
writes() {
  [[ -z $TRACE ]] || cat "$TRACE".* | grep -E '^((creat|mkdir(at)?|rmdir|unlink(at)?|rename(at2?)?|(sym)?link(at)?|truncate|f?chmod(at)?|[fl]?chown(at)?|utimensat)\(|open(at)?\(.*(O_WRONLY|O_RDWR|O_CREAT|O_TRUNC))' \
    | grep -v -E '= -1 E' | grep -v -F -e '"\x2f\x64\x65\x76\x2f' \
    -e "\"$LEVELS_HEX\", O_RDONLY|O_CREAT|O_EXCL|O_NONBLOCK|O_CLOEXEC" -e "\"$(hex "/tmp/runtime-$(id -un)")\"" \
    -e "\"$COOKIE_HEX\"" -e "\"$(hex "$HOME/.config/pulse")\"" -e "\"$(hex "$HOME/.config")\"" || true
}
# Jeu > Quitter with the mouse (on the empty level any key, Alt too, would win it first): the game
# ends at once, cleanly, and wrote nothing.
quit_game() {
  xdotool mousemove --window "$WIN" 15 $((MENU / 2)) click 1 sleep "$PAUSE" key q
  until_ok eval '! kill -0 "$GAME_PID" 2>/dev/null' || fail "Quitter did not end the game"
  wait "$GAME_PID" || fail "the game ended with status $? $(cat "$WORK/valgrind.log" 2>/dev/null)"
  [[ -z $(writes) ]] || fail "the game wrote: $(writes)"
}
# slide_right ON: the ball slides right. In the plain run, while the sound sink is recorded and
# the window captured: with ON 1, Ding.wav is heard (samples up to 3000 of 32767 at least) and the
# ball seen on the cells between its ends; with ON 0, silence and no frame between.
slide_right() {
  [[ $MODE == plain ]] || { key Right && return; }
  local i
  listen
  key Right &
  for i in {1..12}; do timeout 10 import -window "$WIN" "$WORK/frame$i.png"; done
  wait $!
  loudest
  SEEN=$(for i in {1..12}; do convert "$WORK/frame$i.png" -crop "640x1+0+$((52 + MENU))" +repage -depth 8 txt:-; done |
    awk -F'[,:]' '/#00FF00/ && $1 % 40 == 14 && $1 > 80 && $1 < 560 { print int($1 / 40) + 1 }' | sort -un | tr '\n' ' ')
  (($1 ? LOUDEST > 3000 : LOUDEST < 100)) && [[ $1 == 1 && -n $SEEN || $1 == 0 && -z $SEEN ]] ||
    fail "with Son and Animation at $1, loudest sample $LOUDEST, the ball seen between its ends at: $SEEN"
}

# 1. No level file: an empty one is made, and nothing else; its empty level is won by any key,
# and level 1 comes round again.
before=$(snapshot)
launch "$GAME_DIR/kelo" "$WORK"
box space "Kelo..."
level 1
quit_game
[[ -f $GAME_DIR/levels.txt && ! -s $GAME_DIR/levels.txt ]] || fail "no empty levels.txt was made"
[[ $(snapshot | grep -v '^./levels.txt ') == "$before" ]] || fail "the folder changed beyond levels.txt"
[[ -z $TRACE || $(cat "$TRACE".*) == *"\"$LEVELS_HEX\", O_RDONLY|O_CREAT"* ]] || fail "the trace does not show levels.txt made"
[[ -z $TRACE || $(cat "$TRACE".*) == *"\"$COOKIE_HEX\""* ]] || fail "the trace does not show PulseAudio's cookie read"

# 2. Levels of our own: play, the commands and the boxes change nothing in the folder.
level_file "$GAME_DIR/levels.txt" "${LEVEL_A[@]}" $W 1300000000000021 $F $F $F $F $F 1400000000000001 $W "${LEVEL_A[@]}"
before=$(snapshot)
# After the menus were used from the keyboard, or after a lone Alt, Space and the arrows still
# reach the game: once the menu bar kept the keyboard with nothing highlighted.
for keys in "alt+j Escape alt+o Escape Escape" "alt+j Escape alt+j Return" alt; do
  [[ $MODE == plain ]] || break
  launch "$GAME_DIR/kelo" "$WORK"
  for k in $keys space Left; do xdotool key "$k"; sleep 0.3; done
  screen 40 280 4 580 361 4 560 280 0
  stop_game
done
launch "$GAME_DIR/kelo" "$WORK"
level 1
# The desktop file name that Wayland goes by leaves X11's window class as it was.
[[ $(xprop -id "$WIN" WM_CLASS) == 'WM_CLASS(STRING) = "kelo", "Kelo"' ]] || fail "window class $(xprop -id "$WIN" WM_CLASS)"
((MENU > 0)) && [[ $(size) == 640x* ]] || fail "the window is $(size): not 640 wide, a menu bar over 415 pixels"
# The board; the ball in the selection box, inside its bevel; the strip's grey.
screen 0 0 1 40 40 3 280 40 2 560 280 4 80 80 0 580 361 3 579 360 '#FFFFFF' 579 400 '#FFFFFF' \
  620 360 '#000000' 620 401 '#000000' 579 401 '#000000' 300 405 '#C0C0C0'

# A slide to the right picks up the ring on the way and stops before the wall: Ding.wav heard,
# the ball seen between its ends. With Animation and Son unchecked, silent and drawn at its ends.
slide_right 1
screen 560 40 3 40 40 0 280 40 0
screen ctrl+r 40 40 3 280 40 2 560 40 0
key ctrl+o ctrl+w
slide_right 0
screen 560 40 3 280 40 0
level 1 ctrl+o ctrl+w

# Space shows the square in the selection box, inside its bevel; again, the ball.
screen space 580 361 4 579 360 '#FFFFFF' 620 401 '#000000'
screen space 580 361 3
# The ball goes down onto the last ring, and takes it: the end box.
screen Down 560 160 0
box "" "Kelo..."
level 2
screen 40 40 3 560 40 2 40 280 4
# Modifiers make no difference.
box shift+Right "Kelo..."
level 3

# The menus: new game, next level, go to a level typed, or cancelled.
level 1 ctrl+n
level 2 ctrl+s
box ctrl+a "Kelo..." 3 Return
level 3
box ctrl+a "Kelo..." Escape
level 3
# F1: the help box over the same board.
screen Right 560 40 3
box F1 "Pour jouer à Kelo..."
screen 560 40 3
# An access key opens the Jeu menu, and N in it is Nouveau; Aide > A propos with the arrow keys.
level 1 alt+j sleep "$PAUSE" key n
box "alt+a sleep $PAUSE key Up Return" "Infos inutiles sur Kelo..."
level 1
quit_game
[[ $(snapshot) == "$before" ]] || fail "the folder changed: $(diff <(echo "$before") <(snapshot))"
