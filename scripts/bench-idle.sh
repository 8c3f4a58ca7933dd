#!/usr/bin/env bash
# Idle benchmark (not a test): how often the program's threads wake and what share of a
# core it takes while it has nothing to do, over SECONDS (default 20) each:
#   window  the main window open, the mouse away from it
#   tray    started hidden in the notification area (/tray)
#   online  connected (to rassim, by itself once started) and hidden in the notification area
# beside the minimal window program sitting idle the same way, then the start-up figures
# of scripts/bench-startup.sh (STARTS starts, default 10).
#   bash scripts/bench-idle.sh [SECONDS] [STARTS] [EXTRA.exe CLASS CAPTION]...
# (extra programs are handed to the start-up benchmark, measured in the same rounds).
# Read from outside: the context switches of the process's threads (/proc/PID/task/*/
# status), grouped into wake-ups (one timer tick makes several switches, each call to
# the Wine server being one), and its user and system time (/proc/PID/stat).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
starts=${2:-10}
shift 2 || shift $#
cmake --preset win64 >/dev/null
targets="vpnclient bench_minimal_window"
[ -f rassim/CMakeLists.txt ] && targets="$targets rasapi32"
cmake --build --preset win64 -j2 --target $targets >/dev/null
build="$(pwd)/build/win64"
bin="$build/bin"
source scripts/wine-env.sh
export WINEDLLOVERRIDES="mscoree,mshtml=;rasapi32=n"
wine_env_setup "$build"
key='HKLM\SOFTWARE\vpnclient'
ukey='HKCU\SOFTWARE\vpnclient'
cat > "$bin/rassim.ini" <<'INI'
[service]
state_delay_ms=0
servers=*
[account demo]
password=demo
INI

reg_reset() {
  "$WINE64" reg delete "$key" /f >/dev/null 2>&1 || true
  "$WINE64" reg delete "$ukey" /f >/dev/null 2>&1 || true
}
reg_set() { "$WINE64" reg add "$key" /v "$1" /d "$2" /f >/dev/null 2>&1; }

# measure NAME PID: over the interval, the context switches of all the process's threads
# a second, the wake-ups a second (a wake-up is a burst of switches: switches closer
# than 20 ms to the last one belong to the same wake-up, read every 5 ms), and the user
# and system time of the process as a share of a core.
measure() {
  python3 - "$1" "$2" "$seconds" <<'PY'
import glob, os, sys, time
name, pid, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
def switches():
    n = 0
    for f in glob.glob(f"/proc/{pid}/task/*/status"):
        try:
            for line in open(f):
                if line.startswith(("voluntary_ctxt", "nonvoluntary_ctxt")):
                    n += int(line.split()[1])
        except OSError:
            pass
    return n
def ticks():
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])
s0, t0 = switches(), ticks()
start = time.monotonic()
last, quiet_since, wakeups = s0, start - 1, 0
while (now := time.monotonic()) - start < seconds:
    n = switches()
    if n != last:
        if now - quiet_since >= 0.02:
            wakeups += 1
        last = n
        quiet_since = now
    time.sleep(0.005)
s1, t1 = switches(), ticks()
threads = len(os.listdir(f"/proc/{pid}/task"))
share = 100 * (t1 - t0) / os.sysconf("SC_CLK_TCK") / seconds
print(f"  {name:34s} {wakeups / seconds:6.2f} wake-ups/s {(s1 - s0) / seconds:7.2f} switches/s"
      f" {share:6.2f}% of a core ({threads} threads)")
PY
}

# A window is up when a top-level window of that title exists on the display.
wait_window() {
  local title=$1 i
  for i in $(seq 1 300); do
    xdotool search --name "^$title\$" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "bench-idle: no window \"$title\" appeared" >&2
  return 1
}

# settle: the start's own work (the hidden windows, the first pictures, the balloon) is over.
settle() { sleep 3; }

# stop PID: the program is asked to end, and made to if it does not.
stop() {
  local pid=$1 i
  "$WINE64" "$bin/vpnclient.exe" /quit >/dev/null 2>&1 || true
  for i in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

away() { xdotool mousemove 1020 760; }

echo "idle over ${seconds} s each (the mouse off every window):"

"$WINE64" "$bin/bench_minimal_window.exe" </dev/null >/dev/null 2>&1 &
pid=$!
wait_window Minimal; away; settle
measure "minimal window program, open" "$pid"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

reg_reset
"$WINE64" "$bin/vpnclient.exe" </dev/null >/dev/null 2>&1 &
pid=$!
wait_window 'Morlu连接器'; away; settle
measure "vpnclient, window open" "$pid"
stop "$pid"

reg_reset
"$WINE64" "$bin/vpnclient.exe" /tray </dev/null >/dev/null 2>&1 &
pid=$!
settle; settle; away
measure "vpnclient, hidden in the tray" "$pid"
stop "$pid"

reg_reset
reg_set IPAddr 127.0.0.1
reg_set UserName demo
reg_set Password demo
reg_set Check Yes
reg_set ConnectOnStart Yes
"$WINE64" "$bin/vpnclient.exe" </dev/null >/dev/null 2>&1 &
pid=$!
settle; settle; away
state=$("$WINE64" "$bin/vpnclient.exe" /status 2>/dev/null | tr -d '\r' | head -1 || true)
measure "vpnclient, connected in the tray" "$pid"
echo "    (its state then: ${state:-unknown})"
stop "$pid"
reg_reset
printf '  load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"

echo
bash scripts/bench-startup.sh "$starts" "$@" 2>/dev/null
