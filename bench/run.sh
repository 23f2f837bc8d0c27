#!/usr/bin/env bash
# `make bench`: every performance figure against its budget, measured side by side in one run,
# printed as one table. Usage: bench/run.sh BUILD_FOLDER
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
WORK=$(mktemp -d /tmp/kelo-bench.XXXXXX)
RUNS=${KELO_LAUNCH_RUNS:-21}
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  [[ -n ${XDG_RUNTIME_DIR:-} && $XDG_RUNTIME_DIR == "$WORK"/* ]] && pulseaudio --kill 2>/dev/null || true
  rm -rf "$WORK" 2>/dev/null || true
}
trap cleanup EXIT

# An X server and a sound server of our own, as a desktop has.
source "$ROOT/scripts/xvfb.sh"
xvfb_start "$WORK" || { echo "bench: Xvfb did not start: $(cat "$WORK/xvfb.log")" >&2; exit 1; }
PIDS+=("$XVFB_PID")
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
pulseaudio -D -n --exit-idle-time=-1 --load=module-null-sink --load=module-native-protocol-unix >/dev/null 2>&1 ||
  echo "bench: no PulseAudio; the sessions run without sound" >&2

# Each program in a folder of its own, with the shipped files beside the game. The sound paths
# in the same empty window: Qt Multimedia's QSoundEffect (when built) and libcanberra as the game
# uses it. KELO_BENCH_BASELINE may name a folder with an earlier build of the game and its files.
mkdir -p "$WORK/game" "$WORK/minimal" "$WORK/qtsound" "$WORK/canberra"
cp "$BUILD/kelo" "$ROOT/levels.txt" "$ROOT/assets/Ding.wav" "$ROOT/assets/End.wav" "$WORK/game/"
cp "$BUILD/bench/kelo_minimal_qt" "$WORK/minimal/"
cp "$BUILD/bench/kelo_minimal_canberra" "$ROOT/assets/Ding.wav" "$WORK/canberra/"
others=("$WORK/canberra/kelo_minimal_canberra")
if [[ -x $BUILD/bench/kelo_minimal_qt_sound ]]; then
  cp "$BUILD/bench/kelo_minimal_qt_sound" "$ROOT/assets/Ding.wav" "$WORK/qtsound/"
  others+=("$WORK/qtsound/kelo_minimal_qt_sound")
fi
BASELINE=${KELO_BENCH_BASELINE:-}
if [[ -n $BASELINE ]]; then
  mkdir -p "$WORK/baseline" && cp -r "$BASELINE"/. "$WORK/baseline/"
  others+=("$WORK/baseline/kelo")
fi

rows=()
row() { rows+=("$(printf '%-44s %-16s %-14s %s' "$1" "$2" "$3" "$4")"); }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
within() { awk -v v="$1" -v limit="$2" 'BEGIN { exit !(v <= limit) }' && echo met || echo MISSED; }

# 1. Launch to the first full picture, against an empty Qt window with a menu bar.
launch=$("$BUILD/bench/kelo_launch_probe" "$RUNS" "$WORK/game/kelo" "$WORK/minimal/kelo_minimal_qt" "${others[@]}" 2>/dev/null)
game_ms=$(awk '$1 == "game_ms" {print $2}' <<<"$launch")
minimal_ms=$(awk '$1 == "minimal_ms" {print $2}' <<<"$launch")
other_ms() { awk -v k="$1" '$1 == "other_ms" && $2 == k {print $3}' <<<"$launch"; }
r=$(ratio "$game_ms" "$minimal_ms")
row "launch, median of $RUNS (game / minimal)" "$game_ms / $minimal_ms ms" "<= 1.15 x" "$r x $(within "$r" 1.15)"

# 2. Peak resident memory over one scripted session: a level won with its sounds and box, the
# help box, a go-to-level, a few slides. The minimal windows get the same keys (each key plays
# Ding.wav in those that play sounds). Then the libraries mapped, and 10 s of idle: context
# switches of all threads and CPU time, once every sound has ended.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ {s += $2} END {print s + 0}'; }
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{print ($14 + $15) * 1000 / hz}' "/proc/$1/stat"; }
libraries() { awk '$6 ~ /\.so/ {print $6}' "/proc/$1/maps" | sort -u; }
session() {
  local program=$1 title=$2 pid win
  (cd "$(dirname "$program")" && exec "$program" >/dev/null 2>&1) &
  pid=$!
  PIDS+=("$pid")
  for _ in $(seq 200); do
    win=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1 || true)
    [[ -n $win ]] && break
    sleep 0.05
  done
  [[ -n $win ]] || { echo "bench: $program showed no window" >&2; exit 1; }
  keys() { xdotool windowfocus --sync "$win" 2>/dev/null || true; xdotool key --delay 60 "$@"; sleep 0.4; }
  keys Right Left Down
  sleep 0.5
  xdotool key Return; sleep 0.3
  keys F1
  xdotool key Return; sleep 0.3
  keys ctrl+a
  xdotool type --delay 40 5; xdotool key Return; sleep 0.3
  keys space Right Down Left Up space Right Down ctrl+r ctrl+s
  sleep 2
  local hwm c0 t0 c1 t1
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  libraries "$pid" >"$WORK/libs.$(basename "$(dirname "$program")")"
  c0=$(switches "$pid") t0=$(cpu_ms "$pid")
  sleep 10
  c1=$(switches "$pid") t1=$(cpu_ms "$pid")
  echo "$hwm $((c1 - c0)) $(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.0f", b - a }')"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}
read -r game_kb game_sw game_cpu < <(session "$WORK/game/kelo" "Kelo - Niveau [0-9]*")
read -r minimal_kb minimal_sw minimal_cpu < <(session "$WORK/minimal/kelo_minimal_qt" "Minimal")
read -r canberra_kb canberra_sw canberra_cpu < <(session "$WORK/canberra/kelo_minimal_canberra" "Minimal")
r=$(ratio "$game_kb" "$minimal_kb")
row "peak memory, session (game / minimal)" "$((game_kb / 1024)) / $((minimal_kb / 1024)) MiB" "<= 1.25 x" "$r x $(within "$r" 1.25)"
r=$(ratio "$game_kb" "$canberra_kb")
row "  the same, minimal playing Ding.wav by keys" "$((game_kb / 1024)) / $((canberra_kb / 1024)) MiB" "<= 1.25 x" "$r x $(within "$r" 1.25)"
row "idle 10 s after the session: switches" "$game_sw" "< 20" "$(ratio "$game_sw" 20) of budget $(within "$game_sw" 19)"
row "idle 10 s after the session: CPU" "$game_cpu ms" "< 20 ms" "$(ratio "$game_cpu" 20) of budget $(within "$game_cpu" 19)"

# The sound paths side by side: what each adds to the bare window.
paths=()
path_row() {  # path_row NAME FOLDER KB SWITCHES CPU LAUNCH_MS
  local extra count mb
  extra=$(comm -13 "$WORK/libs.minimal" "$WORK/libs.$2")
  count=$(grep -c . <<<"$extra" || true)
  mb=$( ( [[ -n $extra ]] && du -cbL $extra 2>/dev/null | tail -n1 | cut -f1 ) || echo 0)
  paths+=("$(printf '%-34s %-22s %-12s %-14s %s' "$1" "$count, $(awk -v b="$mb" 'BEGIN { printf "%.1f MB", b / 1e6 }')" \
    "$(($3 / 1024)) MiB" "$(ratio "$6" "$minimal_ms") x" "$4 / $5 ms")")
}
path_row "libcanberra (EventSound)" canberra "$canberra_kb" "$canberra_sw" "$canberra_cpu" "$(other_ms 1)"
k=2
if [[ -x $WORK/qtsound/kelo_minimal_qt_sound ]]; then
  read -r qt_kb qt_sw qt_cpu < <(session "$WORK/qtsound/kelo_minimal_qt_sound" "Minimal")
  path_row "Qt Multimedia (QSoundEffect)" qtsound "$qt_kb" "$qt_sw" "$qt_cpu" "$(other_ms $k)"
  k=$((k + 1))
fi
path_row "the game" game "$game_kb" "$game_sw" "$game_cpu" "$game_ms"
if [[ -n $BASELINE ]]; then
  read -r base_kb base_sw base_cpu < <(session "$WORK/baseline/kelo" "Kelo - Niveau [0-9]*")
  path_row "the game, $BASELINE" baseline "$base_kb" "$base_sw" "$base_cpu" "$(other_ms $k)"
fi

# 3. and 4. The key press and the load through the real surface (offscreen), and the animation's
# frames on the X server.
csv_field() {  # csv_field CSV BENCHMARK COLUMN
  awk -F, -v name="\"$2\"" -v col="$3" 'NR == 1 { gsub(/"/, ""); for (i = 1; i <= NF; i++) h[$i] = i; next }
    $1 == name { print $(h[col]) }' "$1"
}
# The window's benchmark in a folder with the sounds, so that "sound on" plays them.
mkdir -p "$WORK/window" && cp "$BUILD/bench/kelo_bench_window" "$ROOT/assets/Ding.wav" "$ROOT/assets/End.wav" "$WORK/window/"
QT_QPA_PLATFORM=offscreen "$WORK/window/kelo_bench_window" --benchmark_filter='KeyPress|LoadFull' \
  --benchmark_format=csv >"$WORK/window.csv" 2>/dev/null
"$BUILD/bench/kelo_bench_window" --benchmark_filter=Animation --benchmark_format=csv >"$WORK/frames.csv" 2>/dev/null
for b in "BM_KeyPressSlide/sound:0" "BM_KeyPressSlide/sound:1" BM_LoadFullLevel; do
  us=$(csv_field "$WORK/window.csv" "$b" real_time)
  label=${b/BM_KeyPressSlide\/sound:0/key press, 15-cell slide, 15 rings, sound off}
  label=${label/BM_KeyPressSlide\/sound:1/key press, 15-cell slide, 15 rings, sound on}
  label=${label/BM_LoadFullLevel/LoadLevel, 144 tiles, with its repaint}
  r=$(awk -v v="$us" 'BEGIN { printf "%.2f", v / 1000 }')
  row "$label" "$(printf '%.0f us' "$us")" "< 1 ms" "$r of budget $(within "$us" 1000)"
done
median=$(csv_field "$WORK/frames.csv" BM_AnimationFrames/iterations:1 median_ms)
spread=$(csv_field "$WORK/frames.csv" BM_AnimationFrames/iterations:1 spread_ms)
pause=$(csv_field "$WORK/frames.csv" BM_AnimationFrames/iterations:1 pause_ms)
off=$(awk -v m="$median" -v p="$pause" 'BEGIN { d = m / p - 1; if (d < 0) d = -d; printf "%.3f", d }')
row "animation frame period, median" "$(printf '%.2f ms' "$median")" "pause +-10 %" "$(printf '%.1f' "$(awk -v o="$off" 'BEGIN { print o * 100 }')") % off $(within "$off" 0.10)"
row "animation frame period, max - min" "$(printf '%.2f ms' "$spread")" "< 3 ms" "$(ratio "$spread" 3) of budget $(within "$spread" 2.999)"

# 5. The level tool: the shipped set through the command line, and the search's rate against the
# plain std::set search on open boards with 20 rings.
start=$(date +%s%N)
"$BUILD/kelo-levels" solve "$ROOT/levels.txt" >/dev/null
ms=$(( ($(date +%s%N) - start) / 1000000 ))
row "kelo-levels solve, shipped set" "$ms ms" "< 500 ms" "$(ratio "$ms" 500) of budget $(within "$ms" 499)"
start=$(date +%s%N)
"$BUILD/kelo-levels" analyse "$ROOT/levels.txt" >/dev/null
ms=$(( ($(date +%s%N) - start) / 1000000 ))
row "kelo-levels analyse, shipped set" "$ms ms" "< 10 s" "$(ratio "$ms" 10000) of budget $(within "$ms" 9999)"
"$BUILD/bench/kelo_bench" --benchmark_filter=Stress --benchmark_format=csv >"$WORK/stress.csv" 2>/dev/null
ours=$(csv_field "$WORK/stress.csv" BM_StressSolver/iterations:1 states_per_s)
plain=$(csv_field "$WORK/stress.csv" BM_StressReference/iterations:1 states_per_s)
r=$(ratio "$ours" "$plain")
row "solver rate, 20-ring open boards (ours / plain)" "$(awk -v a="$ours" -v b="$plain" 'BEGIN { printf "%.1fM / %.2fM/s", a / 1e6, b / 1e6 }')" ">= 10 x" "$r x $(awk -v r="$r" 'BEGIN { print (r >= 10 ? "met" : "MISSED") }')"

echo
echo "Kelo benchmarks on $(uname -m), $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), $(date -u +%Y-%m-%d)"
printf '%-44s %-16s %-14s %s\n' "figure" "measured" "budget" "ratio"
printf '%s\n' "${rows[@]}"
echo
echo "Sound paths: what each adds to the empty window ($((minimal_kb / 1024)) MiB, $minimal_sw switches / $minimal_cpu ms idle)"
printf '%-34s %-22s %-12s %-14s %s\n' "path" "libraries added" "peak memory" "launch / bare" "idle 10 s: switches / CPU"
printf '%s\n' "${paths[@]}"
