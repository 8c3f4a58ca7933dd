#!/usr/bin/env bash
# Runs every fuzz target (the parsers of outside bytes) for a while and prints one line
# per target.
#   bash scripts/fuzz.sh [SECONDS]     SECONDS per target, 60 when not given
# Builds the fuzz preset first. Each target keeps its corpus in build/fuzz/corpus/NAME,
# so a run goes on from what the earlier ones found; an input that makes a target fail
# is kept in build/fuzz/crashes/ and the target's output in build/fuzz/logs/NAME.log.
# Ends with status 1 when a target failed.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: bash scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi
build=build/fuzz

if ! { cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j"${JOBS:-$(nproc)}" >/dev/null; }; then
  echo "fuzz: the fuzz build failed (cmake --build --preset fuzz)" >&2
  exit 1
fi
if [ ! -s "$build/fuzz-targets.txt" ]; then
  echo "fuzz: no fuzz targets listed in $build/fuzz-targets.txt" >&2
  exit 1
fi

mkdir -p "$build/crashes" "$build/logs"
overall=0
while read -r target; do
  [ -n "$target" ] || continue
  corpus="$build/corpus/$target"
  log="$build/logs/$target.log"
  mkdir -p "$corpus"
  "$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$target-" "$corpus" </dev/null >"$log" 2>&1
  rc=$?
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -1)
  inputs=$(find "$corpus" -type f | wc -l)
  if [ "$rc" -eq 0 ]; then
    printf '%-22s ok      %s runs, corpus %s inputs\n' "$target" "${runs:-?}" "$inputs"
  else
    overall=1
    crash=$(sed -nE 's/.*Test unit written to (.*)$/\1/p' "$log" | tail -1)
    printf '%-22s FAILED  exit %s after %s runs; input %s, output %s\n' "$target" "$rc" \
      "${runs:-?}" "${crash:-none kept}" "$log"
  fi
done <"$build/fuzz-targets.txt"
exit $overall
