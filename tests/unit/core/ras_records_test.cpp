// The remote-access records, checked byte by byte at the offsets the system reads them
// from (offsets written out independently of the declarations).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ras/records.h"

namespace {

using namespace vpn::ras;

template <class T>
std::vector<unsigned char> Bytes(const T& rec) {
  std::vector<unsigned char> b(sizeof rec);
  std::memcpy(b.data(), &rec, sizeof rec);
  return b;
}

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t off) {
  std::uint32_t v;
  std::memcpy(&v, b.data() + off, 4);
  return v;
}

std::string Text(const std::vector<unsigned char>& b, std::size_t off) {
  return std::string(reinterpret_cast<const char*>(b.data() + off));
}

struct Field {
  std::size_t offset;
  std::size_t length;
};

// Every byte outside the listed fields is zero, and every text field ends with a NUL
// inside its own length.
void ExpectZeroOutside(const std::vector<unsigned char>& b, const std::vector<Field>& fields) {
  for (std::size_t i = 0; i < b.size(); ++i) {
    bool inside = false;
    for (const auto& f : fields) inside |= i >= f.offset && i < f.offset + f.length;
    if (!inside) {
      EXPECT_EQ(b[i], 0) << "byte " << i;
    }
  }
}

TEST(RasRecords, EntryHoldsExactlyTheVpnValues) {
  RasEntryA e;
  ASSERT_TRUE(BuildVpnEntry("vpn.example.test", false, e));
  const auto b = Bytes(e);
  ASSERT_EQ(b.size(), 2884u);
  EXPECT_EQ(U32(b, 0), 2884u);
  EXPECT_EQ(U32(b, 4), 0x3D0D0310u);
  EXPECT_EQ(U32(b, 8), 86u);
  EXPECT_EQ(U32(b, 12), 86u);
  EXPECT_EQ(Text(b, 27), "vpn.example.test");
  EXPECT_EQ(U32(b, 184), 4u);  // net protocols: IP
  EXPECT_EQ(U32(b, 188), 1u);  // framing: PPP
  EXPECT_EQ(Text(b, 972), "vpn");
  EXPECT_EQ(Text(b, 989), "WAN 微型端口 (PPTP)");
  EXPECT_EQ(U32(b, 1772), 1u);  // dial mode: all
  EXPECT_EQ(U32(b, 1776), 75u);
  EXPECT_EQ(U32(b, 1780), 120u);
  EXPECT_EQ(U32(b, 1784), 10u);
  EXPECT_EQ(U32(b, 1788), 120u);
  EXPECT_EQ(U32(b, 1796), 2u);  // type: VPN
  EXPECT_EQ(U32(b, 1800), 3u);  // encryption: optional
  EXPECT_EQ(U32(b, 2084), 2u);  // strategy: PPTP first
  EXPECT_EQ(U32(b, 2088), 0x16Fu);
  EXPECT_EQ(U32(b, 2876), 3u);
  EXPECT_EQ(U32(b, 2880), 60u);
  ExpectZeroOutside(b, {{0, 16},
                        {27, 16},
                        {184, 8},
                        {972, 3},
                        {989, std::string("WAN 微型端口 (PPTP)").size()},
                        {1772, 20},
                        {1796, 8},
                        {2084, 8},
                        {2876, 8}});
}

TEST(RasRecords, PptpAndL2tpDifferInDeviceNameAndStrategyOnly) {
  RasEntryA pptp, l2tp;
  ASSERT_TRUE(BuildVpnEntry(" 10.1.2.3 ", false, pptp));
  ASSERT_TRUE(BuildVpnEntry(" 10.1.2.3 ", true, l2tp));
  const auto p = Bytes(pptp), l = Bytes(l2tp);
  EXPECT_EQ(Text(p, 27), " 10.1.2.3 ");  // the server as typed, blanks kept
  EXPECT_EQ(Text(l, 989), "WAN 微型端口 (L2TP)");
  EXPECT_EQ(U32(l, 2084), 0u);
  std::vector<std::size_t> differing;
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] != l[i]) differing.push_back(i);
  }
  // "PPTP" and "L2TP" differ in their first two letters; the strategy in one byte.
  EXPECT_EQ(differing, (std::vector<std::size_t>{989 + 14, 989 + 15, 2084}));
}

TEST(RasRecords, EntryRefusesAServerThatDoesNotFit) {
  RasEntryA e;
  EXPECT_TRUE(BuildVpnEntry(std::string(128, 'a'), false, e));
  EXPECT_EQ(Text(Bytes(e), 27).size(), 128u);
  EXPECT_FALSE(BuildVpnEntry(std::string(129, 'a'), false, e));
  const auto b = Bytes(e);
  for (auto c : b) ASSERT_EQ(c, 0);  // nothing half-built is left behind
}

TEST(RasRecords, CredentialsClearUserPasswordAndDomain) {
  const auto b = Bytes(BuildClearCredentials());
  ASSERT_EQ(b.size(), 540u);
  EXPECT_EQ(U32(b, 0), 540u);
  EXPECT_EQ(U32(b, 4), 0x0Bu);
  ExpectZeroOutside(b, {{0, 8}});
}

TEST(RasRecords, DialParamsCarryEntryUserAndPasswordOnly) {
  RasDialParamsA p;
  ASSERT_TRUE(BuildDialParams("VPN Connection", "张三", "pa ss", p));
  const auto b = Bytes(p);
  ASSERT_EQ(b.size(), 1052u);
  EXPECT_EQ(U32(b, 0), 1052u);
  EXPECT_EQ(Text(b, 4), "VPN Connection");
  EXPECT_EQ(Text(b, 519), "张三");
  EXPECT_EQ(Text(b, 776), "pa ss");
  ExpectZeroOutside(b, {{0, 4}, {4, 14}, {519, 4}, {776, 5}});
}

TEST(RasRecords, DialParamsRefuseTextBeyondTheirFields) {
  RasDialParamsA p;
  EXPECT_TRUE(
      BuildDialParams(std::string(256, 'e'), std::string(256, 'u'), std::string(256, 'p'), p));
  EXPECT_EQ(Text(Bytes(p), 776).size(), 256u);
  EXPECT_FALSE(BuildDialParams("VPN Connection", std::string(257, 'u'), "p", p));
  EXPECT_FALSE(BuildDialParams("VPN Connection", "u", std::string(257, 'p'), p));
  EXPECT_FALSE(BuildEntryDialParams(std::string(257, 'e'), p));
  EXPECT_EQ(p.dwSize, 0u);
}

TEST(RasRecords, ConnectionAndStatusRecordLayouts) {
  // The connection record's handle follows the size field at 4-byte packing, so the
  // texts move by four bytes in a 64-bit program.
  const std::size_t h = sizeof(void*);
  EXPECT_EQ(offsetof(RasConnA, hrasconn), 4u);
  EXPECT_EQ(offsetof(RasConnA, szEntryName), 4 + h);
  EXPECT_EQ(offsetof(RasConnA, szDeviceType), 4 + h + 257);
  EXPECT_EQ(offsetof(RasConnA, szDeviceName), 4 + h + 257 + 17);
  EXPECT_EQ(offsetof(RasConnStatusA, rasconnstate), 4u);
  EXPECT_EQ(offsetof(RasConnStatusA, dwError), 8u);
  EXPECT_EQ(offsetof(RasConnStatusA, szDeviceType), 12u);
  EXPECT_EQ(offsetof(RasConnStatusA, szDeviceName), 29u);
}

TEST(RasRecords, InputProblemsNameTheFieldThatDoesNotFit) {
  EXPECT_EQ(DialInputProblem(std::string(128, 's'), std::string(256, 'u'), std::string(256, 'p')),
            "");
  EXPECT_EQ(DialInputProblem(std::string(129, 's'), "u", "p"), "服务器地址太长(最多128字节)");
  EXPECT_EQ(DialInputProblem("s", std::string(257, 'u'), "p"), "用户名太长(最多256字节)");
  EXPECT_EQ(DialInputProblem("s", "u", std::string(257, 'p')), "密码太长(最多256字节)");
}

}  // namespace
