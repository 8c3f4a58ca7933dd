// The socket stack over Windows Sockets 2: ws2_32.dll is loaded when the first network
// component is created, version 2.2 is started, and both are released with the last.
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/net/Address.h"
#include "net/NetStack.h"

namespace {

template <class F>
void Resolve(HMODULE lib, F& fn, const char* name) {
  fn = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(lib, name)));
  if (!fn) {
    char text[128];
    std::snprintf(text, sizeof text, "Error on call Winsock2 library function %s", name);
    throw ENetStackInitializationFailed(text);
  }
}

sockaddr_in MakeAddress(const uint8_t addr[4], int port, u_short(WSAAPI* hton)(u_short)) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = hton(u_short(port));
  std::memcpy(&sa.sin_addr, addr, 4);
  return sa;
}

// The time limit of a wait as select takes it: none for NetWaitForever, a poll below 0.
timeval* WaitLimit(int timeoutMs, timeval& tv) {
  if (timeoutMs == NetWaitForever) return nullptr;
  if (timeoutMs < 0) timeoutMs = 0;
  tv.tv_sec = timeoutMs / 1000;
  tv.tv_usec = (timeoutMs % 1000) * 1000;
  return &tv;
}

// A socket set of any size in the layout of fd_set: the count, then the sockets.
class TSocketSet {
 public:
  explicit TSocketSet(const std::vector<TNetSocket>& sockets) : FWords(sockets.size() + 1) {
    static_assert(offsetof(fd_set, fd_array) == sizeof(SOCKET), "fd_set keeps its count first");
    Count() = u_int(sockets.size());
    for (size_t i = 0; i < sockets.size(); ++i) FWords[i + 1] = SOCKET(sockets[i]);
  }
  fd_set* Get() { return FWords.size() > 1 ? reinterpret_cast<fd_set*>(FWords.data()) : nullptr; }
  // Whether the socket is still in the set after the wait.
  bool Has(SOCKET s) {
    for (u_int i = 0; i < Count() && i + 1 < FWords.size(); ++i)
      if (FWords[i + 1] == s) return true;
    return false;
  }

 private:
  u_int& Count() { return *reinterpret_cast<u_int*>(FWords.data()); }
  std::vector<SOCKET> FWords;
};

class TNetStackWindows : public TNetStack {
 public:
  TNetStackWindows() {
    FLibrary = ::LoadLibraryW(L"ws2_32.dll");
    if (!FLibrary)
      throw ENetStackInitializationFailed("Error on loading Winsock2 library (ws2_32.dll)");
    try {
      Resolve(FLibrary, FWSAStartup, "WSAStartup");
      Resolve(FLibrary, FWSACleanup, "WSACleanup");
      Resolve(FLibrary, FWSAGetLastError, "WSAGetLastError");
      Resolve(FLibrary, FSocket, "socket");
      Resolve(FLibrary, FBind, "bind");
      Resolve(FLibrary, FConnect, "connect");
      Resolve(FLibrary, FSend, "send");
      Resolve(FLibrary, FRecv, "recv");
      Resolve(FLibrary, FSendTo, "sendto");
      Resolve(FLibrary, FRecvFrom, "recvfrom");
      Resolve(FLibrary, FSetSockOpt, "setsockopt");
      Resolve(FLibrary, FShutdown, "shutdown");
      Resolve(FLibrary, FCloseSocket, "closesocket");
      Resolve(FLibrary, FSelect, "select");
      Resolve(FLibrary, FGetSockName, "getsockname");
      Resolve(FLibrary, FGetHostByName, "gethostbyname");
      Resolve(FLibrary, FHtons, "htons");
      Resolve(FLibrary, FIoctlSocket, "ioctlsocket");
      Resolve(FLibrary, FGetSockOpt, "getsockopt");
      WSADATA data;
      if (FWSAStartup(MAKEWORD(2, 2), &data) != 0) throw ENetStackInitializationFailed();
    } catch (...) {
      ::FreeLibrary(FLibrary);
      throw;
    }
  }

  // The library stays loaded once it has been: under Wine, a ws2_32.dll unloaded and
  // loaded again hands out sockets that bind() refuses (10038), while a plain cleanup
  // followed by a new start-up works. Only the start-up is undone here.
  ~TNetStackWindows() override { FWSACleanup(); }

  TNetSocket CreateSocket(int type, int protocol) override {
    SOCKET s = FSocket(AF_INET, type, protocol);
    if (s == INVALID_SOCKET) {
      Fail();
      return NetInvalidSocket;
    }
    return TNetSocket(s);
  }

  int Bind(TNetSocket s, const std::string& ip, int port) override {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = FHtons(u_short(port));
    if (!ip.empty()) {
      uint8_t b[4];
      if (!IsIP(ip)) return FailWith(WSAEINVAL);
      vpn::net::ParseAddress(ip, b);
      std::memcpy(&sa.sin_addr, b, 4);
    }
    return Result(FBind(S(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa));
  }

  int Connect(TNetSocket s, const uint8_t addr[4], int port) override {
    sockaddr_in sa = MakeAddress(addr, port, FHtons);
    return Result(FConnect(S(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa));
  }

  int Send(TNetSocket s, const void* data, int len) override {
    return Result(FSend(S(s), static_cast<const char*>(data), len, 0));
  }

  int Recv(TNetSocket s, void* buf, int len) override {
    int r = FRecv(S(s), static_cast<char*>(buf), len, 0);
    if (r == 0 && len > 0) {
      // Some Windows Sockets implementations (Wine's) report a connection the peer reset as
      // an orderly end of data. A zero-byte send tells the two apart: it is harmless after
      // an orderly close and fails with 10054 after a reset.
      if (FSend(S(s), "", 0, 0) == SOCKET_ERROR && FWSAGetLastError() == WSAECONNRESET)
        return FailWith(WSAECONNRESET);
    }
    return Result(r);
  }

  int SendTo(TNetSocket s, const void* data, int len, const uint8_t addr[4], int port) override {
    sockaddr_in sa = MakeAddress(addr, port, FHtons);
    return Result(FSendTo(S(s), static_cast<const char*>(data), len, 0,
                          reinterpret_cast<sockaddr*>(&sa), sizeof sa));
  }

  int RecvFrom(TNetSocket s, void* buf, int len, uint8_t from[4], int* ttl) override {
    sockaddr_in sa{};
    int salen = sizeof sa;
    int r =
        FRecvFrom(S(s), static_cast<char*>(buf), len, 0, reinterpret_cast<sockaddr*>(&sa), &salen);
    if (r == SOCKET_ERROR) return Result(-1);
    std::memcpy(from, &sa.sin_addr, 4);
    if (ttl) *ttl = -1;
    return r;
  }

  int SetSockOpt(TNetSocket s, int level, int option, int value) override {
    return Result(
        FSetSockOpt(S(s), level, option, reinterpret_cast<const char*>(&value), sizeof value));
  }

  int Shutdown(TNetSocket s, int how) override { return Result(FShutdown(S(s), how)); }

  int CloseSocket(TNetSocket s) override { return Result(FCloseSocket(S(s))); }

  int WaitReadable(TNetSocket s, int timeoutMs) override {
    fd_set set;
    set.fd_count = 1;
    set.fd_array[0] = S(s);
    timeval tv{};
    int r = FSelect(0, &set, nullptr, nullptr, WaitLimit(timeoutMs, tv));
    if (r == SOCKET_ERROR) return Result(-1);
    return r == 1 ? 1 : 0;
  }

  int StartConnect(TNetSocket s, const uint8_t addr[4], int port) override {
    u_long on = 1;
    if (FIoctlSocket(S(s), FIONBIO, &on) == SOCKET_ERROR) return Result(-1);
    sockaddr_in sa = MakeAddress(addr, port, FHtons);
    if (FConnect(S(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return 0;
    Fail();
    return FLastError == WSAEWOULDBLOCK || FLastError == WSAEINPROGRESS ? 1 : -1;
  }

  int ConnectError(TNetSocket s) override {
    int error = 0;
    int len = sizeof error;
    if (FGetSockOpt(S(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) ==
        SOCKET_ERROR)
      return FWSAGetLastError();
    return error;
  }

  // The sets are as large as the call needs (the system's own type holds 64 sockets).
  int WaitSockets(const std::vector<TNetSocket>& readable,
                  const std::vector<TNetSocket>& connecting, int timeoutMs,
                  std::vector<uint8_t>& ready) override {
    TSocketSet reads(readable), writes(connecting), failures(connecting);
    timeval tv{};
    const int r = FSelect(0, reads.Get(), writes.Get(), failures.Get(), WaitLimit(timeoutMs, tv));
    if (r == SOCKET_ERROR) return Result(-1);
    ready.assign(readable.size() + connecting.size(), 0);
    for (size_t i = 0; i < readable.size(); ++i) ready[i] = reads.Has(S(readable[i]));
    for (size_t i = 0; i < connecting.size(); ++i)
      ready[readable.size() + i] = writes.Has(S(connecting[i])) || failures.Has(S(connecting[i]));
    return r;
  }

  int LocalPortRaw(TNetSocket s) override {
    sockaddr_in sa{};
    int len = sizeof sa;
    if (FGetSockName(S(s), reinterpret_cast<sockaddr*>(&sa), &len) == SOCKET_ERROR)
      return Result(-1);
    return sa.sin_port;
  }

  int LastError() override { return FLastError; }

  bool LookupHost(const std::string& name, std::string& ip, int& error) override {
    hostent* h = FGetHostByName(name.c_str());
    if (!h || h->h_addrtype != AF_INET || !h->h_addr_list || !h->h_addr_list[0]) {
      error = h ? WSAHOST_NOT_FOUND : FWSAGetLastError();
      return false;
    }
    uint8_t b[4];
    std::memcpy(b, h->h_addr_list[0], 4);
    ip = AddressText(b);
    return true;
  }

  // A raw socket delivers the IP header; Wine's own fallback to the kernel's ping socket
  // rebuilds it, but a datagram ICMP socket asked for directly does not have one.
  bool DatagramIcmpHasIPHeader() const override { return false; }

  uint32_t TickCount() override { return ::GetTickCount(); }
  uint32_t ProcessId() override { return ::GetCurrentProcessId(); }

 private:
  static SOCKET S(TNetSocket s) { return SOCKET(s); }
  void Fail() { FLastError = FWSAGetLastError(); }
  int Result(int r) {
    if (r == SOCKET_ERROR || r < 0) {
      Fail();
      return -1;
    }
    return r;
  }
  int FailWith(int code) {
    FLastError = code;
    return -1;
  }

  HMODULE FLibrary = nullptr;
  int(WSAAPI* FWSAStartup)(WORD, LPWSADATA) = nullptr;
  int(WSAAPI* FWSACleanup)() = nullptr;
  int(WSAAPI* FWSAGetLastError)() = nullptr;
  SOCKET(WSAAPI* FSocket)(int, int, int) = nullptr;
  int(WSAAPI* FBind)(SOCKET, const sockaddr*, int) = nullptr;
  int(WSAAPI* FConnect)(SOCKET, const sockaddr*, int) = nullptr;
  int(WSAAPI* FSend)(SOCKET, const char*, int, int) = nullptr;
  int(WSAAPI* FRecv)(SOCKET, char*, int, int) = nullptr;
  int(WSAAPI* FSendTo)(SOCKET, const char*, int, int, const sockaddr*, int) = nullptr;
  int(WSAAPI* FRecvFrom)(SOCKET, char*, int, int, sockaddr*, int*) = nullptr;
  int(WSAAPI* FSetSockOpt)(SOCKET, int, int, const char*, int) = nullptr;
  int(WSAAPI* FShutdown)(SOCKET, int) = nullptr;
  int(WSAAPI* FCloseSocket)(SOCKET) = nullptr;
  int(WSAAPI* FSelect)(int, fd_set*, fd_set*, fd_set*, const timeval*) = nullptr;
  int(WSAAPI* FGetSockName)(SOCKET, sockaddr*, int*) = nullptr;
  hostent*(WSAAPI* FGetHostByName)(const char*) = nullptr;
  u_short(WSAAPI* FHtons)(u_short) = nullptr;
  int(WSAAPI* FIoctlSocket)(SOCKET, long, u_long*) = nullptr;
  int(WSAAPI* FGetSockOpt)(SOCKET, int, int, char*, int*) = nullptr;

  // The error number of the calling thread's last failure (the timed connect fails on
  // its own thread).
  static thread_local int FLastError;
};

thread_local int TNetStackWindows::FLastError = 0;

}  // namespace

TNetStack* TNetStack::CreatePlatformStack() {
  return new TNetStackWindows;
}
