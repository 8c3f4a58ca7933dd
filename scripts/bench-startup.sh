#!/usr/bin/env bash
# Start-up benchmark (not a test): the median time from process start until the main window
# is visible and until it also wears the skin's frame, over RUNS starts
# (default 20), for vpnclient.exe, for the minimal window program and for the barest one
# (C, no run-time library) under the same Wine, and the ratios to both; also to the same
# minimal window in a program that asks for version 6 of the common controls, as
# vpnclient's manifest does (what that request alone costs at start-up). Measured from
# outside by a small Windows program (startup_probe.exe) that starts the targets in turn,
# start by start, so that the machine's load falls on all alike, and polls for their windows.
#   bash scripts/bench-startup.sh [RUNS] [EXTRA.exe CLASS CAPTION]...
# Extra programs (for example an older vpnclient.exe copied elsewhere) are measured in the
# same rounds, by the same two measures as the program, and each median is compared with
# the minimal program's.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
shift || true
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target vpnclient startup_probe bench_minimal_window bench_themed_window \
  bench_bare_window >/dev/null
build="$(pwd)/build/win64"
source scripts/wine-env.sh
wine_env_setup "$build"
# The program starts with its settings as a first start finds them.
"$WINE64" reg delete 'HKLM\SOFTWARE\vpnclient' /f >/dev/null 2>&1 || true

winepath_w() { echo "Z:${1//\//\\}"; }
targets=("$(winepath_w "$build/bin/vpnclient.exe")" TFrmMain 'Morlu连接器' visible
         "$(winepath_w "$build/bin/vpnclient.exe")" TFrmMain 'Morlu连接器' skinned)
while [ $# -ge 3 ]; do
  targets+=("$(winepath_w "$(realpath "$1")")" "$2" "$3" visible
            "$(winepath_w "$(realpath "$1")")" "$2" "$3" skinned)
  shift 3
done
minimal=("$(winepath_w "$build/bin/bench_bare_window.exe")" BareWindow Bare visible
         "$(winepath_w "$build/bin/bench_themed_window.exe")" MinimalWindow Minimal visible
         "$(winepath_w "$build/bin/bench_minimal_window.exe")" MinimalWindow Minimal visible)

# One unmeasured round warms the file cache and the Wine server.
"$WINE64" "$build/bin/startup_probe.exe" 1 "${targets[@]}" "${minimal[@]}" >/dev/null
out=$("$WINE64" "$build/bin/startup_probe.exe" "$runs" "${targets[@]}" "${minimal[@]}" | tr -d '\r')
echo "$out" | grep '^run ' | sed 's/^/  /' >&2
echo "start-up until the main window is visible (skinned: and wears the skin's frame),"
echo "median of $runs starts each, taking turns:"
echo "$out" | awk '/^median / { printf "  %-28s %8.1f ms\n", $2, $3 }'
echo "$out" | awk '/^ratio / && $2 != "bench_minimal_window.exe" { printf "  ratio %-22s %8.2f (to bench_minimal_window.exe)\n", $2, $3 }'
echo "$out" | awk '/^median / { m[$2] = $3 }
  END { for (k in m) if (k != "bench_bare_window.exe" && k != "bench_minimal_window.exe")
          printf "  ratio %-22s %8.2f (to bench_bare_window.exe)\n", k, m[k] / m["bench_bare_window.exe"] }' | sort
echo "$out" | awk '/^median / { m[$2] = $3 }
  END { for (k in m) if (k !~ /^bench_/)
          printf "  ratio %-22s %8.2f (to bench_themed_window.exe)\n", k, m[k] / m["bench_themed_window.exe"] }' | sort
# On a busy machine the fastest start of each says more than the median.
echo "fastest start of each (and its ratio to the minimal window program's):"
echo "$out" | awk '/^run / { k = $3; sub(":", "", k); v = $4 + 0; if (!(k in m) || v < m[k]) m[k] = v }
  END { for (k in m) printf "  %-28s %8.1f ms %6.2f\n", k, m[k], m[k] / m["bench_minimal_window.exe"] }' | sort
printf '  load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
