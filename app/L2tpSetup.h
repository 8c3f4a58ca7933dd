// Getting the system ready for L2TP: the remote-access manager must not insist on IPsec
// for L2TP tunnels (its ProhibitIpSec value is 1), which takes effect after a restart.
#pragma once

#include <windows.h>

#include <string>

enum TL2tpReadiness {
  lrUnsupported,    // the remote-access manager's parameters key cannot be opened
  lrRestartNeeded,  // ProhibitIpSec was missing or not 1 and has just been set to 1
  lrReady,          // ProhibitIpSec is 1: dial in L2TP mode
};

inline constexpr const char* kRasManParameters =
    "\\SYSTEM\\CurrentControlSet\\Services\\RasMan\\Parameters\\";

// Opens the key with full access without creating it. A refused write raises
// "Failed to set data for 'ProhibitIpSec'", a value that is not an integer
// "Invalid data type for 'ProhibitIpSec'" (ERegistryException).
TL2tpReadiness PrepareL2tp(HKEY root = HKEY_LOCAL_MACHINE,
                           const std::string& key = kRasManParameters);
