#!/usr/bin/env bash
# Sets up, builds and starts vpnclient under Wine against the simulated remote-access
# service (rassim) with a demo account (user demo, password demo, any server). With no
# display, a virtual one is started, a screenshot of the main window is saved and its path
# printed, and the program is closed again; with a display the program runs until you close
# it. VPNCLIENT_SCREENSHOT=1 takes the screenshot on an existing display too.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh
cmake --preset win64 >/dev/null
targets="vpnclient e2e_window_shot"
[ -f "$root/rassim/CMakeLists.txt" ] && targets="$targets rasapi32"
cmake --build --preset win64 -j"$(nproc)" --target $targets

build="$root/build/win64"
bin="$build/bin"
had_display=
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then had_display=1; fi
source scripts/wine-env.sh
wine_env_setup "$build"

# The demo scenario of the simulated service: every server answers, the account demo /
# demo connects, and each dial state takes a moment so that the status bar can be read.
if [ -f "$bin/rasapi32.dll" ]; then
  cat > "$bin/rassim.ini" <<'INI'
[service]
state_delay_ms=300
servers=*
[account demo]
password=demo
INI
  export WINEDLLOVERRIDES="mscoree,mshtml=;rasapi32=n"
fi

if [ -n "$had_display" ] && [ -z "${VPNCLIENT_SCREENSHOT:-}" ]; then
  exec "$WINE64" "$bin/vpnclient.exe"
fi

"$WINE64" "$bin/vpnclient.exe" </dev/null &
pid=$!
shot="$build/vpnclient-main-window"
if "$WINE64" "$bin/e2e_window_shot.exe" TFrmMain 'Morlu连接器' "Z:${shot//\//\\}.bmp" 30000 --close; then
  convert "$shot.bmp" "$shot.png" && rm -f "$shot.bmp"
  echo "screenshot of the main window: $shot.png"
  status=0
else
  echo "the main window did not appear" >&2
  status=1
fi
# The program was asked to close; end it if it has not within a few seconds.
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
exit $status
