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
  if (sequence != 0) FSequenceNumber = sequence;
  BuildEchoRequest(FRequest, Identifier(), FSequenceNumber, Stack().TickCount(), payload);
  const uint32_t start = Stack().TickCount();
  SendBuffer(FRequest, int(kIcmpRequestSize));
  // The kernel's datagram ICMP socket puts its own identifier into the request.
  uint16_t identifier = Identifier();
  if (UsingDatagramSocket()) {
    int port = Stack().LocalPortRaw(Binding().Handle());
    if (port >= 0) identifier = uint16_t(port);
  }
  TReplyStatus status = ReceiveReply(ReceiveTimeout, identifier);
  const uint32_t roundTrip = TickDiff(start, Stack().TickCount());
  CloseBinding();
  FReplyStatus = status;
  FReplyStatus.RoundTripMs = roundTrip;
  if (OnReply) OnReply(this, FReplyStatus);
  ++FSequenceNumber;
}

TReplyStatus TNetIcmpClient::ReceiveReply(int timeoutMs, uint16_t identifier) {
  std::memset(FReceive, 0, sizeof FReceive);
  const uint32_t waitStart = Stack().TickCount();
  TReplyStatus status;
  for (;;) {
    int n = ReceiveBuffer(FReceive, int(sizeof FReceive), timeoutMs);
    if (ExamineReply(FReceive, size_t(n), identifier, FSequenceNumber, status) ==
        IcmpVerdict::Ended)
      return status;
    // Whatever else arrived, the limit shrinks by all the time spent since the wait began.
    timeoutMs -= int(TickDiff(waitStart, Stack().TickCount()));
    if (timeoutMs <= 0) return TimedOutStatus(FSequenceNumber);
  }
}
