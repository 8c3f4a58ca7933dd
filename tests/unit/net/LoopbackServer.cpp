#include "tests/unit/net/LoopbackServer.h"

#include <stdexcept>

#ifdef _WIN32
#include <ws2tcpip.h>
using socklen_t = int;
static void CloseRaw(RawSocket s) {
  closesocket(s);
}
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
static void CloseRaw(RawSocket s) {
  close(s);
}
#endif

void LoopbackServer::StartSockets() {
#ifdef _WIN32
  static bool started = [] {
    WSADATA d;
    return WSAStartup(MAKEWORD(2, 2), &d) == 0;
  }();
  if (!started) throw std::runtime_error("WSAStartup failed");
#endif
}

static RawSocket Listen(int backlog, int& port) {
  LoopbackServer::StartSockets();
  RawSocket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
    throw std::runtime_error("test server: bind failed");
  socklen_t len = sizeof sa;
  getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
  port = ntohs(sa.sin_port);
  if (listen(s, backlog) != 0) throw std::runtime_error("test server: listen failed");
  return s;
}

LoopbackServer::LoopbackServer(std::function<void(PeerSocket&)> script, int backlog, bool accept) {
  listener_ = Listen(backlog, port_);
  if (!accept) return;
  thread_ = std::thread([this, script] {
    RawSocket c = ::accept(listener_, nullptr, nullptr);
    PeerSocket peer(c);
    script(peer);
    peer.Close();
  });
}

LoopbackServer::~LoopbackServer() {
  Join();
  CloseRaw(listener_);
}

void LoopbackServer::Join() {
  if (thread_.joinable()) thread_.join();
}

int LoopbackServer::ClosedPort() {
  int port;
  RawSocket s = Listen(1, port);
  CloseRaw(s);
  return port;
}

void PeerSocket::Send(const std::string& bytes) {
  size_t off = 0;
  while (off < bytes.size()) {
    int r = send(s_, bytes.data() + off, int(bytes.size() - off), 0);
    if (r <= 0) return;
    off += size_t(r);
  }
}

std::string PeerSocket::ReceiveAll() {
  std::string all;
  char buf[8192];
  for (;;) {
    int r = recv(s_, buf, sizeof buf, 0);
    if (r <= 0) return all;
    all.append(buf, size_t(r));
  }
}

std::string PeerSocket::ReceiveSome(size_t n) {
  std::string buf(n, '\0');
  int r = recv(s_, buf.data(), int(n), 0);
  buf.resize(r > 0 ? size_t(r) : 0);
  return buf;
}

void PeerSocket::Reset() {
  linger l{};
  l.l_onoff = 1;
  l.l_linger = 0;
  setsockopt(s_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
  Close();
}

void PeerSocket::Close() {
#ifdef _WIN32
  if (s_ != INVALID_SOCKET) CloseRaw(s_);
  s_ = INVALID_SOCKET;
#else
  if (s_ >= 0) CloseRaw(s_);
  s_ = -1;
#endif
}
