// The ICMP echo client of the speed test: one echo request at a time, a bounded wait for
// its reply, the outcome through OnReply.
//
//   TNetIcmpClient icmp;  icmp.Host = "10.0.0.1";  icmp.ReceiveTimeout = 1000;
//   icmp.OnReply = [](TNetIcmpClient* sender, const TReplyStatus& r) { ... };
//   icmp.Ping();          // OnReply is called before Ping returns
//
// A time-out is a reply with Status TimedOut. Failures raise: ENetInvalidSocket ("Cannot
// allocate socket."), ENetSocketError (resolution, send, receive), ENetPackageSizeTooBig,
// ENetNotAllBytesSent, ENetIcmpException (a datagram that cannot be taken apart).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/net/IcmpPacket.h"
#include "net/NetRawBase.h"

class TNetIcmpClient;
using TOnReplyEvent =
    std::function<void(TNetIcmpClient* ASender, const TReplyStatus& AReplyStatus)>;

class TNetIcmpClient : public TNetRawBase {
 public:
  TNetIcmpClient();

  TOnReplyEvent OnReply;

  // One exchange: build and send the request, wait up to ReceiveTimeout for its reply,
  // close the socket, report. A sequence number other than 0 replaces SequenceNumber.
  void Ping(std::string_view payload = {}, uint16_t sequence = 0);

  const TReplyStatus& ReplyStatus() const { return FReplyStatus; }
  uint16_t SequenceNumber() const { return FSequenceNumber; }
  // The identifier the requests carry: the low 16 bits of the process id.
  uint16_t Identifier();
  // The last request built (52 bytes).
  std::string_view LastRequest() const {
    return std::string_view(reinterpret_cast<const char*>(FRequest), vpn::net::kIcmpRequestSize);
  }

 private:
  TReplyStatus ReceiveReply(int timeoutMs, uint16_t identifier);

  uint16_t FSequenceNumber = 3489;
  uint8_t FRequest[vpn::net::kIcmpBufferSize] = {};
  uint8_t FReceive[vpn::net::kIcmpBufferSize] = {};
  TReplyStatus FReplyStatus;
};
