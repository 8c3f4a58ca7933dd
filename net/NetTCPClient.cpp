#include "net/NetTCPClient.h"

void TNetTCPClient::Connect(int timeoutMs) {
  PrepareHandler();
  try {
    ResetForConnect();
    FIoHandler->Abort = Abort;
    FIoHandler->ConnectClient(Host, Port, BoundIP, BoundPort, UseNagle, timeoutMs);
  } catch (...) {
    Disconnect();
    throw;
  }
}
