#!/usr/bin/env bash
# The files the game opens, made hostile: levels.txt as a link that points nowhere, FIFOs in place
# of the sounds (and of the module earlier builds loaded), and sound files of 1 GiB. The game
# answers throughout, creates nothing, and refuses the huge sounds without reading them.
source "$(dirname "$0")/lib.sh"
# Slower machines: the game must answer, not answer fast.
POLLS=200
session_dirs pulse
level_file "$WORK/levels.txt" $W 1302020000000001 $F $F $F $F $F 1000000000000041 $W
start_x
# run_in FOLDER: the game from FOLDER, with whatever is already there, after a moment to settle.
run_in() { GAME_DIR=$1 && start_game "$KELO" && sleep 0.6; }
# win: the ball takes both rings (two Dings), then the end box (End.wav) shows and closes.
win() { screen Right 560 40 3 && box "" "Kelo..."; }
KELO=$1 L=$WORK/linked P=$WORK/pipes H=$WORK/huge
mkdir -p "$L" "$WORK/target" "$P/modules" "$H"
tee "$P/levels.txt" "$H/levels.txt" <"$WORK/levels.txt" >/dev/null

# levels.txt links to a file that does not exist: level 1 is empty, nothing is created, and the
# file is read as soon as it is there.
ln -s "$WORK/target/levels.txt" "$L/levels.txt"
run_in "$L"
[[ -z $(ls -A "$WORK/target") && -L $L/levels.txt ]] || fail "the dangling link was followed or replaced"
cp "$WORK/levels.txt" "$WORK/target/levels.txt"
# The empty level is won by any key; level 1 then comes round again, from the file.
box space "Kelo..."
win
stop_game

# FIFOs in place of both sounds and of an earlier build's sound module: refused unopened.
mkfifo "$P/Ding.wav" "$P/End.wav" "$P/modules/libkelo_sound.so"
run_in "$P"
win
stop_game

# Sound files of 1 GiB (sparse, with a valid header of 22050 Hz mono): refused, never read.
printf 'RIFF\xf8\xff\xff\x3fWAVEfmt \x10\0\0\0\x01\0\x01\0\x22\x56\0\0\x44\xac\0\0\x02\0\x10\0data\xd4\xff\xff\x3f' >"$H/Ding.wav"
truncate -s 1G "$H/Ding.wav"
cp --sparse=always "$H/Ding.wav" "$H/End.wav"
run_in "$H"
win
sleep 1
peak=$(awk '/VmHWM/ {print int($2 / 1024)}' "/proc/$(pgrep -s "$GAME_PID" -x kelo | head -n1)/status")
((peak < 200)) || fail "the huge sound was loaded: peak memory $peak MiB"
