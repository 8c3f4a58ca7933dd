#!/usr/bin/env bash
# Skinned controls and menus benchmark (not a test): the median time to repaint the main
# window's push button, check box and status bar, and to open the tray menu until its
# window has painted, each with the skin and with the skin off, side by side with their
# ratio, over ROUNDS rounds (default 300 repaints, 50 menu openings).
#   bash scripts/bench-skincontrols.sh [ROUNDS] [MENU_ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-300}
menu_rounds=${2:-50}
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target bench_skin_controls bench_skin_menu >/dev/null
build="$(pwd)/build/win64"
source scripts/wine-env.sh
wine_env_setup "$build"
echo "load: $(uptime)"
"$WINE64" "$build/bin/bench_skin_controls.exe" "$rounds" | tr -d '\r'
"$WINE64" "$build/bin/bench_skin_menu.exe" "$menu_rounds" | tr -d '\r'
