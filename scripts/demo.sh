#!/usr/bin/env bash
# Installs what is needed, builds, and runs the demo. With an X display the demo
# opens its window there. Without one it runs inside a private Xvfb for a few
# seconds, saves a screenshot, quits the program with Escape and reports its
# exit status.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# ImageMagick's import takes the screenshot when there is no display.
"$root/scripts/install-deps.sh" imagemagick
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
status=0
# A program that died early leaves only the empty root window to capture.
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid" || status=$?
  echo "world-of-ulmera ended before the screenshot, with status $status" >&2
  echo "world-of-ulmera exited with status $status"
  [ "$status" -ne 0 ] || status=1
  exit "$status"
fi
rm -f "$shot"
import -window root "$shot"
echo "Screenshot: $shot"
# Escape is repeated every two seconds for a while, in case a key press
# arrives before the window holds the keyboard.
for _ in $(seq 1 5); do
  xdotool key Escape
  for _ in $(seq 1 20); do
    kill -0 "$pid" 2>/dev/null || break 2
    sleep 0.1
  done
done
if kill -0 "$pid" 2>/dev/null; then
  echo "The demo did not end after Escape; stopping it."
  kill "$pid"
fi
wait "$pid" || status=$?
echo "world-of-ulmera exited with status $status"
exit "$status"
