#!/usr/bin/env bash
# Builds the project with gcc's line coverage (build-cov/, -O0 --coverage),
# runs every test and prints lcov's line summaries for the engine library
# (src/) and the tools (tools/). Tests that need OpenGL run on a private Xvfb
# started here when no display is set.
#
#   scripts/coverage.sh            build-cov/ under the source root
#   scripts/coverage.sh DIR        another build folder
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-cov}
if ! command -v lcov >/dev/null 2>&1; then
  apt-get update >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y lcov >/dev/null
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-O0 --coverage" -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$build" -j2
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/xvfb.sh"
  start_xvfb
fi
# Counters left by an earlier run would add up with this one.
find "$build" -name '*.gcda' -delete
# The package tests (label slow) build the example consumer as another project
# would, without the coverage flags, so they leave this run.
(cd "$build" && ctest -j2 --timeout 300 --output-on-failure -LE slow) || status=$?
# lcov 2.x stops on gcov's harmless inconsistencies unless told otherwise;
# 1.x does not know the option.
ignore=()
if lcov --help 2>&1 | grep -q -- '--ignore-errors'; then
  ignore=(--ignore-errors mismatch,negative,unused,inconsistent,gcov,source)
  lcov --version | grep -q ' 1\.' && ignore=(--ignore-errors gcov,source)
fi
info=$build/coverage.info
# geninfo of lcov 1.x warns about redefined Perl subroutines on every run.
lcov --quiet "${ignore[@]}" --capture --directory "$build" --output-file "$info" 2>&1 >/dev/null |
  grep -v "redefined at" >&2 || true
for part in src tools; do
  echo "== $part/"
  lcov "${ignore[@]}" --extract "$info" "$root/$part/*" --output-file "$build/coverage-$part.info" 2>&1 |
    grep -E '^\s*(lines|functions)' || true
done
exit "${status:-0}"
