// The "VPN Connection" phonebook entry, the direct (synchronous) dial that the program
// uses on every Windows version except 2000 and XP, and the hang-up that goes with it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/ras/tunnel.h"
#include "dialup/Ras.h"

namespace dialup {

// Writes the VPN entry of `tunnel` for `server` into the default phonebook and erases
// the credentials stored with it; an L2TP/IPsec entry then gets its pre-shared key. True
// when every call succeeds; false as well, with no call made, when the server text does
// not fit the entry (or an L2TP/IPsec key is missing or does not fit).
bool WriteVpnEntry(const std::string& entry_name, const std::string& server,
                   vpn::ras::Tunnel tunnel, std::string_view pre_shared_key = {});
// The design's entries: PPTP, or L2TP when `l2tp`.
inline bool WriteVpnEntry(const std::string& entry_name, const std::string& server, bool l2tp) {
  return WriteVpnEntry(entry_name, server,
                       l2tp ? vpn::ras::Tunnel::kL2tp : vpn::ras::Tunnel::kPptp);
}

// Dials the entry with the given (already trimmed) user name and password and returns
// when the dial has ended: 0 = connected, else the system's error number. Text that
// does not fit the dial parameters is refused with ERROR_INVALID_PARAMETER, undialed.
// When `connection` is given it receives the handle of the connection the dial made
// (also after a failed dial, which still has to be hung up), or null.
DWORD DirectDial(const std::string& entry_name, const std::string& user_name,
                 const std::string& password, HRASCONN* connection = nullptr);

// Hangs up the first active connection the system lists (without waiting for it to go).
void HangUpFirstConnection();

}  // namespace dialup
