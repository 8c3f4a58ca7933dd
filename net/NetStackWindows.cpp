// The socket stack over Windows Sockets 2: ws2_32.dll is loaded when the first network
// component is created, version 2.2 is started, and both are released with the last.
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstring>

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

class TNetStackWindows : public TNetStack {
 public:
  TNetStackWindows() {
    lib_ = ::LoadLibraryW(L"ws2_32.dll");
    if (!lib_)
      throw ENetStackInitializationFailed("Error on loading Winsock2 library (ws2_32.dll)");
    try {
      Resolve(lib_, wsaStartup_, "WSAStartup");
      Resolve(lib_, wsaCleanup_, "WSACleanup");
      Resolve(lib_, wsaGetLastError_, "WSAGetLastError");
      Resolve(lib_, socket_, "socket");
      Resolve(lib_, bind_, "bind");
      Resolve(lib_, connect_, "connect");
      Resolve(lib_, send_, "send");
      Resolve(lib_, recv_, "recv");
      Resolve(lib_, sendto_, "sendto");
      Resolve(lib_, recvfrom_, "recvfrom");
      Resolve(lib_, setsockopt_, "setsockopt");
      Resolve(lib_, shutdown_, "shutdown");
      Resolve(lib_, closesocket_, "closesocket");
      Resolve(lib_, select_, "select");
      Resolve(lib_, getsockname_, "getsockname");
      Resolve(lib_, gethostbyname_, "gethostbyname");
      Resolve(lib_, htons_, "htons");
      WSADATA data;
      if (wsaStartup_(MAKEWORD(2, 2), &data) != 0) throw ENetStackInitializationFailed();
    } catch (...) {
      ::FreeLibrary(lib_);
      throw;
    }
  }

  // The library stays loaded once it has been: under Wine, a ws2_32.dll unloaded and
  // loaded again hands out sockets that bind() refuses (10038), while a plain cleanup
  // followed by a new start-up works. Only the start-up is undone here.
  ~TNetStackWindows() override { wsaCleanup_(); }

  TNetSocket CreateSocket(int type, int protocol) override {
    SOCKET s = socket_(AF_INET, type, protocol);
    if (s == INVALID_SOCKET) {
      Fail();
      return NetInvalidSocket;
    }
    return TNetSocket(s);
  }

  int Bind(TNetSocket s, const std::string& ip, int port) override {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons_(u_short(port));
    if (!ip.empty()) {
      uint8_t b[4];
      if (!IsIP(ip)) return FailWith(WSAEINVAL);
      vpn::net::ParseAddress(ip, b);
      std::memcpy(&sa.sin_addr, b, 4);
    }
    return Result(bind_(S(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa));
  }

  int Connect(TNetSocket s, const uint8_t addr[4], int port) override {
    sockaddr_in sa = MakeAddress(addr, port, htons_);
    return Result(connect_(S(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa));
  }

  int Send(TNetSocket s, const void* data, int len) override {
    return Result(send_(S(s), static_cast<const char*>(data), len, 0));
  }

  int Recv(TNetSocket s, void* buf, int len) override {
    int r = recv_(S(s), static_cast<char*>(buf), len, 0);
    if (r == 0 && len > 0) {
      // Some Windows Sockets implementations (Wine's) report a connection the peer reset as
      // an orderly end of data. A zero-byte send tells the two apart: it is harmless after
      // an orderly close and fails with 10054 after a reset.
      if (send_(S(s), "", 0, 0) == SOCKET_ERROR && wsaGetLastError_() == WSAECONNRESET)
        return FailWith(WSAECONNRESET);
    }
    return Result(r);
  }

  int SendTo(TNetSocket s, const void* data, int len, const uint8_t addr[4], int port) override {
    sockaddr_in sa = MakeAddress(addr, port, htons_);
    return Result(sendto_(S(s), static_cast<const char*>(data), len, 0,
                          reinterpret_cast<sockaddr*>(&sa), sizeof sa));
  }

  int RecvFrom(TNetSocket s, void* buf, int len, uint8_t from[4], int* ttl) override {
    sockaddr_in sa{};
    int salen = sizeof sa;
    int r =
        recvfrom_(S(s), static_cast<char*>(buf), len, 0, reinterpret_cast<sockaddr*>(&sa), &salen);
    if (r == SOCKET_ERROR) return Result(-1);
    std::memcpy(from, &sa.sin_addr, 4);
    if (ttl) *ttl = -1;
    return r;
  }

  int SetSockOpt(TNetSocket s, int level, int option, int value) override {
    return Result(
        setsockopt_(S(s), level, option, reinterpret_cast<const char*>(&value), sizeof value));
  }

  int Shutdown(TNetSocket s, int how) override { return Result(shutdown_(S(s), how)); }

  int CloseSocket(TNetSocket s) override { return Result(closesocket_(S(s))); }

  int WaitReadable(TNetSocket s, int timeoutMs) override {
    fd_set set;
    set.fd_count = 1;
    set.fd_array[0] = S(s);
    timeval tv{};
    timeval* limit = nullptr;
    if (timeoutMs != NetWaitForever) {
      if (timeoutMs < 0) timeoutMs = 0;
      tv.tv_sec = timeoutMs / 1000;
      tv.tv_usec = (timeoutMs % 1000) * 1000;
      limit = &tv;
    }
    int r = select_(0, &set, nullptr, nullptr, limit);
    if (r == SOCKET_ERROR) return Result(-1);
    return r == 1 ? 1 : 0;
  }

  int LocalPortRaw(TNetSocket s) override {
    sockaddr_in sa{};
    int len = sizeof sa;
    if (getsockname_(S(s), reinterpret_cast<sockaddr*>(&sa), &len) == SOCKET_ERROR)
      return Result(-1);
    return sa.sin_port;
  }

  int LastError() override { return last_; }

  bool LookupHost(const std::string& name, std::string& ip, int& error) override {
    hostent* h = gethostbyname_(name.c_str());
    if (!h || h->h_addrtype != AF_INET || !h->h_addr_list || !h->h_addr_list[0]) {
      error = h ? WSAHOST_NOT_FOUND : wsaGetLastError_();
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
  void Fail() { last_ = wsaGetLastError_(); }
  int Result(int r) {
    if (r == SOCKET_ERROR || r < 0) {
      Fail();
      return -1;
    }
    return r;
  }
  int FailWith(int code) {
    last_ = code;
    return -1;
  }

  HMODULE lib_ = nullptr;
  int(WSAAPI* wsaStartup_)(WORD, LPWSADATA) = nullptr;
  int(WSAAPI* wsaCleanup_)() = nullptr;
  int(WSAAPI* wsaGetLastError_)() = nullptr;
  SOCKET(WSAAPI* socket_)(int, int, int) = nullptr;
  int(WSAAPI* bind_)(SOCKET, const sockaddr*, int) = nullptr;
  int(WSAAPI* connect_)(SOCKET, const sockaddr*, int) = nullptr;
  int(WSAAPI* send_)(SOCKET, const char*, int, int) = nullptr;
  int(WSAAPI* recv_)(SOCKET, char*, int, int) = nullptr;
  int(WSAAPI* sendto_)(SOCKET, const char*, int, int, const sockaddr*, int) = nullptr;
  int(WSAAPI* recvfrom_)(SOCKET, char*, int, int, sockaddr*, int*) = nullptr;
  int(WSAAPI* setsockopt_)(SOCKET, int, int, const char*, int) = nullptr;
  int(WSAAPI* shutdown_)(SOCKET, int) = nullptr;
  int(WSAAPI* closesocket_)(SOCKET) = nullptr;
  int(WSAAPI* select_)(int, fd_set*, fd_set*, fd_set*, const timeval*) = nullptr;
  int(WSAAPI* getsockname_)(SOCKET, sockaddr*, int*) = nullptr;
  hostent*(WSAAPI* gethostbyname_)(const char*) = nullptr;
  u_short(WSAAPI* htons_)(u_short) = nullptr;

  // The error number of the calling thread's last failure (the timed connect fails on
  // its own thread).
  static thread_local int last_;
};

thread_local int TNetStackWindows::last_ = 0;

}  // namespace

TNetStack* TNetStack::CreatePlatformStack() {
  return new TNetStackWindows;
}
