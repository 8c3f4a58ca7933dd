#!/usr/bin/env bash
# Skinned scroll bars benchmark (not a test): the median time to drag the thumb of the
# skin gallery's list box of LINES lines (default 10 000) from the top to the end, with
# the default skin and unskinned, side by side with their ratio, over ROUNDS drags each
# (default 7).
#   bash scripts/bench-skinscroll.sh [ROUNDS] [LINES]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-7}
lines=${2:-10000}
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target bench_skin_scroll skingallery >/dev/null
build="$(pwd)/build/win64"
source scripts/wine-env.sh
wine_env_setup "$build"
"$WINE64" "$build/bin/bench_skin_scroll.exe" "$rounds" "$lines" | tr -d '\r'
