// Naming the Windows version from the system's version record. The main window picks
// the dialing path by the name: "Windows 2000" and "Windows XP" dial through the
// component's asynchronous path, every other name (the empty one included) directly.
#pragma once

#include <cstdint>
#include <string>

namespace vpn::ras {

// The part of the 8-bit version record the name depends on.
struct OsVersionRecord {
  std::uint32_t platform_id = 0;  // 0 Win32s, 1 Windows 95 family, 2 NT family
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  char csd[128] = {};  // service-pack text, read up to its first NUL
};

// Writes the name into `name`; a version the table does not know leaves `name` as it
// was (callers pass an empty text, so the result is then empty).
void NameOsVersion(const OsVersionRecord& version, std::string& name);

}  // namespace vpn::ras
