// The TCP client: a TNetTCPConnection (net/NetTCPConnection.h) that connects to Host and
// Port.
//
//   TNetTCPClient c;  c.Host = "127.0.0.1";  c.Port = 80;
//   c.Connect();                 // or c.Connect(ms): ENetConnectTimeout after ms
//   c.WriteLn("GET / HTTP/1.0"); c.WriteLn();
//   std::string status = c.ReadLn();
//   c.Disconnect();
//
// Host is a dotted IPv4 address, "localhost" (any case; no lookup) or a name for the
// resolver (unknown: ENetSocketError 11001 "Host not found."). A refused connection raises
// ENetSocketError 10061 "Connection refused.". A failed connect leaves the client
// disconnected.
#pragma once

#include <string>

#include "net/NetTCPConnection.h"

class TNetTCPClient : public TNetTCPConnection {
 public:
  std::string Host;
  int Port = 0;
  std::string BoundIP;   // local address to bind ("" = any)
  int BoundPort = 0;     // local port to bind (0 = any)
  bool UseNagle = true;  // false sets the no-delay option

  // timeoutMs -1 or 0 connects without a limit of its own.
  void Connect(int timeoutMs = -1);
};
