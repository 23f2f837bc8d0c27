#!/usr/bin/env bash
# The files the game opens, made hostile: a program folder whose name is not UTF-8, levels.txt as a
# link that points nowhere, FIFOs in place of the sounds (and of the module earlier builds loaded),
# and a sound file of 1 GiB. The game answers throughout, reads only its own folder, creates nothing
# but an empty levels.txt there, and refuses the huge sound without reading it.
source "$(dirname "$0")/lib.sh"
KELO=$1
ASSETS=$2
# Slower machines: the game must answer, not answer fast.
POLLS=200

if command -v pulseaudio >/dev/null; then
  start_pulse
else
  export XDG_RUNTIME_DIR="$WORK/runtime" HOME="$WORK/home"
  mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
fi

W=1111111111111111
F=1000000000000001
level_file "$WORK/levels.txt" $W 1302020000000001 $F $F $F $F $F 1000000000000041 $W
start_x

# run_in FOLDER: the game from FOLDER, with whatever is already there.
run_in() {
  GAME_DIR=$1
  mkdir -p "$GAME_DIR"
  start_game "$KELO" "" ""
  MENU=$(menu_height)
}
# slide_and_win: the ball takes both rings (two Dings), then the end box (End.wav) shows and closes.
slide_and_win() {
  key Right
  wait_tile 560 40 3
  BOX=$(wait_box "Kelo...")
  close_box "$BOX" "Kelo..."
}

# 1. A folder named in Latin-1: the empty level file is made there, and nowhere else.
root_had_levels=$([[ -e /levels.txt ]] && echo yes || echo no)
LATIN=$WORK/$'caf\xe9'
run_in "$LATIN"
wait_title "Kelo - Niveau 1"
stop_game
if [[ $root_had_levels == no && -e /levels.txt ]]; then
  [[ -s /levels.txt ]] || rm -f /levels.txt
  fail "the game created /levels.txt instead of a file in its folder"
fi
[[ -f $LATIN/levels.txt && ! -s $LATIN/levels.txt ]] || fail "no empty levels.txt in the Latin-1 folder"
# With levels there, they are the ones played.
cp "$WORK/levels.txt" "$LATIN/levels.txt"
run_in "$LATIN"
slide_and_win
stop_game
echo "Latin-1 folder: levels found, nothing created outside it"

# 2. levels.txt links to a file that does not exist: level 1 is empty, nothing is created, and
# the file is read as soon as it is there.
LINKED=$WORK/linked
mkdir -p "$LINKED" "$WORK/target"
ln -s "$WORK/target/levels.txt" "$LINKED/levels.txt"
run_in "$LINKED"
wait_title "Kelo - Niveau 1"
sleep 0.5
[[ -z $(ls -A "$WORK/target") ]] || fail "the dangling link's target was created: $(ls -A "$WORK/target")"
[[ -L $LINKED/levels.txt ]] || fail "the link was replaced"
cp "$WORK/levels.txt" "$WORK/target/levels.txt"
# The empty level is won by any key; level 1 then comes round again, from the file.
key space
BOX=$(wait_box "Kelo...")
close_box "$BOX" "Kelo..."
slide_and_win
stop_game
echo "dangling link: nothing created, the file read once there"

# 3. FIFOs in place of both sounds and of an earlier build's sound module: the sounds are
# refused without opening them, and the window keeps answering.
PIPES=$WORK/pipes
mkdir -p "$PIPES/modules"
cp "$WORK/levels.txt" "$PIPES/"
mkfifo "$PIPES/Ding.wav" "$PIPES/End.wav" "$PIPES/modules/libkelo_sound.so"
run_in "$PIPES"
sleep 0.6
slide_and_win
key F1
BOX=$(wait_box "Pour jouer à Kelo...")
close_box "$BOX" "Pour jouer à Kelo..."
stop_game
echo "FIFOs: the window answered"

# 4. Sound files of 1 GiB (sparse, with a valid header): refused, never read into memory.
HUGE=$WORK/huge
mkdir -p "$HUGE"
cp "$WORK/levels.txt" "$HUGE/"
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
size=$((1 << 30))
{ printf 'RIFF'; le32 $((size - 8)); printf 'WAVEfmt '; le32 16; printf '\x01\x00\x01\x00'; le32 22050; le32 44100
  printf '\x02\x00\x10\x00data'; le32 $((size - 44)); } >"$HUGE/Ding.wav"
truncate -s "$size" "$HUGE/Ding.wav"
cp --sparse=always "$HUGE/Ding.wav" "$HUGE/End.wav"
run_in "$HUGE"
sleep 0.6
slide_and_win
sleep 1
PID=$(pgrep -s "$GAME_PID" -x kelo | head -n1)
peak=$(awk '/VmHWM/ {print $2}' "/proc/$PID/status")
stop_game
echo "1 GiB sounds: peak memory $((peak / 1024)) MiB"
((peak < 200 * 1024)) || fail "the huge sound was loaded: peak memory $((peak / 1024)) MiB"
echo "e2e files: 1 passed, 0 failed"
