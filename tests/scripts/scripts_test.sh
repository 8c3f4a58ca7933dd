#!/usr/bin/env bash
# The helper scripts on copies in a scratch folder, with stand-ins for the build tools
# where the real ones would take minutes:
#   wine-env.sh  stops the virtual display it started and no other process;
#   test-all.sh  sums up only the results of its own run;
#   fuzz.sh      runs every listed target for the given time on its corpus, one line each.
set -uo pipefail
source_dir=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
scratch=$(mktemp -d)
failures=0
cleanup=()
trap 'for p in "${cleanup[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$scratch"' EXIT

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
alive() { kill -0 "$1" 2>/dev/null; }

# A copy of the tree's scripts, and stand-ins for commands put first on the PATH.
tree() {
  local t="$scratch/$1"
  mkdir -p "$t/scripts" "$t/bin" "$t/build"
  cp "$source_dir"/scripts/*.sh "$t/scripts/"
  printf '#!/bin/sh\nexit 0\n' >"$t/scripts/setup.sh"
  echo "$t"
}
stand_in() { # tree, command, script body
  printf '#!/usr/bin/env bash\n%s\n' "$3" >"$1/bin/$2"
  chmod +x "$1/bin/$2"
}

# ---- wine-env.sh ---------------------------------------------------------------------
wine_env_case() {
  command -v Xvfb >/dev/null || { fail "wine-env: Xvfb is not installed (scripts/setup.sh)"; return; }
  local build="$scratch/wine-build"
  mkdir -p "$build"
  (
    unset DISPLAY
    source "$source_dir/scripts/wine-env.sh"
    wine_env_display "$build" >/dev/null
  )
  local display pid
  display=$(cat "$build/xvfb.display" 2>/dev/null)
  pid=$(cat "$build/xvfb.pid" 2>/dev/null)
  # The server started here goes at the end in any case (its display's lock names it).
  [ -n "$display" ] && cleanup+=("$(tr -dc 0-9 <"/tmp/.X${display#:}-lock" 2>/dev/null)")
  if [ -z "$display" ] || [ -z "$pid" ]; then
    fail "wine-env: no display ('$display') or server id ('$pid') recorded"
    return
  fi
  cleanup+=("$pid")
  tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q "^Xvfb $display " ||
    fail "wine-env: the recorded id $pid is not the Xvfb of $display"

  # Another program whose command line looks like that server's, and a process that
  # took over an id the folder once recorded.
  (exec -a "Xvfb $display -screen 0 640x480x8" sleep 60) &
  local lookalike=$!
  sleep 60 &
  local reused=$!
  cleanup+=("$lookalike" "$reused")
  ( source "$source_dir/scripts/wine-env.sh"; wine_env_stop "$build" )
  local i
  for i in $(seq 1 100); do alive "$pid" || break; sleep 0.05; done
  alive "$pid" && fail "wine-env: the folder's own Xvfb still runs"
  alive "$lookalike" || fail "wine-env: a process that only looks like the server was stopped"
  [ -e "$build/xvfb.display" ] || [ -e "$build/xvfb.pid" ] &&
    fail "wine-env: the records of the stopped display were left"

  echo "$display" >"$build/xvfb.display"
  echo "$reused" >"$build/xvfb.pid"
  ( source "$source_dir/scripts/wine-env.sh"; wine_env_stop "$build" )
  alive "$reused" || fail "wine-env: a process that reuses a recorded id was stopped"
}

# ---- test-all.sh ---------------------------------------------------------------------
test_all_case() {
  local t
  t=$(tree test-all)
  # Left over from an earlier run that got further than this one will.
  echo "100% tests passed, 0 tests failed out of 57" >"$t/build/native-ctest.summary"
  echo "100% tests passed, 0 tests failed out of 40" >"$t/build/win64-ctest.summary"
  # Only the native build succeeds; its three tests pass.
  stand_in "$t" cmake 'case " $* " in *" native "*) exit 0 ;; *) exit 1 ;; esac'
  stand_in "$t" ctest 'echo "100% tests passed, 0 tests failed out of 3"'
  local out
  out=$(PATH="$t/bin:$PATH" bash "$t/scripts/test-all.sh" 2>&1)
  echo "$out" | grep -q '^tests: 3 passed, 0 failed$' ||
    fail "test-all: summary '$(echo "$out" | grep '^tests:')' instead of 3 passed, 0 failed"
  echo "$out" | grep -q '^win64:' && fail "test-all: an earlier run's win64 results are reported"
  echo "$out" | grep -qE '^  win64-test +not run$' ||
    fail "test-all: the win64 tests are not reported as not run"
}

# ---- fuzz.sh -------------------------------------------------------------------------
fuzz_case() {
  local t
  t=$(tree fuzz)
  mkdir -p "$t/build/fuzz/bin"
  stand_in "$t" cmake 'exit 0'
  printf 'fuzz_good\n\nfuzz_bad\n' >"$t/build/fuzz/fuzz-targets.txt"
  # Stand-ins that answer like libFuzzer and note how they were started.
  stand_in "$t" ../build/fuzz/bin/fuzz_good '
echo "$*" >>"$(dirname "$0")/fuzz_good.args"
corpus=${@: -1}; touch "$corpus/input-$RANDOM"
echo "stat::number_of_executed_units: 4242"'
  stand_in "$t" ../build/fuzz/bin/fuzz_bad '
echo "$*" >>"$(dirname "$0")/fuzz_bad.args"
prefix=$(printf "%s\n" "$@" | sed -n "s/^-artifact_prefix=//p")
touch "${prefix}crash-1"
echo "==1==ERROR: AddressSanitizer: heap-buffer-overflow"
echo "artifact_prefix=${prefix}; Test unit written to ${prefix}crash-1"
echo "stat::number_of_executed_units: 17"
exit 77'
  local out rc
  out=$(PATH="$t/bin:$PATH" bash "$t/scripts/fuzz.sh" 2>&1)
  rc=$?
  [ "$rc" -eq 1 ] || fail "fuzz: status $rc with a failing target (1 expected)"
  [ "$(echo "$out" | wc -l)" -eq 2 ] || fail "fuzz: not one line per target: $out"
  echo "$out" | grep -qE '^fuzz_good +ok +4242 runs, corpus 1 inputs$' ||
    fail "fuzz: line of the passing target: $(echo "$out" | grep fuzz_good)"
  echo "$out" | grep -E '^fuzz_bad +FAILED +exit 77 after 17 runs' | grep -q 'crashes/fuzz_bad-crash-1' ||
    fail "fuzz: line of the failing target: $(echo "$out" | grep fuzz_bad)"
  grep -qx -- "-max_total_time=60 -print_final_stats=1 -artifact_prefix=build/fuzz/crashes/fuzz_good- build/fuzz/corpus/fuzz_good" \
    "$t/build/fuzz/bin/fuzz_good.args" || fail "fuzz: started as $(cat "$t/build/fuzz/bin/fuzz_good.args")"

  # A given time; the corpus grows from run to run.
  out=$(PATH="$t/bin:$PATH" bash "$t/scripts/fuzz.sh" 5 2>&1)
  tail -1 "$t/build/fuzz/bin/fuzz_good.args" | grep -q -- '-max_total_time=5 ' ||
    fail "fuzz: the time given was not passed on"
  echo "$out" | grep -qE '^fuzz_good +ok +4242 runs, corpus 2 inputs$' ||
    fail "fuzz: the corpus did not carry over: $(echo "$out" | grep fuzz_good)"
  PATH="$t/bin:$PATH" bash "$t/scripts/fuzz.sh" 0 >/dev/null 2>&1
  [ $? -eq 2 ] || fail "fuzz: 0 seconds was not refused"
}

for c in wine_env_case test_all_case fuzz_case; do
  before=$failures
  $c
  [ "$failures" -eq "$before" ] && echo "ok: $c"
done
[ "$failures" -eq 0 ]
