#!/usr/bin/env bash
# Skinned frame benchmark (not a test): the median time of the main window's frame paint
# with the skin, of building its window region, and of the same window's non-client
# paint by the system with the skin off, as ratios, over ROUNDS rounds (default 300).
#   bash scripts/bench-skinframe.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-300}
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target bench_skin_frame >/dev/null
build="$(pwd)/build/win64"
source scripts/wine-env.sh
wine_env_setup "$build"
"$WINE64" "$build/bin/bench_skin_frame.exe" "$rounds" | tr -d '\r'
