#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test. Tests that need OpenGL
# run on a private Xvfb started here when no display is set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/xvfb.sh"
  start_xvfb
fi
cd "$root/build"
ctest --output-on-failure -j2 --timeout 300
