#include "net/NetIOHandlerSocket.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

void TNetIOHandlerSocket::Open() {
  binding_ = std::make_unique<TNetSocketHandle>();
}

void TNetIOHandlerSocket::ConnectClient(const std::string& host, int port,
                                        const std::string& boundIP, int boundPort, bool useNagle,
                                        int timeoutMs) {
  if (!binding_) Open();
  TNetSocketHandle& b = *binding_;
  b.AllocateSocket(ntStream, NetProtoTCP);
  b.IP = boundIP;
  b.Port = boundPort;
  b.Bind();
  b.PeerIP = b.Stack().ResolveHost(host);
  b.PeerPort = port;
  if (!useNagle) b.SetSockOpt(NetProtoTCP, NetOptTCPNoDelay, 1);

  if (timeoutMs == -1 || timeoutMs == 0) {
    b.Stack().CheckForSocketError(b.Connect());
    return;
  }

  // The connect blocks on its own thread while this one watches the clock; when the
  // limit runs out the socket is shut and closed, which ends the waiting connect.
  std::atomic<bool> done{false};
  std::exception_ptr failure;
  std::thread connector([&] {
    try {
      b.Stack().CheckForSocketError(b.Connect());
    } catch (...) {
      failure = std::current_exception();
    }
    done = true;
  });
  int waited = 0;
  while (!done && waited < timeoutMs) {
    int step = std::min(125, timeoutMs - waited);
    std::this_thread::sleep_for(std::chrono::milliseconds(step));
    waited += step;
  }
  if (!done) {
    // Shutting down ends a pending connect here; Windows needs the close for it. Closing
    // only after the connect returned keeps the number from being reused under it.
    b.Stack().Shutdown(b.Handle(), NetShutdownBoth);
    for (int i = 0; i < 25 && !done; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    b.CloseSocket();
    connector.join();
    throw ENetConnectTimeout();
  }
  connector.join();
  if (failure) std::rethrow_exception(failure);
}

void TNetIOHandlerSocket::Close() {
  if (binding_) binding_->CloseSocket();
}

bool TNetIOHandlerSocket::Connected() const {
  return binding_ && binding_->HandleAllocated();
}

bool TNetIOHandlerSocket::Readable(int timeoutMs) {
  if (!Connected()) throw ENetConnClosedGracefully();
  return binding_->Select(timeoutMs) == 1;
}

int TNetIOHandlerSocket::Recv(void* buf, int len) {
  if (!binding_) throw ENetClosedSocket();
  return binding_->Recv(buf, len);
}

int TNetIOHandlerSocket::Send(const void* data, int len) {
  if (!binding_) throw ENetClosedSocket();
  return binding_->Send(data, len);
}

int TNetIOHandlerSocket::LastError() {
  if (!binding_) return 0;
  return binding_->Stack().LastErrorCode = binding_->Stack().LastError();
}
