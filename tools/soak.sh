#!/usr/bin/env bash
# A station's day in minutes: twk-loggen --live appends beacons at RATE per second for MINUTES,
# with a few lines too long to store and one truncation (the next pass) in between. Two windows
# follow the log under Xvfb, one holding 5000 packets and one 1,000,000, and so does
# `twk-csv -f`. At the end each window writes its CSV, and the script reports what each shows
# against the lines written, the lines skipped, each window's peak memory and CPU share, and
# whether a modal box ever appeared, with a table of each window's memory (VmRSS) once a minute.
# Both windows have limits that the values cross now and then, so that their lists of crossings
# change and the alarm rises while they follow. Nothing may be lost or doubled: `twk-csv -f`'s
# rows and the big window's CSV must equal a batch `twk-csv -k` of the logs as written, and the
# small window's CSV its newest 5000 rows. Not run by test.sh; it takes MINUTES and a little more.
#
#   tools/soak.sh [MINUTES [RATE]]    (defaults 10 and 200; needs the release build)
#
# SOAK_SHOTS=FOLDER keeps a screenshot of each window at the end, after the last skipped line
# and past the 5000 packets held. SOAK_PRELOAD=N starts the log with N beacons already in it,
# which the windows take in their first read: with N at a million the big window is full from
# the start, and its memory should stay flat while it follows.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
rate=${2:-200}
preload=${SOAK_PRELOAD:-0}
bin=${SOAK_BIN:-build/release}
decoder=$PWD/$bin/twk-decoder twk_csv=$PWD/$bin/twk-csv loggen=$PWD/$bin/twk-loggen
for p in "$decoder" "$twk_csv" "$loggen"; do
  [ -x "$p" ] || { echo "soak: $p is missing; build the release preset first" >&2; exit 2; }
done
packets=$((minutes * 60 * rate))
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill -CONT "$p" 2>/dev/null || true; kill "$p" 2>/dev/null || true; done; wait; rm -rf "$work"' EXIT

fail() {
  echo "soak: FAIL: $*" >&2
  import -window root "$PWD/soak_failure.png" 2>/dev/null || true
  xdotool search --onlyvisible --name . getwindowname %@ >&2 2>/dev/null || true
  exit 1
}
wait_for() {  # up to 60 seconds for a command to succeed
  local what=$1
  shift
  for _ in $(seq 600); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "waited in vain for $what"
}
focused() { [ "$(xdotool getwindowfocus)" = "$1" ]; }
windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l; }
more_windows() { [ "$(windows "$1")" -gt "$2" ]; }

Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
wait_for "the X server" test -s "$work/display"
export DISPLAY=":$(head -n 1 "$work/display")" LC_ALL=C
openbox >"$work/openbox.out" 2>&1 &
pids+=($!)
wait_for "the window manager" xdotool get_num_desktops

log=$work/station.log
: >"$log"
((preload == 0)) || "$loggen" --packets "$preload" --seed 1 -o "$log"
held=(5000 1000000)
apps=()
mains=()
# Each window runs from a folder of its own (its CSV goes next to the program) and keeps its
# settings in a folder of its own.
for n in "${held[@]}"; do
  mkdir -p "$work/w$n/bin" "$work/w$n/config/twk"
  cp "$decoder" "$work/w$n/bin/twk-decoder"
  printf '[Packets]\nheld=%s\n' "$n" >"$work/w$n/config/twk/twk-decoder.conf"
  # Crossed now and then: battery 1 volts (low early, high all along), the amplifier's
  # temperature, and RSSI near the station; red some 80 times a minute at 200 beacons a second.
  printf '%s\n' '[4]' yellowLow=3.95 redLow=3.9 yellowHigh=4.035 '[24]' yellowHigh=36 redHigh=40 \
    '[25]' yellowHigh=-90 redHigh=-75 >"$work/w$n/config/twk/limits.ini"
  (cd "$work/w$n" && XDG_CONFIG_HOME="$work/w$n/config" exec "$work/w$n/bin/twk-decoder" \
    >"$work/w$n/out" 2>&1) &
  app=$!
  pids+=("$app")
  wait_for "window $n" xdotool search --all --onlyvisible --pid "$app" --name '^Tarnwick'
  main=$(xdotool search --all --onlyvisible --pid "$app" --name '^Tarnwick' | head -n 1)
  wait_for "window $n in front" xdotool windowactivate --sync "$main"
  wait_for "the keyboard on window $n" focused "$main"
  before=$(windows "$app")
  xdotool key alt+f
  wait_for "the File menu" more_windows "$app" "$before"
  xdotool key f  # Follow Log…
  wait_for "the Follow Log dialog" xdotool search --all --onlyvisible --pid "$app" --name '^Follow Log$'
  dialog=$(xdotool search --all --onlyvisible --pid "$app" --name '^Follow Log$' | head -n 1)
  wait_for "the keyboard on the dialog" focused "$dialog"
  xdotool type --delay 5 "$log"
  xdotool key Return
  wait_for "the dialog to close" sh -c "! xdotool search --all --onlyvisible --pid $app --name '^Follow Log\$'"
  apps+=("$app")
  mains+=("$main")
done
"$twk_csv" -f "$log" >"$work/follow.csv" 2>"$work/follow.err" &
follower=$!
pids+=("$follower")
read_rows() {
  local lines
  lines=$(wc -l <"$work/follow.csv")
  echo $((lines > 0 ? lines - 1 : 0))
}
caught_up() { (($(read_rows) >= preload)); }
wait_for "twk-csv -f to read the preload" caught_up

start=$(date +%s)
"$loggen" --live --rate "$rate" --packets "$packets" --seed 7 -o "$log" &
station=$!
pids+=("$station")

# Two beacons run together without a line end: a line too long to store.
too_long() {
  grep -m 1 -a '^.\{12\}58 30 54 57 4B 2D 31' "$log" | tr -d '\r\n' | sed 'p' | tr -d '\n'
  echo
}
# The station pauses while the script writes, so that its lines never mix with the script's,
# and the followers have caught up when the log is cut.
paused() {
  kill -STOP "$station"
  sleep 2
  "$@"
  kill -CONT "$station"
}
add_too_long() { too_long >>"$log"; }
cut_log() {
  cat "$log" >>"$work/written.log"
  : >"$log"
}
seconds=$((minutes * 60))
memory=()
# Each second: the most windows on screen; each minute: the packets read so far (by twk-csv -f)
# and each window's packets held and resident memory.
tick() {
  local row i rows w
  sleep 1
  for i in 0 1; do
    w=$(windows "${apps[$i]}")
    ((w > most_windows[i])) && most_windows[i]=$w
  done
  (($(date +%s) - start >= 60 * ${#memory[@]})) || return 0
  rows=$(read_rows)
  row=$(printf '%6d %9d' "${#memory[@]}" "$rows")
  for i in 0 1; do
    row+=$(printf ' %12d %8s' "$((rows < held[i] ? rows : held[i]))" \
      "$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/${apps[$i]}/status")")
  done
  memory+=("$row")
}
events=("$((seconds / 5)) too_long" "$((2 * seconds / 5)) too_long" "$((seconds / 2)) cut"
  "$((3 * seconds / 5)) too_long" "$((4 * seconds / 5)) too_long")
most_windows=(0 0)
for event in "${events[@]}"; do
  read -r at what <<<"$event"
  while (($(date +%s) - start < at)); do tick; done
  if [ "$what" = cut ]; then paused cut_log; else paused add_too_long; fi
done
while (($(date +%s) - start <= seconds)); do tick; done
wait "$station" || fail "the station ended with status $?"
cat "$log" >>"$work/written.log"
sleep 3  # the followers read within a fraction of a second

# Every line written, as one batch: the followers must have given exactly its rows.
"$twk_csv" -k "$work/written.log" >"$work/batch.csv" 2>"$work/batch.err" || true
batch_rows=$(($(wc -l <"$work/batch.csv") - 1))
skipped=$(wc -l <"$work/batch.err")
kill -INT "$follower"
wait "$follower" || true
follow_rows=$(($(wc -l <"$work/follow.csv") - 1))
follow_skipped=$(grep -c 'line skipped' "$work/follow.err" || true)

report=()
for i in 0 1; do
  n=${held[$i]} app=${apps[$i]} main=${mains[$i]}
  peak=$(awk '/VmHWM/ {print $2 / 1024 " MB"}' "/proc/$app/status")
  read -r utime stime < <(awk '{print $14, $15}' "/proc/$app/stat")
  cpu=$(awk -v t=$((utime + stime)) -v hz="$(getconf CLK_TCK)" -v s=$(($(date +%s) - start)) \
    'BEGIN {printf "%.1f%%", 100 * t / hz / s}')
  wait_for "window $n in front" xdotool windowactivate --sync "$main"
  wait_for "the keyboard on window $n" focused "$main"
  if [ -n "${SOAK_SHOTS:-}" ]; then
    mkdir -p "$SOAK_SHOTS"
    import -window "$main" "$SOAK_SHOTS/soak-held-$n.png"
  fi
  before=$(windows "$app")
  xdotool key alt+t
  wait_for "the TLM File menu" more_windows "$app" "$before"
  xdotool key w  # Write CSV File
  wait_for "window $n's CSV" test -e "$work/w$n/bin/twk_telemetry.csv"
  shown=$(($(wc -l <"$work/w$n/bin/twk_telemetry.csv") - 1))
  if ((n >= batch_rows)); then
    cmp -s "$work/batch.csv" "$work/w$n/bin/twk_telemetry.csv" && same=yes || same=NO
  else
    cmp -s <(head -n 1 "$work/batch.csv"; tail -n "$n" "$work/batch.csv") \
      "$work/w$n/bin/twk_telemetry.csv" && same=yes || same=NO
  fi
  report+=("window holding $n: $shown packets in its CSV, equal to the batch's: $same; peak memory $peak; CPU $cpu; most windows on screen ${most_windows[$i]} (1 = no box)")
done

cmp -s "$work/batch.csv" "$work/follow.csv" && follow_same=yes || follow_same=NO
echo "soak: $minutes min at $rate beacons/s: $batch_rows packets and $skipped lines too long written, one truncation"
echo "twk-csv -f: $follow_rows rows, equal to a batch twk-csv -k of the lines written: $follow_same; $follow_skipped lines reported skipped"
printf '%s\n' "${report[@]}"
echo "memory each minute: packets read by twk-csv -f, each window's packets held and VmRSS in MB"
printf '%6s %9s %12s %8s %12s %8s\n' minute read "held/${held[0]}" MB "held/${held[1]}" MB
printf '%s\n' "${memory[@]}"
[ "$follow_same" = yes ] && [[ "${report[*]}" != *": NO;"* ]] &&
  ((most_windows[0] == 1 && most_windows[1] == 1)) || fail "something was lost, doubled or a box appeared"
