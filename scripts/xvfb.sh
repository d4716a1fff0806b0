# Sourced by the other scripts. start_xvfb starts a private X server (Mesa's
# llvmpipe renders OpenGL in software on it), waits until it answers, exports
# DISPLAY and arranges for the server to stop when the calling shell exits.
start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || break
  done
  Xvfb ":${n}" -screen 0 800x600x24 -nolisten tcp -noreset +extension GLX >/tmp/xvfb-${n}.log 2>&1 &
  XVFB_PID=$!
  trap 'kill ${XVFB_PID} 2>/dev/null || true' EXIT
  export DISPLAY=":${n}"
  local i
  for i in $(seq 1 100); do
    if xdpyinfo >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.1
  done
  echo "Xvfb on ${DISPLAY} did not answer; see /tmp/xvfb-${n}.log" >&2
  return 1
}
