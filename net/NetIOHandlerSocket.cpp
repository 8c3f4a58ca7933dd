#include "net/NetIOHandlerSocket.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

void TNetIOHandlerSocket::Open() {
  FBinding = std::make_unique<TNetSocketHandle>();
}

void TNetIOHandlerSocket::ConnectClient(const std::string& host, int port,
                                        const std::string& boundIP, int boundPort, bool useNagle,
                                        int timeoutMs) {
  if (!FBinding) Open();
  TNetSocketHandle& b = *FBinding;
  b.AllocateSocket(ntStream, NetProtoTCP);
  b.IP = boundIP;
  b.Port = boundPort;
  b.Bind();
  b.PeerIP = b.Stack().ResolveHost(host);
  b.PeerPort = port;
  if (!useNagle) b.SetSockOpt(NetProtoTCP, NetOptTCPNoDelay, 1);

  if ((timeoutMs == -1 || timeoutMs == 0) && !Abort) {
    b.Stack().CheckForSocketError(b.Connect());
    return;
  }
  const bool limited = timeoutMs != -1 && timeoutMs != 0;

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
  const auto aborted = [&] { return Abort && Abort->load(); };
  while (!done && (!limited || waited < timeoutMs) && !aborted()) {
    int step = limited ? std::min(125, timeoutMs - waited) : 125;
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
    if (aborted()) throw ENetOperationAborted();
    throw ENetConnectTimeout();
  }
  connector.join();
  if (failure) std::rethrow_exception(failure);
}

void TNetIOHandlerSocket::Close() {
  if (FBinding) FBinding->CloseSocket();
}

bool TNetIOHandlerSocket::Connected() const {
  return FBinding && FBinding->HandleAllocated();
}

bool TNetIOHandlerSocket::Readable(int timeoutMs) {
  if (!Connected()) throw ENetConnClosedGracefully();
  return FBinding->Select(timeoutMs) == 1;
}

int TNetIOHandlerSocket::Recv(void* buf, int len) {
  if (!FBinding) throw ENetClosedSocket();
  return FBinding->Recv(buf, len);
}

int TNetIOHandlerSocket::Send(const void* data, int len) {
  if (!FBinding) throw ENetClosedSocket();
  return FBinding->Send(data, len);
}

int TNetIOHandlerSocket::LastError() {
  if (!FBinding) return 0;
  return FBinding->Stack().LastErrorCode = FBinding->Stack().LastError();
}
