#!/usr/bin/env bash
# Runs every fuzz entry point for the given time, one after the other on one core each, starting
# from its committed corpus; then merges what found new coverage back into fuzz/corpus/NAME (only
# those inputs, named by their SHA-1 as libFuzzer names them) and prints the executions and the
# rate of each entry point and the total. Inputs that broke a check are kept in
# build/fuzz/findings/ (emptied at the start) and named at the end; the status is then 1.
# Inputs libFuzzer found slow are kept there too and timed again alone.
#
#   tools/fuzz_campaign.sh SECONDS_PER_ENTRY_POINT [NAME[=SECONDS]...]
#
# A NAME=SECONDS argument gives that entry point its own time, so that the slow ones can be
# given more of it.
#
# Builds the `fuzz` preset first (clang with libFuzzer). New inputs are kept to 4 KB (less for the
# slow entry points), so that the corpus stays small and quick to replay (the committed corpus
# holds the few longer logs the long-line rules need). Extra libFuzzer flags can be given in TWK_FUZZ_FLAGS, which come last
# and so win, for example "-max_len=200000" or "-jobs=2 -workers=2" on a machine of one's own.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: tools/fuzz_campaign.sh SECONDS [NAME[=SECONDS]...]}
shift
names=("$@")
[[ ${#names[@]} -gt 0 ]] || names=(number_text converter follower limits)

# AddressSanitizer's quarantine of freed memory holds 256 MB by default: every input then
# touches fresh pages, which costs the follower entry point a third of its time. 32 MB still
# holds everything one input frees, so a use after free within an input is still caught.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=build/fuzz/campaign
findings=build/fuzz/findings
rm -rf "$work" "$findings"
mkdir -p "$work" "$findings"
status=0
total=0
printf '%-12s %14s %10s %8s\n' "entry point" executions "per second" "new" >"$work/summary"
for entry in "${names[@]}"; do
  name=${entry%%=*}
  time=$seconds
  [[ $entry == *=* ]] && time=${entry#*=}
  program=build/fuzz/fuzz/twk_fuzz_$name
  corpus=fuzz/corpus/$name
  fresh=$work/$name
  mkdir -p "$fresh"
  # The converter also starts from the single lines and whole files gathered for it.
  seeds=("$corpus")
  [[ $name == converter ]] && seeds+=(fuzz/corpus/file fuzz/corpus/line)
  # A log or a script costs time by its length: a few lines hold every edge a chunk can have,
  # and a follower's script is cut at 64 steps.
  case $name in
    converter) max_len=1024 ;;
    follower) max_len=512 ;;
    *) max_len=4096 ;;
  esac

  # libFuzzer writes what it finds into the first folder and leaves the others as they are.
  # shellcheck disable=SC2086
  "$program" -max_total_time="$time" -print_final_stats=1 -artifact_prefix="$findings/$name-" \
    -max_len="$max_len" ${TWK_FUZZ_FLAGS:-} "$fresh" "${seeds[@]}" >"$work/$name.log" 2>&1 || status=1
  runs=$(grep -oP 'stat::number_of_executed_units:\s*\K[0-9]+' "$work/$name.log" | tail -1)
  elapsed=$(grep -oP 'stat::average_exec_per_sec:\s*\K[0-9]+' "$work/$name.log" | tail -1)

  before=$(find "$corpus" -type f | wc -l)
  # Merging runs every input again; one that fails is left out (it is a finding already).
  "$program" -merge=1 -artifact_prefix="$work/$name-merge-" "$corpus" "$fresh" \
    >"$work/$name.merge.log" 2>&1 ||
    { cat "$work/$name.merge.log" >&2; status=1; }
  after=$(find "$corpus" -type f | wc -l)

  printf '%-12s %14s %10s %8s\n' "$name" "${runs:-?}" "${elapsed:-?}" "$((after - before))" \
    >>"$work/summary"
  total=$((total + ${runs:-0}))
done
printf '%-12s %14s\n' total "$total" >>"$work/summary"
cat "$work/summary"

# An input that ran for more than ten seconds is kept as NAME-slow-unit-…; on a busy machine that
# is mostly the machine, so each is run again alone and its time shown. Only the other findings
# (a check broken, a crash, a leak, a timeout) fail the campaign.
for slow in "$findings"/*-slow-unit-*; do
  [[ -e $slow ]] || continue
  name=$(basename "$slow")
  echo "slow input $name, alone: $("build/fuzz/fuzz/twk_fuzz_${name%%-slow-unit-*}" "$slow" 2>&1 |
    grep -oP 'Executed .* in \K[0-9]+ ms')"
done
if find "$findings" -type f ! -name '*-slow-unit-*' | grep -q .; then
  echo "findings (the logs are in $work):"
  find "$findings" -type f ! -name '*-slow-unit-*' -printf '%f\n'
  status=1
fi
exit "$status"
