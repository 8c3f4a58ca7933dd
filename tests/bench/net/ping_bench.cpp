// Pings a host with the program's echo client and prints the round trips it reports:
//   ping_bench [host=127.0.0.1] [count=20]
// Last line: "median_rtt_ms <n>" (the client's own figure, whole milliseconds).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/NetIcmpClient.h"

int main(int argc, char** argv) {
  std::string host = argc > 1 ? argv[1] : "127.0.0.1";
  int count = argc > 2 ? std::atoi(argv[2]) : 20;
  if (count < 1) count = 1;
  try {
    TNetIcmpClient icmp;
    icmp.Host = host;
    icmp.ReceiveTimeout = 1000;
    std::vector<uint32_t> times;
    icmp.OnReply = [&](TNetIcmpClient*, const TReplyStatus& r) {
      std::printf("seq %u from %s bytes %d ttl %u time %u ms%s\n", r.Sequence,
                  r.SourceAddress.c_str(), r.ByteCount, r.Ttl, r.RoundTripMs,
                  r.Status == TReplyStatusKind::TimedOut ? " (timed out)" : "");
      times.push_back(r.RoundTripMs);
    };
    for (int i = 0; i < count; ++i) icmp.Ping();
    std::printf("socket %s\n",
                icmp.UsingDatagramSocket() ? "datagram ICMP (raw refused)" : "raw ICMP");
    std::sort(times.begin(), times.end());
    std::printf("median_rtt_ms %u\n", times[times.size() / 2]);
  } catch (const std::exception& e) {
    std::printf("error: %s\n", e.what());
    return 1;
  }
  return 0;
}
