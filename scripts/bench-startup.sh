#!/usr/bin/env bash
# Start-up benchmark (not a test): the median time from process start until the main window
# is visible, and until it wears the skin's frame, over RUNS starts (default 10), for
# vpnclient.exe and for a minimal window program under the same Wine, and their ratios. Measured from outside by a small Windows
# program (startup_probe.exe) that starts the target and polls for its window.
#   bash scripts/bench-startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target vpnclient startup_probe bench_minimal_window >/dev/null
build="$(pwd)/build/win64"
source scripts/wine-env.sh
wine_env_setup "$build"
# The program starts with its settings as a first start finds them.
"$WINE64" reg delete 'HKLM\SOFTWARE\vpnclient' /f >/dev/null 2>&1 || true

probe() {  # probe EXE CLASS CAPTION [skinned] -> per-run lines to stderr, the median to stdout
  local out
  out=$("$WINE64" "$build/bin/startup_probe.exe" "$(winepath_w "$1")" "$2" "$3" "$runs" ${4:-})
  echo "$out" | grep -v '^median' | sed "s|^|  $(basename "$1"): |" >&2
  echo "$out" | sed -n 's/^median_ms=//p' | tr -d '\r'
}
winepath_w() { echo "Z:${1//\//\\}"; }

# One unmeasured start of each warms the file cache and the Wine server.
"$WINE64" "$build/bin/startup_probe.exe" "$(winepath_w "$build/bin/bench_minimal_window.exe")" MinimalWindow Minimal 1 >/dev/null
"$WINE64" "$build/bin/startup_probe.exe" "$(winepath_w "$build/bin/vpnclient.exe")" TFrmMain 'Morlu连接器' 1 >/dev/null
minimal=$(probe "$build/bin/bench_minimal_window.exe" MinimalWindow Minimal)
program=$(probe "$build/bin/vpnclient.exe" TFrmMain 'Morlu连接器')
skinned=$(probe "$build/bin/vpnclient.exe" TFrmMain 'Morlu连接器' skinned)
echo "start-up until the main window is visible, median of $runs runs under Wine:"
printf '  vpnclient.exe           %8.1f ms\n' "$program"
printf '  vpnclient.exe, skinned  %8.1f ms   (until the skin'"'"'s frame is on)\n' "$skinned"
printf '  minimal window program  %8.1f ms\n' "$minimal"
awk -v a="$program" -v b="$minimal" 'BEGIN { printf "  ratio                   %8.2f\n", a / b }'
awk -v a="$skinned" -v b="$minimal" 'BEGIN { printf "  ratio, skinned          %8.2f\n", a / b }'
