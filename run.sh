#!/usr/bin/env bash
# Installs what is missing, builds, and converts the bundled sample log.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap.sh
cmake --preset release >/dev/null
cmake --build --preset release
out="$PWD/build/release/twk_telemetry.csv"
./build/release/twk-csv -o "$out" samples/sample.log
echo "Converted samples/sample.log: $(($(wc -l <"$out") - 1)) packets written to $out"
