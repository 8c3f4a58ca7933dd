// One operating-system socket and its addresses.
#pragma once

#include <string>

#include "net/NetStack.h"

class TNetSocketHandle {
 public:
  TNetSocketHandle() = default;
  ~TNetSocketHandle() { CloseSocket(); }
  TNetSocketHandle(const TNetSocketHandle&) = delete;
  TNetSocketHandle& operator=(const TNetSocketHandle&) = delete;

  // Opens a socket (closing any socket held before); ENetInvalidSocket when the system
  // refuses. TryAllocateSocket returns false instead and leaves the error in the stack.
  void AllocateSocket(int type = ntStream, int protocol = NetProtoTCP);
  bool TryAllocateSocket(int type, int protocol);
  // Shuts the sending direction down, then closes. Nothing happens without a socket.
  void CloseSocket();
  // Binds to IP and Port, or to a free port of ClientPortMin..ClientPortMax when a range
  // is set; ENetCouldNotBindSocket when that fails.
  void Bind();
  // Connects to PeerIP:PeerPort; returns the call's result (-1 = failed, error in the stack).
  int Connect();
  void SetSockOpt(int level, int option, int value);
  // 1 readable, 0 not within the limit, -1 the wait failed.
  int Select(int timeoutMs);
  // The raw calls: the byte count, or -1 with the error left in the stack. ENetClosedSocket
  // when no socket is open.
  int Recv(void* buf, int len);
  int Send(const void* data, int len);
  int RecvFrom(void* buf, int len, std::string& fromIP, int* ttl);
  // Sends one datagram; ENetPackageSizeTooBig for a datagram the network cannot carry,
  // the socket error for other failures, ENetNotAllBytesSent when it went out in part.
  void SendTo(const std::string& ip, int port, const void* data, int len);

  TNetSocket Handle() const { return FHandle; }
  bool HandleAllocated() const { return FAllocated; }
  TNetStack& Stack() const { return FUser.Stack(); }

  std::string IP;  // local address ("" = any)
  int Port = 0;    // local port (0 = any)
  int ClientPortMin = 0;
  int ClientPortMax = 0;
  std::string PeerIP;
  int PeerPort = 0;

 private:
  TNetStackUser FUser;
  TNetSocket FHandle = NetInvalidSocket;
  bool FAllocated = false;
};
