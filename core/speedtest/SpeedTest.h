// The rules of the server speed test that need no window: which server texts mean that
// no server was chosen, the node table that maps a line and a server to the host to
// ping, and the text of one reply line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/speedtest/NodeList.h"

namespace vpn::speedtest {

// The server edit's placeholder texts (and an empty or blank text) mean that no server
// was chosen; the test then only moves the focus to the edit.
bool NoServerChosen(std::string_view serverText);

// "<server>:     time=<n> ms", or "time<1<n> ms" for a round trip of 0.
std::string ReplyLine(std::string_view serverText, uint32_t roundTripMs);

// The host to ping: the table's entry for (line name, server text) when it has one,
// otherwise the server text itself without its surrounding blanks.
std::string PingHost(const NodeTable& table, std::string_view lineName,
                     std::string_view serverText);

// The speed test of a whole line, one entry per server.
enum class Measure {
  kNone,  // nothing answered in time
  kEcho,  // echo replies
  kTcp,   // a connect to the tunnel's port stood in for the echo
};
struct ServerTiming {
  std::string name;      // the server as the list names it
  bool resolved = true;  // false: its host name could not be looked up
  Measure measure = Measure::kNone;
  double ms = 0;               // the average echo round trip, or the connect's time
  int answered = 0, sent = 0;  // echo replies and requests
  int port = 0;                // the port of a connect that stood in
};

// What one server's echoes and connect give: the echoes when any answered, else the
// connect when it got through, else nothing.
ServerTiming TimingOf(std::string name, bool resolved, int sent, int answered, double echoTotalMs,
                      double connectMs, int port);

// Fastest first; servers that did not answer after all that did, in the list's order.
void SortFastestFirst(std::vector<ServerTiming>& timings);

// One line of the speed-test window: "vpn1.example  12 ms  ICMP", with "7/9" after ICMP
// when echoes were lost, "  35 ms  TCP 1723" for a connect, "  超时" when nothing
// answered, "  找不到主机" when the name could not be looked up; "<1 ms" under a millisecond.
std::string TimingLine(const ServerTiming& timing);

// The port of the tunnel type whose TCP connect can stand in where a network filters the
// echo: 1723 for PPTP, 443 for SSTP; 0 for the types that have none (L2TP and IKEv2 run
// over UDP, which cannot be connected to), also for an empty or unknown name.
int StandInPort(std::string_view tunnelType);

}  // namespace vpn::speedtest
