#include "app/NetworkState.h"

#include <winsock2.h>
// after the sockets header, which it needs
#include <iphlpapi.h>

#include <vector>

#include "framework/SystemLibrary.h"

namespace {

// Loaded at the first wake that has a line to dial again, not with the program.
TSystemLibrary IpHelper(L"iphlpapi.dll");
TSystemFunction<decltype(&::GetAdaptersAddresses)> GetAdapters(IpHelper, "GetAdaptersAddresses");

}  // namespace

bool NetworkAvailable() {
  if (!GetAdapters.Available()) return true;
  const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.resize(size);
    result = GetAdapters(AF_UNSPEC, flags, nullptr,
                         reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (result == ERROR_NO_DATA) return false;
  if (result != ERROR_SUCCESS) return true;
  for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next) {
    if (a->IfType == IF_TYPE_SOFTWARE_LOOPBACK || a->IfType == IF_TYPE_TUNNEL ||
        a->IfType == IF_TYPE_PPP)
      continue;
    if (a->OperStatus == IfOperStatusUp && a->FirstUnicastAddress) return true;
  }
  return false;
}
