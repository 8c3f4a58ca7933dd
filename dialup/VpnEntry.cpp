#include "dialup/VpnEntry.h"

#include <ras.h>

#include "core/ras/records.h"
#include "core/text/secret.h"
#include "dialup/Ras.h"
#include "framework/SystemLibrary.h"

namespace dialup {

namespace r = vpn::ras;

namespace {
// The remote-access library is loaded by the first connect, not with the program.
TSystemLibrary RasLibrary(L"rasapi32.dll");
TSystemFunction<decltype(&::RasSetEntryPropertiesA)> SetEntryProperties(RasLibrary,
                                                                        "RasSetEntryPropertiesA");
TSystemFunction<decltype(&::RasSetCredentialsA)> SetCredentials(RasLibrary, "RasSetCredentialsA");
TSystemFunction<decltype(&::RasDialA)> Dial(RasLibrary, "RasDialA");
}  // namespace

bool WriteVpnEntry(const std::string& entry_name, const std::string& server, r::Tunnel tunnel,
                   std::string_view pre_shared_key) {
  r::RasEntryA entry;
  if (entry_name.size() > r::kMaxEntryName || !r::BuildVpnEntry(server, tunnel, entry))
    return false;
  r::RasCredentialsA key;
  // The key's copy is wiped however the writing ends.
  const vpn::WipeRecordOnExit wipe(key);
  if (tunnel == r::Tunnel::kL2tpIpsec && !r::BuildPreSharedKeyCredentials(pre_shared_key, key))
    return false;
  if (SetEntryProperties(nullptr, entry_name.c_str(), reinterpret_cast<RASENTRYA*>(&entry),
                         sizeof entry, nullptr, 0) != 0) {
    return false;
  }
  r::RasCredentialsA credentials = r::BuildClearCredentials();
  // The clear flag goes over as a boolean with all bits set.
  if (SetCredentials(nullptr, entry_name.c_str(), reinterpret_cast<RASCREDENTIALSA*>(&credentials),
                     -1) != 0) {
    return false;
  }
  if (tunnel != r::Tunnel::kL2tpIpsec) return true;
  return SetCredentials(nullptr, entry_name.c_str(), reinterpret_cast<RASCREDENTIALSA*>(&key),
                        FALSE) == 0;
}

DWORD DirectDial(const std::string& entry_name, const std::string& user_name,
                 const std::string& password, HRASCONN* connection) {
  if (connection) *connection = nullptr;
  r::RasDialParamsA params;
  const vpn::WipeRecordOnExit wipe(params);
  if (!r::BuildDialParams(entry_name, user_name, password, params)) {
    return r::kErrorInvalidParameter;
  }
  HRASCONN made = nullptr;
  const DWORD result =
      Dial(nullptr, nullptr, reinterpret_cast<RASDIALPARAMSA*>(&params), 0, nullptr, &made);
  if (connection) *connection = made;
  return result;
}

void HangUpFirstConnection() {
  r::RasConnA connections[10] = {};
  connections[0].dwSize = sizeof(r::RasConnA);
  DWORD size = sizeof connections;
  DWORD count = 0;
  if (dialup::RasEnumConnectionsA(connections, &size, &count) == 0 && count >= 1) {
    dialup::RasHangUpA(connections[0].hrasconn);
  }
}

}  // namespace dialup
