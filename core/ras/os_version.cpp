#include "core/ras/os_version.h"

#include "core/text/text.h"

namespace vpn::ras {

namespace {

std::string ServicePack(const OsVersionRecord& v) {
  std::size_t n = 0;
  while (n < sizeof v.csd && v.csd[n] != 0) ++n;
  return vpn::Trim(std::string_view(v.csd, n));
}

}  // namespace

void NameOsVersion(const OsVersionRecord& v, std::string& name) {
  switch (v.platform_id) {
    case 0:
      name = "Win 32s under Windows 3.1";
      return;
    case 1:
      // The Windows 95 family is told apart by the minor version alone.
      if (v.minor == 0) {
        name = ServicePack(v) == "B" ? "Windows 95OSR2" : "Windows 95";
      } else if (v.minor == 10) {
        name = ServicePack(v) == "A" ? "Windows 98SE" : "Windows 98";
      } else if (v.minor == 90) {
        name = "Windows ME";
      }
      return;
    case 2:
      if (v.major == 3) {
        name = "Windows NT3.0";
      } else if (v.major == 4) {
        name = "Windows NT4.0";
      } else if (v.major == 5) {
        name = v.minor == 0 ? "Windows 2000" : "Windows XP";
      } else if (v.major == 6) {
        name = "Windows vista";
      }
      return;
    default:
      return;
  }
}

}  // namespace vpn::ras
