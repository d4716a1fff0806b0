#!/usr/bin/env bash
# Renders one day and one night frame of the demo with the screenshot tool and
# stores them as docs/day.png and docs/night.png (800 x 600).
#   scripts/screenshots.sh [build-dir]      (default: build)
# Builds the tool when needed, runs it from the run layout's bin/ folder on a
# private Xvfb (Mesa llvmpipe) unless a DISPLAY is set, and recompresses the
# PNG files (256-colour palette) with ImageMagick when it is installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" >/dev/null
fi
cmake --build "$build" --target world-of-ulmera-screenshot -j2
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/xvfb.sh"
  start_xvfb
fi
out=$(mktemp -d /tmp/ulmera-shots.XXXXXX)
(cd "$build/run/bin" && ./world-of-ulmera-screenshot "$out")
mkdir -p "$root/docs"
for name in day night; do
  if command -v convert >/dev/null 2>&1; then
    convert "$out/$name.png" -colors 256 -strip -define png:compression-level=9 "$root/docs/$name.png"
  else
    cp "$out/$name.png" "$root/docs/$name.png"
  fi
  echo "docs/$name.png"
done
rm -rf "$out"
