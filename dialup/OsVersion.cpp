#include "dialup/OsVersion.h"

#include <windows.h>

#include <cstring>

#include "core/ras/os_version.h"

namespace dialup {

namespace {

OSVERSIONINFOEXA QueryVersion() {
  OSVERSIONINFOEXA info;
  std::memset(&info, 0, sizeof info);
  // The basic record's size: the query fills the fields the name needs.
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
#pragma GCC diagnostic pop
  return info;
}

}  // namespace

void OsVersionName(std::string& name) {
  const OSVERSIONINFOEXA info = QueryVersion();
  vpn::ras::OsVersionRecord v;
  v.platform_id = info.dwPlatformId;
  v.major = info.dwMajorVersion;
  v.minor = info.dwMinorVersion;
  std::memcpy(v.csd, info.szCSDVersion, sizeof v.csd);
  vpn::ras::NameOsVersion(v, name);
}

TPlatformFamily PlatformFamily() {
  switch (QueryVersion().dwPlatformId) {
    case VER_PLATFORM_WIN32s:
      return pfWin32s;
    case VER_PLATFORM_WIN32_WINDOWS:
      return pfWindows95;
    default:
      return pfWindowsNT;
  }
}

}  // namespace dialup
