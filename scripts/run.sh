#!/usr/bin/env bash
# Builds the program and starts it on a demo "USB stick" in the build tree. Without a
# display it says so and writes screenshots of every window instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh default
bin=build/default
if [ -x "$bin/app/ArchiwumKW" ]; then
  stick=$(tools/make_demo_stick.sh "$bin")
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: writing screenshots of every window to $bin/screenshots instead." >&2
    exec "$bin/tools/screenshots" "$bin/screenshots"
  fi
  exec "$stick/ArchiwumKW.run"
fi
# Until the windows exist, the archive tool is what runs.
exec "$bin/tools/kwzip" --help
