#!/usr/bin/env bash
# twk-csv's peak memory stays flat, whatever the input: 1 GiB without a single line end, once as
# plain text and once as a telemetry line that never ends. Measured with /usr/bin/time.
set -euo pipefail
twk_csv=$1
limit_kb=16384
gib=$((1024 * 1024 * 1024))
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

check() {
  local name=$1 expected_status=$2 status=0
  /usr/bin/time -f %M -o "$tmp/rss" "$twk_csv" - <"$tmp/fifo" >/dev/null 2>"$tmp/err" || status=$?
  wait "$producer" || true
  local rss
  rss=$(tail -n 1 "$tmp/rss")
  echo "$name: exit $status, peak memory $rss KB"
  if [[ $status -ne $expected_status ]]; then
    echo "FAIL: $name: expected exit $expected_status" >&2
    cat "$tmp/err" >&2
    exit 1
  fi
  if ((rss > limit_kb)); then
    echo "FAIL: $name: peak memory $rss KB is over $limit_kb KB" >&2
    exit 1
  fi
}

mkfifo "$tmp/fifo"
head -c "$gib" /dev/zero >"$tmp/fifo" &
producer=$!
check "1 GiB of NUL bytes, no line end" 0

{ printf 'C0 00 A0 86 58 30 54 57 4B 2D 31 '; head -c "$gib" /dev/zero; } >"$tmp/fifo" &
producer=$!
check "1 GiB telemetry line, no line end" 1
grep -q "line too long: $((gib + 33)) characters" "$tmp/err" || {
  echo "FAIL: unexpected message: $(cat "$tmp/err")" >&2
  exit 1
}
echo "1 passed, 0 failed"
