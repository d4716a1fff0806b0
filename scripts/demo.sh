#!/usr/bin/env bash
# Installs what is needed, builds, and runs the demo. With an X display the demo
# opens its window there. Without one it runs inside a private Xvfb for a few
# seconds, saves a screenshot, quits the program with Escape and reports its
# exit status.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
bin="$root/build/run/bin"
cd "$bin"
if [ -n "${DISPLAY:-}" ]; then
  exec ./world-of-ulmera
fi

. "$root/scripts/xvfb.sh"
start_xvfb
shot="$root/build/screenshot.png"
./world-of-ulmera &
pid=$!
sleep "${DEMO_SECONDS:-6}"
import -window root "$shot"
echo "Screenshot: $shot"
xdotool key Escape
status=0
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "The demo did not end after Escape; stopping it."
  kill "$pid"
fi
wait "$pid" || status=$?
echo "world-of-ulmera exited with status $status"
exit "$status"
