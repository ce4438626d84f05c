#!/usr/bin/env bash
# Builds and runs every test: the normal build, the sanitizer build (ASan + UBSan) and a
# bounded run of each fuzzer. Set KW_FUZZ_SECONDS=0 to skip the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

for preset in default asan; do
  echo "== $preset build"
  scripts/build.sh "$preset"
  echo "== $preset tests"
  ctest --preset "$preset"
done

fuzz_seconds=${KW_FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ] && ls fuzz/*.cpp >/dev/null 2>&1; then
  echo "== fuzzers, ${fuzz_seconds}s each"
  scripts/build.sh fuzz
  scripts/fuzz.sh "$fuzz_seconds"
fi
