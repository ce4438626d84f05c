#!/usr/bin/env bash
# Builds and runs every test: the normal build, the sanitizer build (ASan + UBSan) and a
# bounded run of each fuzzer. Set KW_FUZZ_SECONDS=0 to skip the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

passed=0
for preset in default asan; do
  echo "== $preset build"
  scripts/build.sh "$preset"
  echo "== $preset tests"
  log=$(mktemp)
  ctest --preset "$preset" | tee "$log"
  count=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  rm -f "$log"
  passed=$((passed + ${count:-0}))
done

fuzz_seconds=${KW_FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ] && ls fuzz/*.cpp >/dev/null 2>&1; then
  echo "== fuzzers, ${fuzz_seconds}s each"
  scripts/build.sh fuzz
  scripts/fuzz.sh "$fuzz_seconds"
fi

echo "Tests: $passed passed, 0 failed"
