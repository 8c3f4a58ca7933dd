#include "net/NetIcmpClient.h"

#include <cstring>

using namespace vpn::net;

TNetIcmpClient::TNetIcmpClient() {
  Protocol = NetProtoICMP;
}

uint16_t TNetIcmpClient::Identifier() {
  return uint16_t(Stack().ProcessId() & 0xFFFF);
}

void TNetIcmpClient::Ping(std::string_view payload, uint16_t sequence) {
  if (sequence != 0) sequenceNumber_ = sequence;
  BuildEchoRequest(request_, Identifier(), sequenceNumber_, Stack().TickCount(), payload);
  const uint32_t start = Stack().TickCount();
  SendBuffer(request_, int(kIcmpRequestSize));
  // The kernel's datagram ICMP socket puts its own identifier into the request.
  uint16_t identifier = Identifier();
  if (UsingDatagramSocket()) {
    int port = Stack().LocalPortRaw(Binding().Handle());
    if (port >= 0) identifier = uint16_t(port);
  }
  TReplyStatus status = ReceiveReply(ReceiveTimeout, identifier);
  const uint32_t roundTrip = TickDiff(start, Stack().TickCount());
  CloseBinding();
  replyStatus_ = status;
  replyStatus_.RoundTripMs = roundTrip;
  if (OnReply) OnReply(this, replyStatus_);
  ++sequenceNumber_;
}

TReplyStatus TNetIcmpClient::ReceiveReply(int timeoutMs, uint16_t identifier) {
  std::memset(receive_, 0, sizeof receive_);
  const uint32_t waitStart = Stack().TickCount();
  TReplyStatus status;
  for (;;) {
    int n = ReceiveBuffer(receive_, int(sizeof receive_), timeoutMs);
    if (ExamineReply(receive_, size_t(n), identifier, sequenceNumber_, status) ==
        IcmpVerdict::Ended)
      return status;
    // Whatever else arrived, the limit shrinks by all the time spent since the wait began.
    timeoutMs -= int(TickDiff(waitStart, Stack().TickCount()));
    if (timeoutMs <= 0) return TimedOutStatus(sequenceNumber_);
  }
}
