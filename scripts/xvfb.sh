# Sourced by the other scripts. start_xvfb starts a private X server (Mesa's
# llvmpipe renders OpenGL in software on it), waits until it answers, exports
# DISPLAY and arranges for the server to stop when the calling shell exits, is
# interrupted (INT), told to stop (TERM) or loses its terminal (HUP). The
# server's log is kept only when it fails to start.
# The server picks a free display number itself (-displayfd), so several runs
# can start servers at the same time; -noreset keeps it from resetting whenever
# its last client (one test process) disconnects.
stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
  [ -n "${XVFB_LOG:-}" ] && rm -f "$XVFB_LOG"
  XVFB_LOG=""
}

start_xvfb() {
  local fifo
  fifo=$(mktemp -u /tmp/xvfb-fd.XXXXXX)
  XVFB_LOG=$(mktemp /tmp/xvfb-log.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset +extension GLX 3>"$fifo" >"$XVFB_LOG" 2>&1 &
  XVFB_PID=$!
  trap 'stop_xvfb' EXIT
  trap 'stop_xvfb; exit 130' INT
  trap 'stop_xvfb; exit 143' TERM
  trap 'stop_xvfb; exit 129' HUP
  local n=""
  read -r -t 20 n <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$n" ]; then
    echo "Xvfb did not start; see $XVFB_LOG" >&2
    XVFB_LOG=""
    return 1
  fi
  export DISPLAY=":${n}"
  local i
  for i in $(seq 1 100); do
    if xdpyinfo >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.1
  done
  echo "Xvfb on ${DISPLAY} did not answer; see $XVFB_LOG" >&2
  XVFB_LOG=""
  return 1
}
