// Getting the system ready for plain L2TP: the remote-access manager must not insist on
// IPsec for L2TP tunnels (its ProhibitIpSec value is 1), which takes effect after a
// restart. That switches IPsec off for every L2TP tunnel of the machine, so the value
// found before is remembered and put back once an encrypting tunnel type is dialed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

enum TL2tpReadiness {
  lrUnsupported,    // the remote-access manager's parameters key cannot be opened
  lrRestartNeeded,  // ProhibitIpSec was missing or not 1 and has just been set to 1
  lrReady,          // ProhibitIpSec is 1: dial in L2TP mode
};

inline constexpr const char* kRasManParameters =
    "\\SYSTEM\\CurrentControlSet\\Services\\RasMan\\Parameters\\";

// What ProhibitIpSec held: no value when it did not exist.
using TProhibitIpSec = std::optional<std::uint32_t>;

// Opens the key with full access without creating it. Before ProhibitIpSec is set to 1,
// `RememberEarlier` is told what it held (when it raises, nothing is written). A refused
// write raises "Failed to set data for 'ProhibitIpSec'", a value that is not an integer
// "Invalid data type for 'ProhibitIpSec'" (ERegistryException).
TL2tpReadiness PrepareL2tp(const std::function<void(TProhibitIpSec)>& RememberEarlier = {},
                           HKEY root = HKEY_LOCAL_MACHINE,
                           const std::string& key = kRasManParameters);

// Puts back what ProhibitIpSec held before PrepareL2tp set it, while it still holds that
// 1 (a value someone changed since is left alone). True when IPsec was switched off and
// no longer is, which takes effect after a restart. Raises ERegistryException when the
// system refuses the write.
bool RestoreProhibitIpSec(TProhibitIpSec Earlier, HKEY root = HKEY_LOCAL_MACHINE,
                          const std::string& key = kRasManParameters);
