#!/usr/bin/env bash
# Captures the echo client's requests on the loopback interface and checks them on the
# wire: 52 bytes of ICMP after the IP header, type 8, and a checksum that the capture
# tool finds valid.
#   icmp-capture.sh PING_PROGRAM [WRAPPER...]    (PING_PROGRAM: the ping_bench tool)
set -u
prog=${1:?ping program}
shift
command -v tshark >/dev/null || { echo "capture check: tshark is missing (Debian package tshark)"; exit 1; }
dir=$(mktemp -d)
trap 'kill $cap 2>/dev/null; rm -rf "$dir"' EXIT
# Only echo requests with a payload of 32 "E" (0x45): those of this client.
tshark -i lo -w "$dir/cap.pcapng" -f "icmp and icmp[0] == 8" >"$dir/tshark.log" 2>&1 &
cap=$!
for i in $(seq 1 150); do grep -q "Capture started" "$dir/tshark.log" && break; sleep 0.1; done
grep -q "Capture started" "$dir/tshark.log" || { echo "capture check: tshark could not capture on lo:"; cat "$dir/tshark.log"; exit 1; }
"$@" "$prog" 127.0.0.1 3 || { echo "capture check: the ping program failed"; exit 1; }
sleep 0.5
kill -INT $cap
wait $cap 2>/dev/null
tshark -r "$dir/cap.pcapng" -T fields -E separator=' ' \
  -e ip.len -e ip.hdr_len -e icmp.type -e icmp.checksum.status -e icmp.seq_le -e data.data >"$dir/fields" 2>/dev/null
echo "captured echo requests (ip length, header length, type, checksum status, sequence, payload):"
cat "$dir/fields"
ours=$(grep -cE " [0-9a-f]{24}(45){32}$" "$dir/fields")
[ "$ours" -ge 3 ] || { echo "capture check: FAILED: expected 3 requests of this client on the wire, saw $ours"; exit 1; }
bad=$(grep -E " [0-9a-f]{24}(45){32}$" "$dir/fields" |
      awk '$1 - $2 != 52 || $3 != 8 || $4 != 1' | wc -l)
[ "$bad" -eq 0 ] || { echo "capture check: FAILED: $bad requests not 52 ICMP bytes with a good checksum"; exit 1; }
echo "capture check: $ours requests of 52 ICMP bytes, type 8, checksum good"
