#!/usr/bin/env bash
# The median round trip that the program's echo client reports for 127.0.0.1, next to
# the system ping utility's median, and their difference in milliseconds.
#   tests/bench/net/ping-bench.sh [count=20]   (after building ping_bench natively and/or win64)
set -u
root=$(cd "$(dirname "$0")/../../.." && pwd)
count=${1:-20}
command -v ping >/dev/null || { echo "ping-bench: the system ping utility is missing (iputils-ping)"; exit 1; }

sys=$(ping -n -c "$count" -i 0.2 127.0.0.1 | sed -n 's/.*time=\([0-9.]*\) ms/\1/p' | sort -g |
      awk '{a[NR]=$1} END {if (NR) print a[int(NR/2)+1]; else print "none"}')
echo "system ping median:           $sys ms"
run() {
  local label=$1; shift
  local out median
  out=$("$@" 127.0.0.1 "$count" 2>&1) || { echo "$label: failed: $out"; return; }
  median=$(echo "$out" | sed -n 's/^median_rtt_ms //p')
  echo "$label client median:  $median ms  ($(echo "$out" | grep '^socket'))"
  awk -v a="$median" -v b="$sys" 'BEGIN {printf "  difference (client - system): %+.3f ms\n", a - b}'
}
[ -x "$root/build/native/bin/ping_bench" ] && run "native     " "$root/build/native/bin/ping_bench"
[ -x "$root/build/win64/bin/ping_bench.exe" ] &&
  run "win64/Wine " "$root/build/win64/wine-run" "$root/build/win64/bin/ping_bench.exe"
exit 0
