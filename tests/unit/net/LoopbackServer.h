// A TCP server on 127.0.0.1 for the network tests, written straight against the system's
// sockets (not the program's stack): it accepts one connection on its own thread and runs
// a script on it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
using RawSocket = SOCKET;
#else
using RawSocket = int;
#endif

class PeerSocket {
 public:
  explicit PeerSocket(RawSocket s) : s_(s) {}
  void Send(const std::string& bytes);
  // Everything until the client closes.
  std::string ReceiveAll();
  // Up to n bytes (blocks for at least one).
  std::string ReceiveSome(size_t n);
  // Ends the connection with a reset instead of an orderly close.
  void Reset();
  void Close();
  RawSocket Raw() const { return s_; }

 private:
  RawSocket s_;
};

class LoopbackServer {
 public:
  // backlog: the listen queue length; the script runs on the accepted connection.
  explicit LoopbackServer(std::function<void(PeerSocket&)> script, int backlog = 4,
                          bool accept = true);
  ~LoopbackServer();
  int Port() const { return port_; }
  // Waits for the script to finish.
  void Join();

  // A port on 127.0.0.1 on which nothing listens.
  static int ClosedPort();
  // Starts the system's sockets once (Windows).
  static void StartSockets();

 private:
  RawSocket listener_;
  int port_ = 0;
  std::thread thread_;
};
