// The "VPN Connection" phonebook entry, the direct (synchronous) dial that the program
// uses on every Windows version except 2000 and XP, and the hang-up that goes with it.
#pragma once

#include <windows.h>

#include <string>

#include "dialup/Ras.h"

namespace dialup {

// Writes the VPN entry for `server` (PPTP, or L2TP when `l2tp`) into the default
// phonebook and erases the credentials stored with it. True when both calls succeed;
// false as well, with no call made, when the server text does not fit the entry.
bool WriteVpnEntry(const std::string& entry_name, const std::string& server, bool l2tp);

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
