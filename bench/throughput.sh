#!/usr/bin/env bash
# Whole-program figures for twk-csv: its throughput in MB of log text per second on two
# telemetry-dense logs, a realistic one and one whose channel values never repeat (random bytes
# at every channel position), each written to /dev/null and with -o to a file; beside them the
# floors that reading alone costs (`cat FILE >/dev/null`, `wc -l`); its peak memory on each, on a
# log of the shortest beacons (the most rows per byte read) and on 1 GiB files without a line end.
#
# Usage: bench/throughput.sh [BUILD_DIR]
#   BUILD_DIR holds twk-loggen and twk-csv (default build/release, relative to the repository).
#   TWK_LOG_MB sets the size of the dense logs (default 200), TWK_RUNS the timed runs (default 5;
#   the fastest counts, since a busy machine only ever slows a run down).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/release}
[[ $build == /* ]] || build="$root/$build"
loggen=$build/twk-loggen
csv=$build/twk-csv
size_mb=${TWK_LOG_MB:-200}
runs=${TWK_RUNS:-5}
dense_runs=$runs

for tool in "$loggen" "$csv" /usr/bin/time; do
  if [[ ! -x $tool ]]; then
    echo "throughput.sh: $tool not found; build twk-loggen and twk-csv first" >&2
    exit 2
  fi
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/twk-throughput.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# Runs a command (standard output to /dev/null) $runs times under /usr/bin/time -v; sets
# best_ns (fastest wall time), peak_kb (largest resident set) and status (the last exit status).
measure() {
  best_ns=0
  peak_kb=0
  local i start end took kb
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    /usr/bin/time -v -o "$tmp/time.txt" "$@" >/dev/null 2>"$tmp/stderr.txt" || true
    end=$(date +%s%N)
    took=$((end - start))
    if ((best_ns == 0 || took < best_ns)); then best_ns=$took; fi
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$tmp/time.txt")
    if ((kb > peak_kb)); then peak_kb=$kb; fi
    status=$(awk -F': ' '/Exit status/ {print $2}' "$tmp/time.txt")
  done
}

rows=()
# Adds a line to the table: what, file, and the figures of the last measure.
row() {
  local bytes
  bytes=$(stat -c %s "$2")
  rows+=("$(awk -v what="$1" -v b="$bytes" -v ns="$best_ns" -v kb="$peak_kb" -v st="$status" \
    'BEGIN { s = ns / 1e9; printf "%-40s %9.1f %8.2f %9.1f %10.1f %5s", what, b / 1e6, s,
             b / 1e6 / s, kb / 1024, st }')")
}

# Fails the script when twk-csv did not succeed on a log it must convert.
require_success() {
  if [[ $status != 0 ]]; then
    echo "throughput.sh: twk-csv failed on $1:" >&2
    cat "$tmp/stderr.txt" >&2
    exit 1
  fi
}

# The floors, then twk-csv to /dev/null and with -o to a file, on one log.
dense_case() {
  local name=$1 log=$2
  cat "$log" >/dev/null  # brings the file into the page cache before the timed runs
  measure cat "$log"
  row "cat >/dev/null, $name (floor)" "$log"
  measure wc -l "$log"
  row "wc -l, $name (floor)" "$log"
  measure "$csv" "$log"
  require_success "the $name log"
  row "twk-csv >/dev/null, $name" "$log"
  measure "$csv" -o "$tmp/out.csv" "$log"
  require_success "the $name log, with -o"
  row "twk-csv -o FILE, $name" "$log"
  rm -f "$tmp/out.csv"
}

echo "Generating ${size_mb} MB telemetry-dense logs, realistic and with random words..." >&2
dense=$tmp/dense.log
"$loggen" --size-mb "$size_mb" --others 0.05 --seed 7 -o "$dense"
beacons=$(grep -c '^.\{12\}58 30 54 57 4B 2D 31' "$dense" || true)
dense_case realistic "$dense"
rm -f "$dense"

random=$tmp/random.log
"$loggen" --size-mb "$size_mb" --others 0.05 --seed 7 --random-words -o "$random"
dense_case "random words" "$random"
rm -f "$random"

runs=1
# Header and call sign only: the most rows per byte read, so the most output per chunk.
short=$tmp/short.log
yes 'C0 00 A0 86 58 30 54 57 4B 2D 31' | head -c 200M >"$short" || true
measure "$csv" "$short"
require_success "the shortest beacons"
row "twk-csv, 200 MiB of shortest beacons" "$short"
rm -f "$short"

# One line of 1 GiB: the reader must keep only a bounded part of it.
echo "Writing 1 GiB without a line end..." >&2
endless=$tmp/endless.log
head -c 1G /dev/zero | tr '\0' A >"$endless"
measure "$csv" "$endless"
row "twk-csv, 1 GiB of 'A', no line end" "$endless"
rm -f "$endless"

# A beacon's start whose line never ends: it is a telemetry line and must fail as too long.
set +o pipefail
{
  printf '8C 10 01 60 58 30 54 57 4B 2D 31'
  yes ' 00' | tr -d '\n'
} | head -c 1G >"$endless"
set -o pipefail
measure "$csv" "$endless"
row "twk-csv, 1 GiB beacon, no line end" "$endless"
beacon_message=$(head -c 300 "$tmp/stderr.txt")
rm -f "$endless"

echo
echo "$(nproc) CPUs, load average $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after;" \
  "dense logs: fastest of $dense_runs runs"
printf '%-40s %9s %8s %9s %10s %5s\n' "run" "MB" "s" "MB/s" "peak MiB" "exit"
printf '%s\n' "${rows[@]}"
echo
echo "realistic log: $beacons beacons; twk-csv on the endless beacon said: $beacon_message"
