#!/usr/bin/env bash
# Skinned controls benchmark (not a test): the median time to repaint the main window's
# push button, check box and status bar with the skin and with the skin off, as ratios,
# over ROUNDS rounds (default 300).
#   bash scripts/bench-skincontrols.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-300}
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target bench_skin_controls >/dev/null
build="$(pwd)/build/win64"
source scripts/wine-env.sh
wine_env_setup "$build"
"$WINE64" "$build/bin/bench_skin_controls.exe" "$rounds" | tr -d '\r'
