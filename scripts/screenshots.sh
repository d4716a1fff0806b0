#!/usr/bin/env bash
# Renders one day and one night frame of the demo with the screenshot tool and
# stores them as docs/day.png and docs/night.png (800 x 600); then imports
# Assimp's duck test model (package assimp-testmodels) into a private copy of
# the run layout and stores the model viewer's frame of it as docs/import.png.
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
cmake --build "$build" --target world-of-ulmera-screenshot world-of-ulmera-import world-of-ulmera-view -j2
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/xvfb.sh"
  start_xvfb
fi
out=$(mktemp -d /tmp/ulmera-shots.XXXXXX)
(cd "$build/run/bin" && ./world-of-ulmera-screenshot "$out")
names="day night"
duck=/usr/share/assimp/models/Collada/duck.dae
if [ -f "$duck" ]; then
  # The imported textures and catalogue entries go to the copy, so the
  # generated run layout keeps exactly the files its manifest lists.
  layout=$out/layout
  mkdir -p "$layout/bin" "$layout/data/textures"
  for d in "$build"/run/data/*; do [ "${d##*/}" = textures ] || ln -s "$d" "$layout/data/"; done
  ln -s "$build"/run/data/textures/* "$layout/data/textures/"
  cp "$build/run/textures.xml" "$layout/"
  (cd "$layout/bin" &&
    "$build/run/bin/world-of-ulmera-import" "$duck" ../duck.sgf --texture-dir ../data/textures --catalogue ../textures.xml &&
    "$build/run/bin/world-of-ulmera-view" ../duck.sgf --screenshot "$out/import.png")
  names="$names import"
fi
mkdir -p "$root/docs"
for name in $names; do
  if command -v convert >/dev/null 2>&1; then
    convert "$out/$name.png" -colors 256 -strip -define png:compression-level=9 "$root/docs/$name.png"
  else
    cp "$out/$name.png" "$root/docs/$name.png"
  fi
  echo "docs/$name.png"
done
rm -rf "$out"
