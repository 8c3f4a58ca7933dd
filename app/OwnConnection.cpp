#include "app/OwnConnection.h"

#include <cstring>
#include <vector>

#include "core/ras/records.h"

HRASCONN FindEntryConnection(const std::string& entry_name, DWORD* error) {
  namespace r = vpn::ras;
  if (error) *error = 0;
  // Room for ten connections first; more when the system says it has more.
  std::vector<r::RasConnA> list(10);
  for (int attempt = 0; attempt < 3; ++attempt) {
    for (auto& c : list) c = r::RasConnA{};
    list[0].dwSize = sizeof(r::RasConnA);
    DWORD size = static_cast<DWORD>(list.size() * sizeof(r::RasConnA));
    DWORD count = 0;
    const DWORD result = dialup::RasEnumConnectionsA(list.data(), &size, &count);
    if (result == r::kErrorBufferTooSmall) {
      list.resize(size / sizeof(r::RasConnA) + 1);
      continue;
    }
    if (result != 0) {
      if (error) *error = result;
      return nullptr;
    }
    for (DWORD i = 0; i < count && i < list.size(); ++i) {
      const char* name = list[i].szEntryName;
      if (std::string(name, strnlen(name, sizeof list[i].szEntryName)) == entry_name)
        return list[i].hrasconn;
    }
    return nullptr;
  }
  if (error) *error = r::kErrorBufferTooSmall;
  return nullptr;
}
