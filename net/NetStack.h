// The socket stack: one object shared by every network component of the program.
//
// Each component holds a TNetStackUser for its lifetime; the first user creates the
// stack (on Windows: loads ws2_32.dll and starts Windows Sockets 2.2), the last one
// frees it. The stack wraps the platform's socket calls thinly, reports failures with
// the Windows Sockets error numbers (the POSIX variant maps errno onto them), resolves
// host texts and raises ENetSocketError with "Socket Error # %d\r\n%s".
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/net/NetExceptions.h"

using TNetSocket = std::uintptr_t;
constexpr TNetSocket NetInvalidSocket = ~TNetSocket(0);

// Socket kinds and option numbers, with the Windows Sockets values; the POSIX variant
// translates them.
enum TNetSocketType { ntStream = 1, ntDgram = 2, ntRaw = 3 };
constexpr int NetProtoIP = 0;
constexpr int NetProtoICMP = 1;
constexpr int NetProtoTCP = 6;
constexpr int NetProtoRaw = 255;
constexpr int NetOptIPTtl = 4;       // level NetProtoIP
constexpr int NetOptTCPNoDelay = 1;  // level NetProtoTCP
constexpr int NetShutdownSend = 1;
constexpr int NetShutdownBoth = 2;
constexpr int NetWaitForever = -2;

class TNetStack {
 public:
  virtual ~TNetStack() = default;

  // --- platform calls: they return -1 (or NetInvalidSocket) on failure and leave the
  // error number for LastError() ---
  virtual TNetSocket CreateSocket(int type, int protocol) = 0;
  // ip empty = any address; port 0 = any port.
  virtual int Bind(TNetSocket s, const std::string& ip, int port) = 0;
  virtual int Connect(TNetSocket s, const uint8_t addr[4], int port) = 0;
  virtual int Send(TNetSocket s, const void* data, int len) = 0;
  virtual int Recv(TNetSocket s, void* buf, int len) = 0;
  virtual int SendTo(TNetSocket s, const void* data, int len, const uint8_t addr[4], int port) = 0;
  // Receives one datagram; the source address goes to from. ttl gets the time-to-live of
  // the datagram where the platform reports it (datagram ICMP sockets), else -1.
  virtual int RecvFrom(TNetSocket s, void* buf, int len, uint8_t from[4], int* ttl) = 0;
  virtual int SetSockOpt(TNetSocket s, int level, int option, int value) = 0;
  virtual int Shutdown(TNetSocket s, int how) = 0;
  virtual int CloseSocket(TNetSocket s) = 0;
  // 1 = readable, 0 = not within the limit (ms; NetWaitForever = no limit), -1 = error.
  virtual int WaitReadable(TNetSocket s, int timeoutMs) = 0;
  // The local port of a bound socket as stored in the socket address (network order),
  // -1 on failure. For a datagram ICMP socket this is the echo identifier it sends with.
  virtual int LocalPortRaw(TNetSocket s) = 0;
  // A connect that does not wait: the socket is made non-blocking and the connect started.
  // 0 connected at once, 1 under way (WaitSockets tells when it has ended), -1 failed.
  virtual int StartConnect(TNetSocket s, const uint8_t addr[4], int port) = 0;
  // The outcome of a connect started with StartConnect once WaitSockets marked it: 0
  // connected, otherwise the error number.
  virtual int ConnectError(TNetSocket s) = 0;
  // Waits up to timeoutMs until one of `readable` can be read or one of `connecting` has
  // connected or failed. ready gets one flag per socket, the readable ones first. The
  // number of sockets ready, 0 when none is within the limit, -1 when the wait failed.
  virtual int WaitSockets(const std::vector<TNetSocket>& readable,
                          const std::vector<TNetSocket>& connecting, int timeoutMs,
                          std::vector<uint8_t>& ready) = 0;
  virtual int LastError() = 0;
  // Name lookup: true and the first IPv4 address in ip, or false and the error number.
  virtual bool LookupHost(const std::string& name, std::string& ip, int& error) = 0;
  // Whether the raw/datagram ICMP socket of this platform delivers the IP header.
  virtual bool DatagramIcmpHasIPHeader() const = 0;

  // Millisecond tick counter (32 bits, wraps) and the process id.
  virtual uint32_t TickCount() = 0;
  virtual uint32_t ProcessId() = 0;

  // --- helpers shared by the variants ---
  // "LOCALHOST" (any case) -> "127.0.0.1"; an address text unchanged; else a lookup.
  std::string ResolveHost(const std::string& host);
  static bool IsIP(std::string_view text);
  static std::string AddressText(const uint8_t bytes[4]);
  [[noreturn]] static void RaiseSocketError(int code);
  // Raises the socket error of LastError() when result is -1; returns result otherwise.
  int CheckForSocketError(int result);
  int CheckForSocketError(int result, std::initializer_list<int> ignore);

  int LastErrorCode = 0;  // the error number of the last failed call

  // Creates the platform's stack; raises ENetStackInitializationFailed or ENetException.
  static TNetStack* CreatePlatformStack();
};

// Counts its owner in as a user of the shared stack for as long as it lives. The stack
// itself is made on the first call of Stack() by any user, so a program that never
// talks to the network never loads the sockets library.
class TNetStackUser {
 public:
  TNetStackUser();
  ~TNetStackUser();
  TNetStackUser(const TNetStackUser&) = delete;
  TNetStackUser& operator=(const TNetStackUser&) = delete;

  // Raises ENetStackInitializationFailed or ENetException when the stack cannot be made.
  TNetStack& Stack() const;

  // Number of live users (for tests).
  static int UserCount();

 private:
  mutable TNetStack* FStack = nullptr;
};
