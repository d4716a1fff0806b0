#!/usr/bin/env bash
# The SHA-256 of every file the asset generator writes (textures, models,
# catalogue), pinned in tools/assetgen/manifest.sha256 together with the
# versions of the libraries and the font whose output those bytes depend on.
#
#   scripts/asset-manifest.sh check RUN_DIR    compare RUN_DIR's files with the manifest
#   scripts/asset-manifest.sh write RUN_DIR    write the manifest from RUN_DIR's files
#
# check exits 0 when every file matches, 1 naming each file that differs, is
# missing or is not in the manifest, and 77 (skipped) when this machine's
# FreeType, libjpeg or DejaVu font package is another version than the one the
# manifest was written with.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
manifest=$root/tools/assetgen/manifest.sha256
mode=${1:-} run=${2:-}
if [ -z "$run" ] || { [ "$mode" != check ] && [ "$mode" != write ]; }; then
  echo "usage: $0 check|write RUN_DIR" >&2
  exit 2
fi
cd "$run"

versions() {
  local p
  for p in libfreetype6 libjpeg62-turbo fonts-dejavu-core; do
    echo "# $p $(dpkg-query -W -f='${Version}' "$p" 2>/dev/null || echo unknown)"
  done
}
files() { find data/textures data/models textures.xml -type f | LC_ALL=C sort; }

if [ "$mode" = write ]; then
  {
    echo "# SHA-256 of every generated asset; scripts/asset-manifest.sh write RUN_DIR rewrites it."
    echo "# The bytes hold for these package versions:"
    versions
    files | xargs sha256sum
  } >"$manifest"
  echo "wrote $manifest ($(grep -vc '^#' "$manifest") files)"
  exit 0
fi

want=$(grep '^# [a-z0-9.-]* ' "$manifest" | grep -v '^# SHA-256\|^# The bytes' || true)
have=$(versions)
if [ "$want" != "$have" ]; then
  echo "asset manifest: written for other library versions, not compared"
  echo "manifest:"; echo "$want" | sed 's/^#/ /'
  echo "this machine:"; echo "$have" | sed 's/^#/ /'
  exit 77
fi
status=0
diff <(grep -v '^#' "$manifest" | awk '{print $2}') <(files) >/dev/null || {
  echo "asset manifest: the generator wrote other files than the manifest lists:"
  diff <(grep -v '^#' "$manifest" | awk '{print $2}') <(files) | grep '^[<>]' |
    sed 's/^</  missing:/; s/^>/  not in the manifest:/' || true
  status=1
}
if ! bad=$(grep -v '^#' "$manifest" | sha256sum --quiet -c - 2>/dev/null); then
  echo "asset manifest: these generated files differ from their pinned SHA-256:"
  echo "$bad" | sed 's/^/  /'
  echo "If the generator was changed on purpose, run scripts/asset-manifest.sh write $run and commit the manifest."
  status=1
fi
[ "$status" -ne 0 ] || echo "asset manifest: $(grep -vc '^#' "$manifest") generated files match"
exit "$status"
