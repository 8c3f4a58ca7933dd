#include "core/speedtest/SpeedTest.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/text/text.h"

namespace vpn::speedtest {

bool NoServerChosen(std::string_view serverText) {
  const std::string t = Trim(serverText);
  return t.empty() || t == "选择服务器列表" || t == "请选择节点线路";
}

std::string ReplyLine(std::string_view serverText, uint32_t roundTripMs) {
  char tail[48];
  std::snprintf(tail, sizeof tail, ":     time%s%u ms", roundTripMs != 0 ? "=" : "<1",
                unsigned(roundTripMs));
  return std::string(serverText) + tail;
}

std::string PingHost(const NodeTable& table, std::string_view lineName,
                     std::string_view serverText) {
  std::string host = table.ReadString(lineName, serverText, "");
  return host.empty() ? Trim(serverText) : host;
}

ServerTiming TimingOf(std::string name, bool resolved, int sent, int answered, double echoTotalMs,
                      double connectMs, int port) {
  ServerTiming t;
  t.name = std::move(name);
  t.resolved = resolved;
  t.sent = sent;
  t.answered = answered;
  if (answered > 0) {
    t.measure = Measure::kEcho;
    t.ms = echoTotalMs / answered;
  } else if (connectMs >= 0 && port > 0) {
    t.measure = Measure::kTcp;
    t.ms = connectMs;
    t.port = port;
  }
  return t;
}

void SortFastestFirst(std::vector<ServerTiming>& timings) {
  std::stable_sort(
      timings.begin(), timings.end(), [](const ServerTiming& a, const ServerTiming& b) {
        const bool aNone = a.measure == Measure::kNone, bNone = b.measure == Measure::kNone;
        if (aNone != bNone) return bNone;
        return !aNone && a.ms < b.ms;
      });
}

std::string TimingLine(const ServerTiming& t) {
  if (!t.resolved) return t.name + "  找不到主机";
  if (t.measure == Measure::kNone) return t.name + "  超时";
  const long ms = std::lround(t.ms);
  char text[64];
  if (t.ms < 1)
    std::snprintf(text, sizeof text, "  <1 ms");
  else
    std::snprintf(text, sizeof text, "  %ld ms", ms);
  std::string line = t.name + text;
  if (t.measure == Measure::kTcp) {
    std::snprintf(text, sizeof text, "  TCP %d", t.port);
  } else if (t.answered < t.sent) {
    std::snprintf(text, sizeof text, "  ICMP %d/%d", t.answered, t.sent);
  } else {
    std::snprintf(text, sizeof text, "  ICMP");
  }
  return line + text;
}

int StandInPort(std::string_view tunnelType) {
  if (SameTextAscii(tunnelType, "PPTP")) return 1723;
  if (SameTextAscii(tunnelType, "SSTP")) return 443;
  return 0;
}

}  // namespace vpn::speedtest
