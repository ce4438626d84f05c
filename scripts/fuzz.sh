#!/usr/bin/env bash
# Runs each built fuzzer for a bounded time over its seed corpus (fuzz/corpus/<name>/).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
for src in fuzz/*.cpp; do
  name=$(basename "$src" .cpp)
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  echo "-- $name"
  "build/fuzz/fuzz/$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 "$work" "${seeds[@]}"
  rm -rf "$work"
done
