#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan, coverage-instrumented
# engine library) into build-fuzz/ and runs each one for a bounded time,
# starting from the committed seeds in fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [seconds-per-target]     (default 60)
#
# Fails on any crash, sanitizer report, leak, timeout (-timeout=10 s per input)
# or out-of-memory (-rss_limit_mb=2048). A failing input is kept in
# build-fuzz/fuzz-out/<target>/ (crash-*, leak-*, timeout-*, oom-*); turn it
# into a regression test in the owning subsystem's tests folder. New corpus
# entries found during the run also stay there; the committed seeds are not
# touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build-fuzz"
out="$build/fuzz-out"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEL_FUZZ=ON -DZEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz -j"$(nproc)"

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

targets=(sgf_model texture_catalogue xml_query image shader_source import_scene)
failed=()
summary=()
for t in "${targets[@]}"; do
  work="$out/$t"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/tmp"
  log="$work/fuzz.log"
  echo "== fuzz_$t for ${seconds}s"
  status=0
  # The targets keep their scratch files under TMPDIR; stdout (the loaders'
  # diagnostics) is closed so the log holds libFuzzer's own lines only.
  TMPDIR="$work/tmp" "$build/fuzz/fuzz_$t" "$work/corpus" "$root/fuzz/corpus/$t" \
    -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -close_fd_mask=1 \
    -artifact_prefix="$work/" -print_final_stats=1 >"$log" 2>&1 || status=$?
  rm -rf "$work/tmp"
  runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' | tail -1 || true)
  if [ "$status" -ne 0 ]; then
    failed+=("$t")
    summary+=("fuzz_$t: FAILED (exit $status) - see $log")
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -20 >&2 || true
  else
    summary+=("fuzz_$t: ${runs:-?} executions, no findings")
  fi
done

echo
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
