#!/usr/bin/env bash
# Imports every model file of Debian's assimp-testmodels package (Assimp's own
# format test files, under /usr/share/assimp/models) with world-of-ulmera-import,
# checks each written model with world-of-ulmera-sgfcheck, and prints a table:
# file, format, triangles, textures written, result. A failed import shows the
# importer's one-line reason; a crash, a timeout or a model the checker finds
# fault with is counted apart, and the script exits 1 when there is any.
#
#   scripts/import-all.sh [BUILD_DIR] [MODELS_DIR]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
models=${2:-/usr/share/assimp/models}
bin=$build/run/bin
for tool in world-of-ulmera-import world-of-ulmera-sgfcheck; do
  [ -x "$bin/$tool" ] || { echo "$bin/$tool is missing; build first (scripts/build.sh)" >&2; exit 2; }
done
[ -d "$models" ] || { echo "$models is missing; install assimp-testmodels" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The file extensions Assimp reads, lower case, one per line.
"$bin/world-of-ulmera-import" --formats | tr ';' '\n' | sed 's/^\*\.//' | tr 'A-Z' 'a-z' >"$work/extensions"

ok=0 failed=0 broken=0 triangles=0 textures=0
printf '%-72s %-8s %9s %8s  %s\n' file format triangles textures result
while IFS= read -r file; do
  name=${file##*/}
  ext=${name##*.}
  [ "$ext" != "$name" ] || continue
  ext=$(printf '%s' "$ext" | tr 'A-Z' 'a-z')
  grep -qxF "$ext" "$work/extensions" || continue
  rm -rf "$work/out" && mkdir -p "$work/out"
  status=0
  timeout 120 "$bin/world-of-ulmera-import" "$file" "$work/out/model.sgf" --texture-dir "$work/out/textures" \
    >"$work/stdout" 2>"$work/stderr" || status=$?
  tris=- texs=-
  if [ "$status" -eq 0 ]; then
    tris=$(sed -n 's/^triangles: //p' "$work/stdout")
    texs=$(sed -n 's/^textures written: \([0-9]*\).*/\1/p' "$work/stdout")
    check=0
    "$bin/world-of-ulmera-sgfcheck" --textures "$work/out/textures" "$work/out/model.sgf" >"$work/check" 2>&1 || check=$?
    loaded=$(sed -n 's/^Totals: .* \([0-9]*\) faces.*/\1/p' "$work/check")
    if [ "$check" -ne 0 ]; then
      result="BROKEN: the checker finds problems: $(grep -m1 -i 'problem\|missing\|cannot' "$work/check")"
      broken=$((broken + 1))
    elif [ "$loaded" != "$tris" ]; then
      result="BROKEN: the checker counts $loaded triangles"
      broken=$((broken + 1))
    else
      dropped=$(grep '^dropped: [0-9]\|^replaced: ' "$work/stdout" | sed 's/^[a-z]*: //' | paste -sd ';' | cut -c1-160)
      result="ok${dropped:+ ($dropped)}"
      ok=$((ok + 1)) triangles=$((triangles + tris)) textures=$((textures + texs))
    fi
  elif [ "$status" -eq 124 ]; then
    result="BROKEN: no result within 120 s"
    broken=$((broken + 1))
  elif [ "$status" -gt 128 ]; then
    result="BROKEN: crashed (signal $((status - 128)))"
    broken=$((broken + 1))
  else
    reason=$(grep -m1 '^world-of-ulmera-import: error: ' "$work/stderr" || head -n1 "$work/stderr")
    result="failed: $(printf '%s' "$reason" | sed 's/^world-of-ulmera-import: error: //; s|'"$models"'/||g' | cut -c1-200)"
    failed=$((failed + 1))
  fi
  printf '%-72s %-8s %9s %8s  %s\n' "${file#"$models"/}" "$ext" "$tris" "$texs" "$result"
done < <(find "$models" -type f | LC_ALL=C sort)

echo
echo "imported: $ok ($triangles triangles, $textures textures), failed with a reason: $failed, broken: $broken"
[ "$broken" -eq 0 ]
