// The I/O handler of a TCP connection: owns the connection's socket handle and carries
// out connect, wait, receive, send and close on it. The connection calls it only through
// these virtual functions, so another handler can stand in for the socket.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "net/NetSocketHandle.h"

class TNetIOHandlerSocket {
 public:
  TNetIOHandlerSocket() = default;
  virtual ~TNetIOHandlerSocket() = default;
  TNetIOHandlerSocket(const TNetIOHandlerSocket&) = delete;
  TNetIOHandlerSocket& operator=(const TNetIOHandlerSocket&) = delete;

  // Starts afresh with a new socket handle object (no socket open yet).
  virtual void Open();
  // Creates the stream socket, binds it, resolves the host and connects. A time limit
  // other than -1 and 0 connects on a second thread and raises ENetConnectTimeout when
  // the limit runs out first (ENetOperationAborted when Abort is set first).
  virtual void ConnectClient(const std::string& host, int port, const std::string& boundIP,
                             int boundPort, bool useNagle, int timeoutMs);
  // Shuts sending down and closes the socket; the handle object stays.
  virtual void Close();
  virtual bool Connected() const;
  // Waits until the socket is readable (ms, NetWaitForever = no limit); raises
  // ENetConnClosedGracefully when no socket is open. A failed wait counts as not readable.
  virtual bool Readable(int timeoutMs);
  // Byte count, or -1 with the Windows Sockets number in LastError(); ENetClosedSocket
  // when no socket is open.
  virtual int Recv(void* buf, int len);
  virtual int Send(const void* data, int len);
  virtual int LastError();

  TNetSocketHandle* Binding() const { return FBinding.get(); }

  // The connection's abort flag (TNetTCPConnection::Abort): a connect under a time limit
  // ends early with ENetOperationAborted when it is set; with it, a connect without a
  // limit waits the same way.
  const std::atomic<bool>* Abort = nullptr;

 private:
  std::unique_ptr<TNetSocketHandle> FBinding;
};
