#!/usr/bin/env bash
# A host that takes echo requests and never answers them, for the ping time-out test:
# a network namespace of our own behind a virtual link, with echo answers switched off.
#   silent-host.sh up NAME THIRD_OCTET    -> host side 10.213.N.1, silent host 10.213.N.2
#   silent-host.sh down NAME
set -u
cmd=${1:?up or down}
name=${2:?namespace name}

fail() {
  echo "silent host: $*" >&2
  ip netns del "$name" 2>/dev/null
  exit 1
}

case $cmd in
  up)
    n=${3:?third octet}
    command -v ip >/dev/null || fail "the 'ip' tool (iproute2) is missing"
    ip netns del "$name" 2>/dev/null
    ip netns add "$name" || fail "cannot create the network namespace $name (needs root)"
    ip link add "${name}h" type veth peer name "${name}n" || fail "cannot create the virtual link ${name}h (veth)"
    ip link set "${name}n" netns "$name" || fail "cannot move ${name}n into $name"
    ip addr add "10.213.$n.1/30" dev "${name}h" && ip link set "${name}h" up || fail "cannot address ${name}h"
    ip netns exec "$name" ip addr add "10.213.$n.2/30" dev "${name}n" &&
      ip netns exec "$name" ip link set "${name}n" up &&
      ip netns exec "$name" ip link set lo up || fail "cannot address ${name}n inside $name"
    ip netns exec "$name" sysctl -qw net.ipv4.icmp_echo_ignore_all=1 || fail "cannot switch echo answers off in $name"
    echo "silent host 10.213.$n.2 ready in network namespace $name"
    ;;
  down)
    ip netns del "$name" 2>/dev/null
    ip link del "${name}h" 2>/dev/null
    echo "silent host $name removed"
    ;;
esac
exit 0
