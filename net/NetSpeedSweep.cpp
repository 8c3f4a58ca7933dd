#include "net/NetSpeedSweep.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <optional>
#include <thread>

#include "core/net/Address.h"
#include "core/net/IcmpPacket.h"
#include "core/text/text.h"

namespace {

using Clock = std::chrono::steady_clock;
using Address = std::array<uint8_t, 4>;

double MsBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// The address of every target; names are looked up on threads of their own, so that a
// slow answer for one does not hold up the others.
std::vector<std::optional<Address>> ResolveAll(TNetStack& stack,
                                               const std::vector<TSweepTarget>& targets) {
  std::vector<std::optional<Address>> addresses(targets.size());
  std::vector<std::string> texts(targets.size());
  std::vector<std::thread> lookups;
  for (size_t i = 0; i < targets.size(); ++i) {
    const std::string& host = targets[i].Host;
    if (vpn::SameTextAscii(host, "LOCALHOST"))
      texts[i] = "127.0.0.1";
    else if (TNetStack::IsIP(host))
      texts[i] = host;
    else
      lookups.emplace_back([&stack, &host, &text = texts[i]] {
        std::string ip;
        int error = 0;
        if (stack.LookupHost(host, ip, error)) text = ip;
      });
  }
  for (std::thread& t : lookups) t.join();
  for (size_t i = 0; i < targets.size(); ++i) {
    Address a{};
    if (!texts[i].empty() && vpn::net::ParseAddress(texts[i], a.data())) addresses[i] = a;
  }
  return addresses;
}

struct TPending {
  Clock::time_point since;
  bool waiting = false;
};

// The TCP sockets of one run, closed however it ends.
struct TConnects {
  explicit TConnects(TNetStack& s, size_t n) : stack(s), sockets(n, NetInvalidSocket), state(n) {}
  ~TConnects() {
    for (size_t i = 0; i < sockets.size(); ++i) Close(i);
  }
  void Close(size_t i) {
    if (sockets[i] != NetInvalidSocket) stack.CloseSocket(sockets[i]);
    sockets[i] = NetInvalidSocket;
    state[i].waiting = false;
  }
  TNetStack& stack;
  std::vector<TNetSocket> sockets;
  std::vector<TPending> state;
};

}  // namespace

TNetSpeedSweep::TNetSpeedSweep() {
  Protocol = NetProtoICMP;
}

std::vector<TSweepOutcome> TNetSpeedSweep::Run(const std::vector<TSweepTarget>& Targets,
                                               const TSweepSettings& Settings,
                                               const std::atomic<bool>* Abort) {
  using vpn::net::kIcmpRequestSize;
  const size_t n = Targets.size();
  const int echoes = std::max(Settings.Echoes, 0);
  std::vector<TSweepOutcome> out(n);
  const std::vector<std::optional<Address>> addresses = ResolveAll(Stack(), Targets);
  bool anyPort = false;
  for (size_t i = 0; i < n; ++i) {
    out[i].Resolved = addresses[i].has_value();
    anyPort = anyPort || (out[i].Resolved && Targets[i].TcpPort > 0);
  }

  FEchoUnavailable = false;
  try {
    Binding();
  } catch (const ENetInvalidSocket&) {
    FEchoUnavailable = true;
    if (!anyPort) throw;
  }
  const bool echo = !FEchoUnavailable && echoes > 0;
  TNetSocketHandle* socket = echo ? &Binding() : nullptr;
  const TNetSocket icmp = socket ? socket->Handle() : NetInvalidSocket;
  // Every request of the run has a sequence number of its own: target by target.
  const uint16_t base = uint16_t(Stack().TickCount() * 2654435761u >> 16);
  std::vector<TPending> requests(echo ? n * size_t(echoes) : 0);
  uint16_t identifier = uint16_t(Stack().ProcessId() & 0xFFFF);
  bool identifierKnown = !UsingDatagramSocket();

  const Clock::time_point start = Clock::now();
  const auto timeout = std::chrono::milliseconds(Settings.TimeoutMs);
  const auto spacing = std::chrono::milliseconds(std::max(Settings.SpacingMs, 0));

  TConnects connects(Stack(), n);
  for (size_t i = 0; i < n; ++i) {
    if (!out[i].Resolved || Targets[i].TcpPort <= 0) continue;
    const TNetSocket s = Stack().CreateSocket(ntStream, NetProtoTCP);
    if (s == NetInvalidSocket) continue;
    connects.sockets[i] = s;
    connects.state[i] = {Clock::now(), true};
    const int r = Stack().StartConnect(s, addresses[i]->data(), Targets[i].TcpPort);
    if (r == 0) out[i].TcpMs = MsBetween(connects.state[i].since, Clock::now());
    if (r != 1) connects.Close(i);
  }

  uint8_t request[vpn::net::kIcmpBufferSize];
  uint8_t buffer[vpn::net::kIcmpBufferSize];
  int rounds = 0;
  for (;;) {
    if (Abort && *Abort) break;
    Clock::time_point now = Clock::now();
    // The rounds that are due: one request to every server.
    while (echo && rounds < echoes && now >= start + spacing * rounds) {
      for (size_t i = 0; i < n; ++i) {
        if (!out[i].Resolved) continue;
        const size_t index = i * size_t(echoes) + size_t(rounds);
        vpn::net::BuildEchoRequest(request, identifier, uint16_t(base + index), Stack().TickCount(),
                                   {});
        ++out[i].Sent;
        requests[index] = {Clock::now(), true};
        try {
          socket->SendTo(TNetStack::AddressText(addresses[i]->data()), Port, request,
                         int(kIcmpRequestSize));
        } catch (const ENetException&) {
          requests[index].waiting = false;  // no way to this server: no answer will come
        }
        if (!identifierKnown) {
          // The kernel's datagram ICMP socket sends with an identifier of its own.
          const int port = Stack().LocalPortRaw(icmp);
          if (port >= 0) identifier = uint16_t(port);
          identifierKnown = true;
        }
      }
      ++rounds;
      now = Clock::now();
    }

    // What has waited its time gives up; what is left decides how long to wait.
    Clock::time_point next = Clock::time_point::max();
    if (echo && rounds < echoes) next = start + spacing * rounds;
    for (TPending& r : requests)
      if (r.waiting) {
        if (now >= r.since + timeout)
          r.waiting = false;
        else
          next = std::min(next, r.since + timeout);
      }
    std::vector<TNetSocket> connecting;
    std::vector<size_t> connectingIndex;
    for (size_t i = 0; i < n; ++i)
      if (connects.state[i].waiting) {
        if (now >= connects.state[i].since + timeout) {
          connects.Close(i);
          continue;
        }
        next = std::min(next, connects.state[i].since + timeout);
        connecting.push_back(connects.sockets[i]);
        connectingIndex.push_back(i);
      }
    if (next == Clock::time_point::max()) break;

    const double waitMs = std::max(0.0, std::ceil(MsBetween(now, next)));
    // Short waits, so that an abort is seen within a fraction of a second.
    const int wait = int(std::min(waitMs, 100.0));
    std::vector<TNetSocket> readable;
    if (echo) readable.push_back(icmp);
    if (readable.empty() && connecting.empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(wait));
      continue;
    }
    std::vector<uint8_t> ready;
    if (Stack().WaitSockets(readable, connecting, wait, ready) <= 0) continue;
    const Clock::time_point seen = Clock::now();

    if (echo && ready[0]) {
      for (int got; (got = ReceiveBuffer(buffer, int(sizeof buffer), 0)) > 0;) {
        vpn::net::EchoAnswer a;
        if (!vpn::net::ReadEchoAnswer(buffer, size_t(got), a) || a.identifier != identifier)
          continue;
        const size_t index = uint16_t(a.sequence - base);
        if (index >= requests.size() || !requests[index].waiting) continue;
        const size_t i = index / size_t(echoes);
        if (std::memcmp(a.source, addresses[i]->data(), 4) != 0) continue;
        requests[index].waiting = false;
        if (!a.answered) continue;
        const double ms = MsBetween(requests[index].since, seen);
        ++out[i].Answered;
        out[i].EchoTotalMs += ms;
        out[i].BestEchoMs = out[i].BestEchoMs < 0 ? ms : std::min(out[i].BestEchoMs, ms);
      }
    }
    for (size_t k = 0; k < connecting.size(); ++k) {
      if (!ready[readable.size() + k]) continue;
      const size_t i = connectingIndex[k];
      if (Stack().ConnectError(connects.sockets[i]) == 0)
        out[i].TcpMs = MsBetween(connects.state[i].since, seen);
      connects.Close(i);
    }
  }
  CloseBinding();
  return out;
}
