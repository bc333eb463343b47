#!/usr/bin/env bash
# twk-csv's peak memory stays flat on 1 GiB without a single line end, once as plain NUL bytes
# and once as a telemetry line that never ends. Measured with /usr/bin/time.
set -euo pipefail
twk_csv=$1
gib=$((1024 * 1024 * 1024))
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

check() {  # name, expected exit status, the input on standard input
  local status=0
  /usr/bin/time -f %M -o "$tmp/rss" "$twk_csv" - >/dev/null 2>"$tmp/err" || status=$?
  local rss
  rss=$(tail -n 1 "$tmp/rss")
  echo "$1: exit $status, peak memory $rss KB"
  [[ $status -eq $2 ]] || { echo "FAIL: expected exit $2: $(cat "$tmp/err")" >&2; exit 1; }
  ((rss <= 16384)) || { echo "FAIL: over 16384 KB" >&2; exit 1; }
}

head -c "$gib" /dev/zero | check "1 GiB of NUL bytes" 0
{ printf 'C0 00 A0 86 58 30 54 57 4B 2D 31 '; head -c "$gib" /dev/zero; } | check "1 GiB line" 1
grep -q "line too long: $((gib + 33)) characters" "$tmp/err" || { echo "FAIL: $(cat "$tmp/err")" >&2; exit 1; }
echo "1 passed, 0 failed"
