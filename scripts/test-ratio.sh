#!/usr/bin/env bash
# Prints the lines of test code (every .cpp and .h under tests/) against the
# lines of the code they test (the same under src/, tools/, bench/ and fuzz/),
# and their ratio. Exits non-zero when the tests are more than a third of the
# code (ratio above 0.34).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | wc -l
}
cd "$root"
tests=$(count tests)
code=$(count src tools bench fuzz)
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.3f", t / c }')
echo "tests: $tests lines"
echo "code:  $code lines (src, tools, bench, fuzz)"
echo "ratio: $ratio (limit 0.34)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 0.34) }'
