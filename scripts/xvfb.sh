# shellcheck shell=bash
# An X server of the caller's own, for the end-to-end tests, scripts/screenshot.sh and bench/run.sh.
# Sourced. xvfb_start FOLDER [SCREEN]: starts Xvfb, exports DISPLAY and sets XVFB_PID; returns 1,
# with the server's words in FOLDER/xvfb.log, when no server would answer.
xvfb_start() {
  local fd_file=$1/display
  # Callers run side by side: each picks its display number under a lock, and a server that does
  # not answer is replaced by another.
  exec 9>/tmp/kelo-xvfb.lock
  flock 9
  for _ in 1 2 3 4 5; do
    : >"$fd_file"
    # -noreset: without it the server resets when its last client leaves, and a client that
    # connects in that moment (the game, just after the check below) is refused.
    Xvfb -displayfd 3 -screen 0 "${2:-1024x768x24}" -nolisten tcp -noreset 3>"$fd_file" 9>&- >"$1/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
      [[ -s $fd_file ]] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    if [[ -s $fd_file ]]; then
      export DISPLAY=":$(head -n1 "$fd_file")"
      sleep 0.2
      if kill -0 "$XVFB_PID" 2>/dev/null && xdotool getdisplaygeometry >/dev/null 2>&1; then
        exec 9>&-
        return 0
      fi
    fi
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    sleep "0.$((RANDOM % 9 + 1))"
  done
  exec 9>&-
  return 1
}
