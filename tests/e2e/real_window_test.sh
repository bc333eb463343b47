#!/usr/bin/env bash
# The real window under Xvfb, driven by keyboard: "File" > "Open" through the real dialog,
# "TLM File" > "Write CSV File" next to the program (compared with twk-csv), "Info", then
# "File" > "Exit", which leaves the about box open until it is closed and the program ends.
# On a failure the screen is saved as real_window_failure.png in the working folder.
# Every step waits for what the user would see before the next key (a menu open, a window
# focused, a file written), never for a fixed time, so a busy machine only makes it slower.
set -euo pipefail
decoder=$1 twk_csv=$2 loggen=$3
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait; rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  cat "$work/openbox.out" "$work/decoder.out" >&2 2>/dev/null || true
  xdotool search --name "." getwindowname %@ >&2 2>/dev/null || true
  import -window root "$PWD/real_window_failure.png" 2>/dev/null || true
  exit 1
}
wait_for() {  # up to 60 seconds for the command after $1, what it waits for, to succeed
  for _ in $(seq 600); do "${@:2}" >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "waited in vain for $1"
}
shown() { xdotool search --onlyvisible --name "$1"; }
focused() { [ "$(xdotool getwindowfocus)" = "$1" ]; }
# The program's windows on the screen, menus included.
windows() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l; }
more_windows() { [ "$(windows)" -gt "$1" ]; }

# Xvfb picks a free display itself, so tests running at the same time never share one.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
wait_for "the X server" test -s "$work/display"
# What the program remembers (window place, dialog sizes) goes to a folder of this run.
# The X server's window, also where the caller's environment picked Qt's offscreen platform.
export DISPLAY=":$(head -n 1 "$work/display")" LC_ALL=C XDG_CONFIG_HOME="$work/config" \
  QT_QPA_PLATFORM=xcb
# A window manager that cannot open the display gives up at once (seen on a busy machine, the
# server answering xdotool): it is started again, up to five times.
wait_for "the X server to take clients" xdotool getdisplaygeometry
for _ in 1 2 3 4 5; do
  openbox >"$work/openbox.out" 2>&1 &
  wm=$!
  for _ in $(seq 100); do
    xdotool get_num_desktops >/dev/null 2>&1 && break 2
    kill -0 "$wm" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$wm" 2>/dev/null && break  # slow, not failed
done
pids+=("$wm")
wait_for "the window manager" xdotool get_num_desktops

# The CSV goes next to the program, so the program runs from a folder of its own.
mkdir -p "$work/bin"
cp "$decoder" "$work/bin/twk-decoder"
log="$work/pass one.log"
"$loggen" --packets 400 --seed 11 -o "$log"
# A log named at start that cannot be read: its message is centred on the window, wherever the
# window manager put it.
(cd "$work" && exec "$work/bin/twk-decoder" "$work/missing.log" >"$work/decoder.out" 2>&1) &
app=$!
pids+=("$app")
title='^Tarnwick Telemetry Decoder'
wait_for "the main window" shown "$title"
main=$(shown "$title" | head -n 1)
wait_for "the message about the missing log" shown '^twk-decoder$'
box=$(shown '^twk-decoder$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$main" | sed 's/^/MAIN_/')"
eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
apart() { local d=$(($1 + $2 / 2 - $3 - $4 / 2)); echo "${d#-}"; }
(($(apart "$BOX_X" "$BOX_WIDTH" "$MAIN_X" "$MAIN_WIDTH") < 20 &&
  $(apart "$BOX_Y" "$BOX_HEIGHT" "$MAIN_Y" "$MAIN_HEIGHT") < 40)) ||
  fail "the message is not centred on the window"
activate() {  # brings a window to the front and waits until the keyboard goes to it
  wait_for "the window manager to activate $1" xdotool windowactivate --sync "$1"
  wait_for "the keyboard focus on $1" focused "$1"
}
activate "$box"
xdotool key Return
wait_for "the message to close" sh -c "! xdotool search --onlyvisible --name '^twk-decoder\$'"
menu() {  # Alt and the menu's access key open it; once it is on the screen, the keys choose
  activate "$main"
  local before
  before=$(windows)
  xdotool key "alt+$1"
  wait_for "the menu \"$1\" to open" more_windows "$before"
  shift
  xdotool key "$@"
}

menu f o  # File > Open
wait_for "the file dialog" shown '^Open$'
dialog=$(shown '^Open$' | head -n 1)
wait_for "the keyboard focus on the file dialog" focused "$dialog"
xdotool type --delay 10 "$log"
xdotool key Return
wait_for "the dialog to close" sh -c "! xdotool search --onlyvisible --name '^Open\$'"
menu t w  # TLM File > Write CSV File
# The CSV is written under another name and renamed when whole, so once there it is complete.
wait_for "the CSV file" test -e "$work/bin/twk_telemetry.csv"
cmp <("$twk_csv" "$log") "$work/bin/twk_telemetry.csv" || fail "the window's CSV differs from twk-csv's"
# A paint that a real screen refuses leaves frames or fields undrawn, and Qt says so.
! grep -E 'QPainter::|QWidget::repaint|paintEngine' "$work/decoder.out" || fail "painting failed"

activate "$main"
xdotool key alt+i  # Info, an item of the menu bar itself
wait_for "the about box" shown '^Info$'
menu f Up Return  # File > Exit, the last item: Up from the first wraps round to it
wait_for "the main window to close" sh -c "! xdotool search --onlyvisible --name '$title'"
kill -0 "$app" 2>/dev/null || fail "the program ended while the about box was open"
activate "$(shown '^Info$' | head -n 1)"
xdotool key alt+F4  # the close button
wait_for "the program to end" sh -c "! kill -0 $app"
wait "$app" || fail "the program ended with status $?"
echo "1 passed, 0 failed"
