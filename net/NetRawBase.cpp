#include "net/NetRawBase.h"

#include <vector>

#include "core/net/Address.h"
#include "core/net/IcmpPacket.h"

TNetRawBase::TNetRawBase() = default;
TNetRawBase::~TNetRawBase() = default;

TNetSocketHandle& TNetRawBase::Binding() {
  if (!FSocket.HandleAllocated()) {
    FDatagram = false;
    FRawRefusal = 0;
    if (!FSocket.TryAllocateSocket(ntRaw, Protocol)) {
      FRawRefusal = Stack().LastErrorCode;
      if (Protocol != NetProtoICMP || !FSocket.TryAllocateSocket(ntDgram, NetProtoICMP))
        throw ENetInvalidSocket();
      FDatagram = true;
    }
  }
  FSocket.SetSockOpt(NetProtoIP, NetOptIPTtl, SendTtl);
  return FSocket;
}

void TNetRawBase::SendBuffer(const void* data, int len) {
  std::string ip = Stack().ResolveHost(Host);
  Binding().SendTo(ip, Port, data, len);
}

int TNetRawBase::ReceiveBuffer(uint8_t* buf, int len, int timeoutMs) {
  TNetSocketHandle& b = Binding();
  if (b.Select(timeoutMs) != 1) return 0;
  std::string from;
  int ttl = -1;
  if (!FDatagram || Stack().DatagramIcmpHasIPHeader()) {
    int n = b.RecvFrom(buf, len, from, &ttl);
    if (n < 0) Stack().CheckForSocketError(-1);
    return n;
  }
  // The datagram socket delivers the ICMP message alone: receive it behind room for the
  // header and put one in front.
  std::vector<uint8_t> icmp(size_t(len > 20 ? len - 20 : 0));
  int n = b.RecvFrom(icmp.data(), int(icmp.size()), from, &ttl);
  if (n < 0) Stack().CheckForSocketError(-1);
  uint8_t source[4] = {0, 0, 0, 0};
  vpn::net::ParseAddress(from, source);
  return int(
      vpn::net::PrependIPHeader(icmp.data(), size_t(n), source, uint8_t(ttl < 0 ? 0 : ttl), buf));
}
