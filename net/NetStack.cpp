#include "net/NetStack.h"

#include <algorithm>

#include "core/net/Address.h"
#include "core/net/SocketErrors.h"
#include "core/text/text.h"

namespace {

// Never destroyed: components owned by other static objects may count themselves out
// while the program's statics are being torn down.
std::mutex& StackLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}
TNetStack* g_stack = nullptr;
int g_users = 0;

}  // namespace

TNetStackUser::TNetStackUser() {
  std::lock_guard<std::mutex> lock(StackLock());
  ++g_users;
}

TNetStack& TNetStackUser::Stack() const {
  if (!FStack) {
    std::lock_guard<std::mutex> lock(StackLock());
    if (!g_stack) g_stack = TNetStack::CreatePlatformStack();
    FStack = g_stack;
  }
  return *FStack;
}

TNetStackUser::~TNetStackUser() {
  std::lock_guard<std::mutex> lock(StackLock());
  if (--g_users == 0) {
    delete g_stack;
    g_stack = nullptr;
  }
}

int TNetStackUser::UserCount() {
  std::lock_guard<std::mutex> lock(StackLock());
  return g_users;
}

bool TNetStack::IsIP(std::string_view text) {
  return vpn::net::IsAddress(text);
}

std::string TNetStack::AddressText(const uint8_t bytes[4]) {
  return vpn::net::DottedAddress(bytes);
}

void TNetStack::RaiseSocketError(int code) {
  throw ENetSocketError(code, vpn::net::SocketErrorMessage(code));
}

int TNetStack::CheckForSocketError(int result) {
  if (result == -1) {
    LastErrorCode = LastError();
    RaiseSocketError(LastErrorCode);
  }
  return result;
}

int TNetStack::CheckForSocketError(int result, std::initializer_list<int> ignore) {
  if (result == -1) {
    LastErrorCode = LastError();
    if (std::find(ignore.begin(), ignore.end(), LastErrorCode) != ignore.end())
      return LastErrorCode;
    RaiseSocketError(LastErrorCode);
  }
  return result;
}

std::string TNetStack::ResolveHost(const std::string& host) {
  if (vpn::SameTextAscii(host, "LOCALHOST")) return "127.0.0.1";
  if (IsIP(host)) return host;
  std::string ip;
  int error = 0;
  if (!LookupHost(host, ip, error)) {
    LastErrorCode = error;
    RaiseSocketError(error);
  }
  return ip;
}
