#!/usr/bin/env bash
# The game's sounds, heard through a PulseAudio null sink: a ring gives Ding.wav, and with Son
# unchecked (Ctrl+W) the same slide is silent. The program's folder is named in Latin-1, not UTF-8:
# the sounds are found by the folder's bytes.
source "$(dirname "$0")/lib.sh"
KELO=$1
ASSETS=$2
GAME_DIR=$WORK/$'Kelo caf\xe9'
command -v parec >/dev/null || fail "parec is not installed"

start_pulse

# How loud the sink got over a stretch of recording: the largest sample, 0 to 32767.
loudest() {
  od -An -td2 -v -w2 "$1" | awk 'BEGIN { m = 0 } { v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m }'
}
# slide_heard FILE: records the sink while the ball slides right to the wall; prints the loudest sample.
slide_heard() {
  parec -d null.monitor --raw --format=s16le --channels=1 --rate=22050 --latency-msec=20 >"$1" &
  local rec=$!
  # Under load the recording can take a second to start: the key waits for the sink's silence to
  # reach the file, or the Ding would be played before anything listens.
  for _ in $(seq "$POLLS"); do [[ -s $1 ]] && break; sleep 0.05; done
  [[ -s $1 ]] || fail "parec recorded nothing from null.monitor"
  sleep 0.3
  key Right
  wait_tile 560 40 3
  sleep 1
  kill "$rec"
  wait "$rec" 2>/dev/null || true
  loudest "$1"
}

W=1111111111111111
F=1000000000000001
level_file "$WORK/levels.txt" $W 1300002000000201 $F $F 1000000200000001 $F $F 1000000000000041 $W

start_x
start_game "$KELO" "$WORK/levels.txt" "$ASSETS"
wait_title "Kelo - Niveau 1"
MENU=$(menu_height)
sleep 1

level=$(slide_heard "$WORK/ding.raw")
echo "loudest sample with Son checked: $level"
((level > 3000)) || fail "no Ding.wav heard (loudest sample $level)"

# Back to the start with the sound off: the same slide over the other ring is silent.
key ctrl+r
wait_tile 40 40 3
key ctrl+w
level=$(slide_heard "$WORK/quiet.raw")
echo "loudest sample with Son unchecked: $level"
((level < 100)) || fail "a sound was heard with Son unchecked (loudest sample $level)"
echo "e2e sound: 1 passed, 0 failed"
