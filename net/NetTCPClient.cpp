#include "net/NetTCPClient.h"

void TNetTCPClient::Connect(int timeoutMs) {
  PrepareHandler();
  try {
    ResetForConnect();
    ioHandler_->ConnectClient(Host, Port, BoundIP, BoundPort, UseNagle, timeoutMs);
  } catch (...) {
    Disconnect();
    throw;
  }
}
