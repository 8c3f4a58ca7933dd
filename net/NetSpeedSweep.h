// Many servers measured at once: every server gets its echo requests in rounds a few
// milliseconds apart, all over one ICMP socket, and, where a port is given, a TCP connect
// to that port at the same moment, which stands in for the echo where a network filters
// ICMP. The measurement ends when every request has been answered or has waited its time
// limit: a line of fifty servers takes about one time-out, not fifty.
//
//   TNetSpeedSweep sweep;
//   auto outcomes = sweep.Run({{"10.0.0.1", 1723}, {"vpn2.example", 0}}, {});
//
// Runs on the calling thread; a caller that must stay responsive runs it on a worker and
// ends it early through the abort flag.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "net/NetRawBase.h"

struct TSweepTarget {
  std::string Host;  // dotted address or name
  int TcpPort = 0;   // the port whose connect stands in for the echo; 0: echo only
};

struct TSweepSettings {
  int Echoes = 9;        // echo requests to every server
  int TimeoutMs = 1000;  // how long each request (and the connect) may wait
  int SpacingMs = 20;    // between two rounds of requests
};

struct TSweepOutcome {
  bool Resolved = false;   // the name gave an address (nothing was sent otherwise)
  int Sent = 0;            // echo requests sent
  int Answered = 0;        // echo replies within the limit
  double EchoTotalMs = 0;  // their round trips added up
  double BestEchoMs = -1;  // the fastest of them; < 0 without any
  double TcpMs = -1;       // the connect's time; < 0 when it did not connect in time
};

class TNetSpeedSweep : public TNetRawBase {
 public:
  TNetSpeedSweep();

  // One outcome per target, in the targets' order. Raises ENetInvalidSocket when no ICMP
  // socket can be had and no target has a port to connect to instead.
  std::vector<TSweepOutcome> Run(const std::vector<TSweepTarget>& Targets,
                                 const TSweepSettings& Settings,
                                 const std::atomic<bool>* Abort = nullptr);

  // The last Run could not send echo requests (no ICMP socket): only connects measured.
  bool EchoUnavailable() const { return FEchoUnavailable; }

 private:
  bool FEchoUnavailable = false;
};
