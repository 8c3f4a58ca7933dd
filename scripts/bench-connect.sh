#!/usr/bin/env bash
# Connect benchmark (not a test): the median time from a click on Connect until the
# connected status, over RUNS connects (default 10) on both dialing paths, against rassim
# answering at once; beside it the same remote-access calls made by a process without a
# window (the reference), and their ratio. Each path twice: seen from outside (the status
# bar read every millisecond, which the program answers between its own steps), and by the
# stamp the program's connection log gives the connected text (nothing asked of the
# program meanwhile).
#   bash scripts/bench-connect.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target bench_connect >/dev/null
build="$(pwd)/build/win64"
source scripts/wine-env.sh
wine_env_setup "$build"
"$WINE64" "$build/bin/bench_connect.exe" "$runs" | tr -d '\r'
printf '  load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
