#!/usr/bin/env bash
# Speed-test benchmark (not a test): the time to measure the servers of a line at once, as
# the speed-test window does (nine echo requests to every server, one second's wait for
# each), against the time of one echo time-out, for 50 servers that answer (127.0.0.x),
# 25 that answer and 25 that never do, and 50 that never do. The silent servers are
# addresses of a network namespace of this script's own with echo answers switched off
# (needs root and iproute2; without them only the answering case is measured). The
# program's 64-bit build runs under Wine.
#   bash scripts/bench-speedtest.sh [ROUNDS=5]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
timeout_ms=1000
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target sweep_bench >/dev/null
build="$(pwd)/build/win64"
source scripts/wine-env.sh
wine_env_setup "$build"

ns="vsbench$$"
silent=()
cleanup() { ip netns del "$ns" 2>/dev/null || true; ip link del "${ns}h" 2>/dev/null || true; }
if [ "$(id -u)" = 0 ] && command -v ip >/dev/null; then
  trap cleanup EXIT
  ip netns add "$ns"
  ip link add "${ns}h" type veth peer name "${ns}n"
  ip link set "${ns}n" netns "$ns"
  ip addr add 10.214.77.1/24 dev "${ns}h"
  ip link set "${ns}h" up
  ip netns exec "$ns" ip link set "${ns}n" up
  ip netns exec "$ns" ip link set lo up
  for i in $(seq 2 51); do
    ip netns exec "$ns" ip addr add "10.214.77.$i/24" dev "${ns}n"
    silent+=("10.214.77.$i")
  done
  ip netns exec "$ns" sysctl -qw net.ipv4.icmp_echo_ignore_all=1
else
  echo "  (not root, or no iproute2: only servers that answer are measured)"
fi

answering=()
for i in $(seq 1 50); do answering+=("127.0.0.$i"); done

measure() {
  local label=$1; shift
  local out median
  out=$("$WINE64" "$build/bin/sweep_bench.exe" "$rounds" "$timeout_ms" "$@" | tr -d '\r')
  if ! median=$(echo "$out" | sed -n 's/^median_ms //p') || [ -z "$median" ]; then
    echo "  $label: failed: $out"
    return
  fi
  echo "$out" | grep '^round ' | sed 's/^/    /' >&2
  awk -v l="$label" -v m="$median" -v t="$timeout_ms" \
    'BEGIN { printf "  %-36s %8.1f ms   %.2f x one echo time-out\n", l, m, m / t }'
}

echo "speed test of 50 servers at once, 9 echoes each, ${timeout_ms} ms time-out, median of $rounds:"
measure "50 answering" "${answering[@]}"
if [ ${#silent[@]} -gt 0 ]; then
  measure "25 answering, 25 silent" "${answering[@]:0:25}" "${silent[@]:0:25}"
  measure "50 silent" "${silent[@]}"
fi
echo "  goal: under 1.50 x one echo time-out (one server after the other: 9 x 50 = 450 time-outs"
echo "        for 50 silent servers)"
printf '  load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
