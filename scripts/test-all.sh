#!/usr/bin/env bash
# Sets up, builds and runs every test of the four builds, then prints one summary.
#   native:        the portable core, host tools and their tests (AddressSanitizer + UBSan)
#   win64:         the program, rassim and the Windows tests, run under Wine on a virtual display
#   win32:         the shipped 32-bit program, its package and the test programs, compiled
#                  and linked only
#   win64-shipped: the shipped 64-bit program and its package, and the tests that install
#                  and run them under Wine
# Fuzz targets are built (clang) so they keep compiling; run them with scripts/fuzz.sh.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${JOBS:-$(nproc)}

bash scripts/setup.sh || { echo "setup failed"; exit 1; }
source scripts/wine-env.sh

declare -A result
overall=0
# The summary counts what this run produced: a run that stops before a test step must
# not report an earlier run's results.
rm -f build/native-ctest.summary build/win64-ctest.summary build/win64-shipped-ctest.summary

step() { # name, command...
  local name=$1; shift
  echo "=== $name"
  if "$@"; then result[$name]=ok; else result[$name]=FAILED; overall=1; fi
}

ctest_run() { # preset
  local log="build/$1-ctest.log"
  # The Windows test programs share one Wine prefix: its registry (the program's settings
  # key) and its desktop. Run them one after the other so no test sees another's windows
  # or settings; the native ones run in parallel.
  local j=$jobs
  [ "$1" != native ] && j=1
  ctest --preset "$1" -j"$j" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  grep -E 'tests passed|tests failed' "$log" | tail -1 > "build/$1-ctest.summary"
  return $rc
}

step native-build bash -c "cmake --preset native >/dev/null && cmake --build --preset native -j$jobs"
[ "${result[native-build]}" = ok ] && step native-test ctest_run native

step win64-build bash -c "cmake --preset win64 >/dev/null && cmake --build --preset win64 -j$jobs"
if [ "${result[win64-build]}" = ok ]; then
  step win64-test ctest_run win64
  wine_env_stop "$root/build/win64"
fi

step win32-build bash -c "cmake --preset win32 >/dev/null && cmake --build --preset win32 -j$jobs"

step win64-shipped-build bash -c "cmake --preset win64-shipped >/dev/null && cmake --build --preset win64-shipped -j$jobs"
if [ "${result[win64-shipped-build]}" = ok ]; then
  step win64-shipped-test ctest_run win64-shipped
  wine_env_stop "$root/build/win64-shipped"
fi

step fuzz-build bash -c "cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j$jobs"

echo
echo "=== summary"
passed=0 failed=0
for p in native win64 win64-shipped; do
  if [ -f "build/$p-ctest.summary" ]; then
    line=$(cat "build/$p-ctest.summary")
    echo "$p: $line"
    t=$(echo "$line" | sed -nE 's/.* out of ([0-9]+).*/\1/p')
    f=$(echo "$line" | sed -nE 's/.*tests passed, ([0-9]+) tests failed.*/\1/p')
    [ -n "$t" ] && passed=$((passed + t - ${f:-0})) && failed=$((failed + ${f:-0}))
  fi
done
for s in native-build native-test win64-build win64-test win32-build win64-shipped-build \
         win64-shipped-test fuzz-build; do
  printf '  %-19s %s\n' "$s" "${result[$s]:-not run}"
  [ "${result[$s]:-not run}" = ok ] || overall=1
done
echo "tests: $passed passed, $failed failed"
exit $overall
