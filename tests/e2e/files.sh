#!/usr/bin/env bash
# The sounds the game opens, made hostile: FIFOs in place of the sounds (and of the module earlier
# builds loaded), and sound files of 1 GiB. The game answers throughout and refuses the huge sounds
# without reading them. (levels.txt made hostile, a dangling link among others: test_level_file.cpp,
# through the file class the game uses.)
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
KELO=$1 P=$WORK/pipes H=$WORK/huge
mkdir -p "$P/modules" "$H"
tee "$P/levels.txt" "$H/levels.txt" <"$WORK/levels.txt" >/dev/null

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
(($(peak_mib) < 200)) || fail "the huge sound was loaded: peak memory $(peak_mib) MiB"
