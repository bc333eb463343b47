#!/usr/bin/env bash
# Checks that every C++ file of the tree is formatted as .clang-format says; ./test.sh runs it.
# Lists each file and place that differs; `clang-format -i FILE` formats one.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  files() { git ls-files -z -co --exclude-standard '*.cpp' '*.h'; }
else
  files() { find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0; }
fi
files | xargs -0 clang-format --dry-run -Werror
