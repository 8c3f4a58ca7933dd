#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/ras/os_version.h"

namespace {

using vpn::ras::OsVersionRecord;

std::string Name(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                 const char* csd = "") {
  OsVersionRecord v;
  v.platform_id = platform;
  v.major = major;
  v.minor = minor;
  std::strncpy(v.csd, csd, sizeof v.csd - 1);
  std::string name;
  vpn::ras::NameOsVersion(v, name);
  return name;
}

TEST(OsVersionName, WholeTable) {
  EXPECT_EQ(Name(0, 3, 10), "Win 32s under Windows 3.1");
  EXPECT_EQ(Name(1, 4, 0), "Windows 95");
  EXPECT_EQ(Name(1, 4, 0, "B"), "Windows 95OSR2");
  EXPECT_EQ(Name(1, 4, 0, " B "), "Windows 95OSR2");
  EXPECT_EQ(Name(1, 4, 0, "b"), "Windows 95");
  EXPECT_EQ(Name(1, 4, 0, "A"), "Windows 95");
  EXPECT_EQ(Name(1, 4, 10), "Windows 98");
  EXPECT_EQ(Name(1, 4, 10, "\tA\r\n"), "Windows 98SE");
  EXPECT_EQ(Name(1, 4, 10, "B"), "Windows 98");
  EXPECT_EQ(Name(1, 4, 90), "Windows ME");
  EXPECT_EQ(Name(1, 9, 0), "Windows 95");  // major not looked at in this family
  EXPECT_EQ(Name(1, 4, 3), "");
  EXPECT_EQ(Name(2, 3, 51), "Windows NT3.0");
  EXPECT_EQ(Name(2, 4, 0), "Windows NT4.0");
  EXPECT_EQ(Name(2, 5, 0), "Windows 2000");
  EXPECT_EQ(Name(2, 5, 1), "Windows XP");
  EXPECT_EQ(Name(2, 5, 2), "Windows XP");
  for (std::uint32_t minor : {0u, 1u, 2u, 3u}) EXPECT_EQ(Name(2, 6, minor), "Windows vista");
  EXPECT_EQ(Name(2, 10, 0), "");
  EXPECT_EQ(Name(2, 2, 0), "");
  EXPECT_EQ(Name(3, 5, 1), "");
}

TEST(OsVersionName, UnknownVersionLeavesTheCallersText) {
  OsVersionRecord v;
  v.platform_id = 2;
  v.major = 10;
  std::string name = "kept";
  vpn::ras::NameOsVersion(v, name);
  EXPECT_EQ(name, "kept");
}

TEST(OsVersionName, ServicePackTextWithoutNulIsReadToItsEnd) {
  OsVersionRecord v;
  v.platform_id = 1;
  v.minor = 0;
  std::memset(v.csd, ' ', sizeof v.csd);
  v.csd[127] = 'B';
  std::string name;
  vpn::ras::NameOsVersion(v, name);
  EXPECT_EQ(name, "Windows 95OSR2");
}

}  // namespace
