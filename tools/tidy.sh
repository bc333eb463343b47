#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the project's own C++ files (or the FILEs
# given), with the dev build's compile_commands.json; fails on any finding. Takes minutes, so
# ./test.sh does not run it. Usage: tools/tidy.sh [FILE.cpp...]
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-tidy >/dev/null; then
  echo "tidy.sh: clang-tidy is missing; install it with: sudo apt-get install clang-tidy" >&2
  exit 2
fi
if [[ ! -f build/dev/compile_commands.json ]]; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER-ccache}
  nice -n 10 cmake --preset dev
  nice -n 10 cmake --build --preset dev
fi
# Headers are checked where the project's own sources include them; build/ is left out.
folders=$(git ls-files '*.h' '*.cpp' | cut -d/ -f1 | sort -u | paste -sd'|')
if (($#)); then printf '%s\0' "$@"; else git ls-files -z -co --exclude-standard '*.cpp'; fi |
  nice -n 10 xargs -0 -n1 -P2 clang-tidy -p build/dev --quiet --warnings-as-errors='*' \
    --header-filter="^$PWD/($folders)/" 2>&1 | { grep -v ' generated\.$' || true; } ||
  { echo "tidy.sh: findings above; fix them, or add a NOLINT(check) with the reason" >&2; exit 1; }
echo "tidy.sh: no findings"
