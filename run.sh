#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window (twk-decoder).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap.sh
cmake --preset release >/dev/null
cmake --build --preset release
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run.sh: built build/release/twk-decoder, but there is no display to show its window" >&2
  echo "run.sh: (neither DISPLAY nor WAYLAND_DISPLAY is set). Run it from a desktop session," >&2
  echo "run.sh: or convert logs headless: build/release/twk-csv samples/sample.log" >&2
  exit 1
fi
echo "Starting twk-decoder: File > Open loads logs (try samples/sample.log); the CSV goes to build/release/twk_telemetry.csv"
exec ./build/release/twk-decoder
