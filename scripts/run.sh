#!/usr/bin/env bash
# Sets up, builds and starts vpnclient under Wine against the simulated remote-access
# service (rassim) with a demo account. With no display, a virtual one is started, a
# screenshot of the main window is saved and its path printed, and the program is
# closed again; with a display the program runs until you close it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j"$(nproc)" --target vpnclient $(grep -q '^rassim' <(ls "$root" ) && echo rasapi32 || true)

build="$root/build/win64"
bin="$build/bin"
had_display=${DISPLAY:-}
source scripts/wine-env.sh
wine_env_setup "$build"

# The demo scenario: any server, the demo account demo / demo.
if [ -f "$bin/rasapi32.dll" ]; then
  cat > "$bin/rassim.ini" <<'INI'
[service]
connect_delay_ms=400
[account demo]
password=demo
INI
  export WINEDLLOVERRIDES="mscoree,mshtml=;rasapi32=n"
fi

if [ -n "$had_display" ] && [ -z "${VPNCLIENT_SCREENSHOT:-}" ]; then
  exec "$WINE64" "$bin/vpnclient.exe"
fi

"$WINE64" "$bin/vpnclient.exe" &
pid=$!
for i in $(seq 1 100); do
  xdotool search --name 'Morlu' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 1.5
shot="$build/vpnclient-main-window.png"
import -window root "$shot"
echo "screenshot of the main window: $shot"
"$WINE64" taskkill /im vpnclient.exe >/dev/null 2>&1 || kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
