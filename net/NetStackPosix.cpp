// The socket stack over the POSIX sockets of the native build. Conditions are reported
// with the Windows Sockets numbers so that the same messages appear everywhere.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/net/SocketErrors.h"
#include "net/NetStack.h"

namespace {

int WinsockNumber(int e) {
  switch (e) {
    case EINTR:
      return 10004;
    case EBADF:
      return 10009;
    case EACCES:
    case EPERM:
      return 10013;
    case EFAULT:
      return 10014;
    case EINVAL:
      return 10022;
    case EMFILE:
    case ENFILE:
      return 10024;
    case EWOULDBLOCK:
      return 10035;
    case EINPROGRESS:
      return 10036;
    case EALREADY:
      return 10037;
    case ENOTSOCK:
      return 10038;
    case EDESTADDRREQ:
      return 10039;
    case EMSGSIZE:
      return 10040;
    case EPROTOTYPE:
      return 10041;
    case ENOPROTOOPT:
      return 10042;
    case EPROTONOSUPPORT:
      return 10043;
    case ESOCKTNOSUPPORT:
      return 10044;
    case EOPNOTSUPP:
      return 10045;
    case EPFNOSUPPORT:
      return 10046;
    case EAFNOSUPPORT:
      return 10047;
    case EADDRINUSE:
      return 10048;
    case EADDRNOTAVAIL:
      return 10049;
    case ENETDOWN:
      return 10050;
    case ENETUNREACH:
      return 10051;
    case ENETRESET:
      return 10052;
    case ECONNABORTED:
      return 10053;
    case ECONNRESET:
      return 10054;
    case ENOBUFS:
    case ENOMEM:
      return 10055;
    case EISCONN:
      return 10056;
    case ENOTCONN:
      return 10057;
    // Sending on a socket whose sending side is shut down or whose peer is gone.
    case ESHUTDOWN:
    case EPIPE:
      return 10058;
    case ETOOMANYREFS:
      return 10059;
    case ETIMEDOUT:
      return 10060;
    case ECONNREFUSED:
      return 10061;
    case ELOOP:
      return 10062;
    case ENAMETOOLONG:
      return 10063;
    case EHOSTDOWN:
      return 10064;
    case EHOSTUNREACH:
      return 10065;
    case ENOTEMPTY:
      return 10066;
    default:
      return e;
  }
}

int PosixType(int type) {
  switch (type) {
    case ntStream:
      return SOCK_STREAM;
    case ntDgram:
      return SOCK_DGRAM;
    default:
      return SOCK_RAW;
  }
}

sockaddr_in MakeAddress(const uint8_t addr[4], int port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(uint16_t(port));
  std::memcpy(&sa.sin_addr, addr, 4);
  return sa;
}

class TNetStackPosix : public TNetStack {
 public:
  TNetSocket CreateSocket(int type, int protocol) override {
    int fd = ::socket(AF_INET, PosixType(type) | SOCK_CLOEXEC, protocol);
    if (fd < 0) return Fail<TNetSocket>(NetInvalidSocket);
    if (type == ntDgram && protocol == IPPROTO_ICMP) {
      // The kernel's ping socket strips the IP header; ask for the time-to-live so that
      // the reply can still report it.
      int on = 1;
      ::setsockopt(fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof on);
    }
    return TNetSocket(fd);
  }

  int Bind(TNetSocket s, const std::string& ip, int port) override {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(uint16_t(port));
    if (!ip.empty() && inet_pton(AF_INET, ip.c_str(), &sa.sin_addr) != 1) return FailWith(10022);
    return Result(::bind(Fd(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa));
  }

  int Connect(TNetSocket s, const uint8_t addr[4], int port) override {
    sockaddr_in sa = MakeAddress(addr, port);
    int r;
    do r = ::connect(Fd(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    while (r < 0 && errno == EINTR);
    return Result(r);
  }

  int Send(TNetSocket s, const void* data, int len) override {
    ssize_t r;
    do r = ::send(Fd(s), data, size_t(len), MSG_NOSIGNAL);
    while (r < 0 && errno == EINTR);
    return Result(int(r));
  }

  int Recv(TNetSocket s, void* buf, int len) override {
    ssize_t r;
    do r = ::recv(Fd(s), buf, size_t(len), 0);
    while (r < 0 && errno == EINTR);
    return Result(int(r));
  }

  int SendTo(TNetSocket s, const void* data, int len, const uint8_t addr[4], int port) override {
    sockaddr_in sa = MakeAddress(addr, port);
    ssize_t r;
    do
      r = ::sendto(Fd(s), data, size_t(len), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&sa),
                   sizeof sa);
    while (r < 0 && errno == EINTR);
    return Result(int(r));
  }

  int RecvFrom(TNetSocket s, void* buf, int len, uint8_t from[4], int* ttl) override {
    sockaddr_in sa{};
    iovec iov{buf, size_t(len)};
    alignas(cmsghdr) char control[64];
    msghdr msg{};
    msg.msg_name = &sa;
    msg.msg_namelen = sizeof sa;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t r;
    do r = ::recvmsg(Fd(s), &msg, 0);
    while (r < 0 && errno == EINTR);
    if (r < 0) return Result(-1);
    std::memcpy(from, &sa.sin_addr, 4);
    if (ttl) {
      *ttl = -1;
      for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c))
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) {
          int v;
          std::memcpy(&v, CMSG_DATA(c), sizeof v);
          *ttl = v;
        }
    }
    return int(r);
  }

  int SetSockOpt(TNetSocket s, int level, int option, int value) override {
    int plevel = level, popt = option;
    if (level == NetProtoIP && option == NetOptIPTtl) {
      popt = IP_TTL;
    } else if (level == NetProtoTCP && option == NetOptTCPNoDelay) {
      plevel = IPPROTO_TCP;
      popt = TCP_NODELAY;
    } else {
      return FailWith(10042);
    }
    return Result(::setsockopt(Fd(s), plevel, popt, &value, sizeof value));
  }

  int Shutdown(TNetSocket s, int how) override {
    return Result(::shutdown(Fd(s), how == NetShutdownSend   ? SHUT_WR
                                    : how == NetShutdownBoth ? SHUT_RDWR
                                                             : SHUT_RD));
  }

  int CloseSocket(TNetSocket s) override { return Result(::close(Fd(s))); }

  int WaitReadable(TNetSocket s, int timeoutMs) override {
    pollfd p{Fd(s), POLLIN, 0};
    int r = ::poll(&p, 1, timeoutMs == NetWaitForever ? -1 : timeoutMs < 0 ? 0 : timeoutMs);
    if (r < 0) return Result(-1);
    return r == 1 ? 1 : 0;
  }

  int StartConnect(TNetSocket s, const uint8_t addr[4], int port) override {
    const int flags = ::fcntl(Fd(s), F_GETFL, 0);
    if (flags < 0 || ::fcntl(Fd(s), F_SETFL, flags | O_NONBLOCK) < 0) return Result(-1);
    sockaddr_in sa = MakeAddress(addr, port);
    if (::connect(Fd(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return 0;
    if (errno == EINPROGRESS || errno == EINTR) return 1;
    return Result(-1);
  }

  int ConnectError(TNetSocket s) override {
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(Fd(s), SOL_SOCKET, SO_ERROR, &error, &len) < 0) return WinsockNumber(errno);
    return error == 0 ? 0 : WinsockNumber(error);
  }

  int WaitSockets(const std::vector<TNetSocket>& readable,
                  const std::vector<TNetSocket>& connecting, int timeoutMs,
                  std::vector<uint8_t>& ready) override {
    std::vector<pollfd> fds;
    for (TNetSocket s : readable) fds.push_back({Fd(s), POLLIN, 0});
    for (TNetSocket s : connecting) fds.push_back({Fd(s), POLLOUT, 0});
    int r;
    do
      r = ::poll(fds.data(), fds.size(), timeoutMs == NetWaitForever ? -1 : std::max(timeoutMs, 0));
    while (r < 0 && errno == EINTR);
    if (r < 0) return Result(-1);
    ready.assign(fds.size(), 0);
    for (size_t i = 0; i < fds.size(); ++i) ready[i] = fds[i].revents != 0;
    return r;
  }

  int LocalPortRaw(TNetSocket s) override {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(Fd(s), reinterpret_cast<sockaddr*>(&sa), &len) < 0) return Result(-1);
    return sa.sin_port;
  }

  int LastError() override { return FLastError; }

  bool LookupHost(const std::string& name, std::string& ip, int& error) override {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* res = nullptr;
    int r = ::getaddrinfo(name.c_str(), nullptr, &hints, &res);
    if (r != 0 || !res) {
      // Names the resolver does not know are "Host not found"; a resolver that could not
      // be asked is a temporary failure (11002), anything else a failure to recover (11003).
      error = (r == EAI_NONAME || r == EAI_NODATA || r == EAI_FAIL) ? 11001
              : r == EAI_AGAIN                                      ? 11002
                                                                    : 11003;
      if (r == EAI_SYSTEM) error = WinsockNumber(errno);
      return false;
    }
    uint8_t b[4];
    std::memcpy(b, &reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr, 4);
    ::freeaddrinfo(res);
    ip = AddressText(b);
    return true;
  }

  bool DatagramIcmpHasIPHeader() const override { return false; }

  uint32_t TickCount() override {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
  }

  uint32_t ProcessId() override { return uint32_t(::getpid()); }

 private:
  static int Fd(TNetSocket s) { return int(s); }
  template <class T>
  T Fail(T value) {
    FLastError = WinsockNumber(errno);
    return value;
  }
  int Result(int r) {
    if (r < 0) FLastError = WinsockNumber(errno);
    return r < 0 ? -1 : r;
  }
  int FailWith(int code) {
    FLastError = code;
    return -1;
  }

  // Per thread, like the Windows error number: the timed connect fails on its own thread.
  static thread_local int FLastError;
};

thread_local int TNetStackPosix::FLastError = 0;

}  // namespace

TNetStack* TNetStack::CreatePlatformStack() {
  return new TNetStackPosix;
}
