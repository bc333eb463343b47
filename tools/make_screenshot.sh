#!/usr/bin/env bash
# Remakes docs/screenshot.png: the window with samples/sample.log loaded, drawn by twk-screenshot
# on a private Xvfb display, so the picture does not depend on the desktop it is made on.
# Usage: tools/make_screenshot.sh [BUILD_DIR]   (default build/release, built when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
if [[ ! -x "$build/twk-screenshot" ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target twk-screenshot
  build=build/release
fi
command -v Xvfb >/dev/null || { echo "make_screenshot: Xvfb is missing (apt-get install xvfb)" >&2; exit 1; }

# Xvfb picks a free display number itself and writes it to the file descriptor given.
number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -f "$number_file"' EXIT
for _ in $(seq 100); do
  [[ -s "$number_file" ]] && break
  sleep 0.05
done
[[ -s "$number_file" ]] || { echo "make_screenshot: Xvfb did not start" >&2; exit 1; }

DISPLAY=":$(head -n1 "$number_file")" QT_QPA_PLATFORM=xcb LC_ALL=C \
  "$build/twk-screenshot" samples/sample.log docs/screenshot.png
echo "wrote docs/screenshot.png"
