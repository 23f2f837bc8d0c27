#!/usr/bin/env bash
# A scripted session of the real game writes no file: in a program folder with spaces and accents,
# first without levels.txt (the one empty file it may create), then with the shipped levels.
source "$(dirname "$0")/lib.sh"
KELO=$1
LEVELS=$2
ASSETS=$3

GAME_DIR="$WORK/Mes jeux/Kelo d'été"
# A desktop session's runtime folder, with the sound server's folder in it as a session has it
# (the sound library would make that one itself otherwise).
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_RUNTIME_DIR/pulse" && chmod 700 "$XDG_RUNTIME_DIR" "$XDG_RUNTIME_DIR/pulse"
start_x

TRACE=""
if command -v strace >/dev/null && strace -f -o /dev/null true 2>/dev/null; then
  TRACE="$WORK/trace"
  LAUNCHER="strace -f -qq -xx -e trace=%file -o $TRACE"
else
  echo "strace cannot trace here: the folder comparison alone decides"
fi

snapshot() { (cd "$GAME_DIR" && find . -printf '%p %y %s %T@\n' | sort); }

# The calls that would write: successful opens for writing or creating, and every change of a name.
# Paths are in hexadecimal (strace -xx), so the accents of the folder compare as bytes.
hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n' | sed 's/../\\x&/g'; }
LEVELS_PATH=$(hex "$GAME_DIR/levels.txt")
writes() {
  [[ -n $TRACE ]] || return 0
  grep -h -E '^[0-9]+ +(openat|open|creat|mkdir|mkdirat|rmdir|unlink|unlinkat|rename|renameat2?|link|linkat|symlink|symlinkat|truncate|chmod|fchmodat|chown|fchownat|lchown|utimensat)\(' \
    "$TRACE"* | grep -v -E '= -1 E' | grep -v -F '"\x2f\x64\x65\x76\x2f' |
    grep -v -E '^[0-9]+ +openat?\(' || true
  grep -h -E '^[0-9]+ +openat?\(.*(O_WRONLY|O_RDWR|O_CREAT|O_TRUNC)' "$TRACE"* | grep -v -E '= -1 E' |
    grep -v -F '"\x2f\x64\x65\x76\x2f' || true
}

# Jeu > Quitter with the mouse: on a level without rings any key, Alt too, would win it first.
quit() {
  focus
  xdotool mousemove --window "$WIN" 15 $((MENU / 2)) click 1
  sleep 0.5
  xdotool key q
  for _ in $(seq "$POLLS"); do
    kill -0 "$GAME_PID" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$GAME_PID" 2>/dev/null && fail "Quitter did not end the game"
  wait "$GAME_PID" 2>/dev/null || true
  GAME_PID=""
}

# 1. No level file: an empty one appears, and nothing else.
mkdir -p "$GAME_DIR"
start_game "$KELO" "" "$ASSETS"
before=$(snapshot)
wait_title "Kelo - Niveau 1"
MENU=$(menu_height)
# The empty level has no ring: the first key wins it, and level 1 comes round again.
key space
BOX=$(wait_box "Kelo...")
close_box "$BOX" "Kelo..."
quit
[[ -f "$GAME_DIR/levels.txt" && ! -s "$GAME_DIR/levels.txt" ]] || fail "no empty levels.txt was created"
diff <(echo "$before" | grep -v levels.txt) <(snapshot | grep -v -E 'levels.txt') ||
  fail "the folder changed beyond levels.txt"
unexpected=$(writes | grep -v -F "\"$LEVELS_PATH\", O_RDONLY|O_CREAT|O_EXCL|O_NONBLOCK|O_CLOEXEC" || true)
[[ -z $unexpected ]] || fail "writes besides levels.txt: $unexpected"
created=$(writes | grep -c -F "\"$LEVELS_PATH\", O_RDONLY|O_CREAT" || true)
[[ -z $TRACE || $created -ge 1 ]] || fail "the trace does not show levels.txt being opened"

# 2. The shipped levels: a whole session of play and commands changes nothing at all.
rm -f "$TRACE"*
cp "$LEVELS" "$GAME_DIR/levels.txt"
before=$(snapshot)
start_game "$KELO" "" "$ASSETS"
wait_title "Kelo - Niveau 1"
MENU=$(menu_height)
key Right Left Down
BOX=$(wait_box "Kelo...")
close_box "$BOX" "Kelo..."
wait_title "Kelo - Niveau 2"
key ctrl+r ctrl+s ctrl+o ctrl+w
wait_title "Kelo - Niveau 3"
go_to_level 12
wait_title "Kelo - Niveau 12"
key F1
BOX=$(wait_box "Pour jouer à Kelo...")
close_box "$BOX" "Pour jouer à Kelo..."
key space Up Left Down Right ctrl+n
wait_title "Kelo - Niveau 1"
quit
after=$(snapshot)
[[ $before == "$after" ]] || fail "the folder changed: $(diff <(echo "$before") <(echo "$after"))"
cmp -s "$LEVELS" "$GAME_DIR/levels.txt" || fail "levels.txt changed"
unexpected=$(writes | grep -v -F "\"$LEVELS_PATH\", O_RDONLY|O_CREAT|O_EXCL|O_NONBLOCK|O_CLOEXEC" || true)
[[ -z $unexpected ]] || fail "the game wrote: $unexpected"
echo "e2e no writes: 1 passed, 0 failed"
