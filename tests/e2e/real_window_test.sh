#!/usr/bin/env bash
# The real window under Xvfb, driven as a user drives it: open a generated log through
# "File" > "Open" and the real file dialog, write the CSV through "TLM File" > "Write CSV File",
# compare it byte for byte with twk-csv, open "Info", leave through "File" > "Exit" and the
# about box's close button, and check that the process has ended. On a failure the screen is
# saved as real_window_failure.png in the working folder.
set -euo pipefail
decoder=$1
twk_csv=$2
loggen=$3
shot="$PWD/real_window_failure.png"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  import -window root "$shot" 2>/dev/null && echo "screen saved as $shot" >&2
  exit 1
}

# Waits up to ten seconds for a command to succeed.
wait_for() {
  local what=$1
  shift
  for _ in $(seq 100); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  fail "waited in vain for $what"
}

for number in $(seq 90 140); do
  if [[ ! -e /tmp/.X$number-lock && ! -e /tmp/.X11-unix/X$number ]]; then break; fi
done
export DISPLAY=":$number"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
wait_for "the X server" test -e "/tmp/.X11-unix/X$number"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

# The CSV goes next to the program, so the program runs from a folder of its own.
mkdir -p "$work/bin" "$work/logs"
cp "$decoder" "$work/bin/twk-decoder"
log="$work/logs/pass one.log"
"$loggen" --packets 400 --seed 11 -o "$log"
export LC_ALL=C

(cd "$work" && exec "$work/bin/twk-decoder" >"$work/decoder.out" 2>&1) &
app=$!
pids+=("$app")
wait_for "the main window" xdotool search --name '^Tarnwick Telemetry Decoder \[Ostrel\]$'
main=$(xdotool search --name '^Tarnwick Telemetry Decoder \[Ostrel\]$' | head -n 1)

# The menu bar by keyboard: Alt selects "File", arrows move to the item, Return runs it.
menu() {
  xdotool windowactivate --sync "$main"
  sleep 0.2
  xdotool key alt
  sleep 0.2
  xdotool key "$@"
  sleep 0.3
}

menu Down Return  # File > Open
wait_for "the file dialog" xdotool search --onlyvisible --name '^Open$'
xdotool type --delay 10 "$log"
xdotool key Return
wait_for "the dialog to close" sh -c "! xdotool search --onlyvisible --name '^Open\$'"
sleep 0.5

menu Right Down Return  # TLM File > Write CSV File
csv="$work/bin/twk_telemetry.csv"
wait_for "the CSV file" test -s "$csv"
sleep 0.5
"$twk_csv" "$log" >"$work/expected.csv"
cmp "$work/expected.csv" "$csv" || fail "the window's CSV differs from twk-csv's"
[[ $(wc -l <"$csv") -eq 401 ]] || fail "expected 401 lines in the CSV"

menu Right Right Return  # Info
wait_for "the about box" xdotool search --onlyvisible --name '^Info$'

menu Down Up Return  # File > Exit, the last item
wait_for "the main window to close" sh -c "! xdotool search --onlyvisible --name '^Tarnwick Telemetry Decoder'"
kill -0 "$app" 2>/dev/null || fail "the program ended while the about box was open"

about=$(xdotool search --onlyvisible --name '^Info$' | head -n 1)
xdotool windowactivate --sync "$about"
xdotool key alt+F4  # the window manager's close, as the close button does
wait_for "the program to end" sh -c "! kill -0 $app"
wait "$app" || fail "the program ended with status $?"

echo "1 passed, 0 failed"
