#include "net/NetSocketHandle.h"

#include "core/net/Address.h"
#include "core/net/SocketErrors.h"

bool TNetSocketHandle::TryAllocateSocket(int type, int protocol) {
  CloseSocket();
  TNetSocket s = Stack().CreateSocket(type, protocol);
  if (s == NetInvalidSocket) {
    Stack().LastErrorCode = Stack().LastError();
    return false;
  }
  FHandle = s;
  FAllocated = true;
  return true;
}

void TNetSocketHandle::AllocateSocket(int type, int protocol) {
  if (!TryAllocateSocket(type, protocol)) throw ENetInvalidSocket();
}

void TNetSocketHandle::CloseSocket() {
  if (!FAllocated) return;
  Stack().Shutdown(FHandle, NetShutdownSend);
  Stack().CloseSocket(FHandle);
  FHandle = NetInvalidSocket;
  FAllocated = false;
}

void TNetSocketHandle::Bind() {
  if (ClientPortMin != 0 && ClientPortMax != 0 && ClientPortMin <= ClientPortMax) {
    for (int port = ClientPortMin; port <= ClientPortMax; ++port)
      if (Stack().Bind(FHandle, IP, port) == 0) {
        Port = port;
        return;
      }
    throw ENetCouldNotBindSocket();
  }
  if (Stack().Bind(FHandle, IP, Port) != 0) throw ENetCouldNotBindSocket();
}

int TNetSocketHandle::Connect() {
  uint8_t addr[4];
  if (!vpn::net::ParseAddress(PeerIP, addr)) TNetStack::RaiseSocketError(vpn::net::kWsaEInval);
  return Stack().Connect(FHandle, addr, PeerPort);
}

void TNetSocketHandle::SetSockOpt(int level, int option, int value) {
  Stack().CheckForSocketError(Stack().SetSockOpt(FHandle, level, option, value));
}

int TNetSocketHandle::Select(int timeoutMs) {
  return Stack().WaitReadable(FHandle, timeoutMs);
}

int TNetSocketHandle::Recv(void* buf, int len) {
  if (!FAllocated) throw ENetClosedSocket();
  return Stack().Recv(FHandle, buf, len);
}

int TNetSocketHandle::Send(const void* data, int len) {
  if (!FAllocated) throw ENetClosedSocket();
  return Stack().Send(FHandle, data, len);
}

int TNetSocketHandle::RecvFrom(void* buf, int len, std::string& fromIP, int* ttl) {
  if (!FAllocated) throw ENetClosedSocket();
  uint8_t from[4] = {0, 0, 0, 0};
  int r = Stack().RecvFrom(FHandle, buf, len, from, ttl);
  if (r >= 0) fromIP = TNetStack::AddressText(from);
  return r;
}

void TNetSocketHandle::SendTo(const std::string& ip, int port, const void* data, int len) {
  if (!FAllocated) throw ENetClosedSocket();
  uint8_t addr[4];
  if (!vpn::net::ParseAddress(ip, addr)) TNetStack::RaiseSocketError(vpn::net::kWsaEInval);
  int sent = Stack().SendTo(FHandle, data, len, addr, port);
  if (sent < 0) {
    int code = Stack().LastErrorCode = Stack().LastError();
    if (code == vpn::net::kWsaEMsgSize) throw ENetPackageSizeTooBig();
    TNetStack::RaiseSocketError(code);
  }
  if (sent != len) throw ENetNotAllBytesSent();
}
