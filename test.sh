#!/usr/bin/env bash
# Installs what is missing, checks the format of the C++ files, builds everything and runs every
# test: once in the normal build, and once more with AddressSanitizer and
# UndefinedBehaviorSanitizer, which also replays the fuzz corpus under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap.sh

echo "== format"
tools/check_format.sh

for preset in dev asan; do
  echo "== $preset build"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
