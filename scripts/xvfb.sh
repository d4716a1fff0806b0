# Sourced by the other scripts. start_xvfb starts a private X server (Mesa's
# llvmpipe renders OpenGL in software on it), waits until it answers, exports
# DISPLAY and arranges for the server to stop when the calling shell exits.
# The server picks a free display number itself (-displayfd), so several runs
# can start servers at the same time; -noreset keeps it from resetting whenever
# its last client (one test process) disconnects.
start_xvfb() {
  local fifo log
  fifo=$(mktemp -u /tmp/xvfb-fd.XXXXXX)
  log=$(mktemp /tmp/xvfb-log.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset +extension GLX 3>"$fifo" >"$log" 2>&1 &
  XVFB_PID=$!
  trap 'kill ${XVFB_PID} 2>/dev/null || true' EXIT
  local n=""
  read -r -t 20 n <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$n" ]; then
    echo "Xvfb did not start; see $log" >&2
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
  echo "Xvfb on ${DISPLAY} did not answer; see $log" >&2
  return 1
}
