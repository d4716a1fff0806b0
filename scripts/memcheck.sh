#!/usr/bin/env bash
# Runs the demo scene under valgrind memcheck through the frame harness
# (tools/memcheck: 100 frames by day, the ticks of the day hold and the fade to
# night with a frame every 30 ticks, 100 frames at night), on a private Xvfb.
#
#   scripts/memcheck.sh [frames-by-day [frames-by-night [ticks-per-frame]]]
#
# Fails on any invalid read or write, use of uninitialised values, invalid
# free, or definitely lost bytes that the committed suppressions
# (valgrind/zel.supp: drivers and libraries only) do not cover. The full log
# stays in build/memcheck.log (ZEL_BUILD_DIR chooses another build folder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${ZEL_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
if ! command -v valgrind >/dev/null; then
  echo "valgrind is not installed (apt-get install valgrind)" >&2
  exit 2
fi
"$root/scripts/build.sh" "$build"
cmake --build "$build" --target world-of-ulmera-memcheck -j"$(nproc)"
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/xvfb.sh"
  start_xvfb
fi
log="$build/memcheck.log"
# Mesa's llvmpipe generates machine code blocks so large that valgrind's
# translator gives up on them ("VEX temporary storage exhausted") unless its
# superblocks are kept short; rasterising on the main thread keeps the run
# deterministic and single-threaded. Debug information of the GL driver is kept
# after it is unloaded at exit, so leaks allocated inside it are named (and
# suppressed) by their library.
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe LP_NUM_THREADS=0
cd "$build/run/bin"
status=0
valgrind --tool=memcheck --vex-guest-max-insns=25 --keep-debuginfo=yes --error-exitcode=3 --leak-check=full \
  --show-leak-kinds=definite --errors-for-leak-kinds=definite \
  --track-origins=yes --num-callers=30 \
  --suppressions="$root/valgrind/zel.supp" --gen-suppressions=all \
  --log-file="$log" \
  ./world-of-ulmera-memcheck "$@" || status=$?
grep -E '^==[0-9]+== (ERROR SUMMARY|   definitely lost|   indirectly lost|   possibly lost|in use at exit)' "$log" || true
if [ "$status" -ne 0 ]; then
  echo "memcheck failed (exit $status); see $log" >&2
  exit 1
fi
echo "memcheck clean"
