// A raw IPv4 socket component: sends datagrams to Host and waits for what comes back.
//
// Where the system refuses a raw socket (no privilege) and Protocol is ICMP, the
// component takes the system's unprivileged datagram ICMP socket instead, where one
// exists; it then hands out what it receives with an IP header put in front, so callers
// see the same datagrams either way.
#pragma once

#include <string>

#include "net/NetSocketHandle.h"

class TNetRawBase {
 public:
  TNetRawBase();
  virtual ~TNetRawBase();
  TNetRawBase(const TNetRawBase&) = delete;
  TNetRawBase& operator=(const TNetRawBase&) = delete;

  std::string Host;
  int Port = 0;
  int Protocol = NetProtoRaw;
  int ReceiveTimeout = 5000;  // ms

  // Whether the socket in use is the datagram ICMP socket (the raw one was refused).
  bool UsingDatagramSocket() const { return FDatagram; }
  // The error number with which the raw socket was refused, 0 if it was not.
  int RawSocketRefusal() const { return FRawRefusal; }

 protected:
  // The socket, opened if none is; the IP time-to-live SendTtl is applied every time.
  TNetSocketHandle& Binding();
  // Resolves Host and sends one datagram to it and Port.
  void SendBuffer(const void* data, int len);
  // Waits up to timeoutMs for a datagram and receives it into buf (at most len bytes, IP
  // header first); 0 when nothing came or the wait failed. A failed receive raises the
  // socket error.
  int ReceiveBuffer(uint8_t* buf, int len, int timeoutMs);
  void CloseBinding() { FSocket.CloseSocket(); }
  TNetStack& Stack() { return FSocket.Stack(); }

  int SendTtl = 128;

 private:
  TNetSocketHandle FSocket;
  bool FDatagram = false;
  int FRawRefusal = 0;
};
