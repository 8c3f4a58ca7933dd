// The tunnel types: the entry each one writes, the key handed to L2TP/IPsec, which types a
// connect dials in which order, and which failures let Automatic go on.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "core/app/connect_rules.h"
#include "core/app/tunnel_choice.h"
#include "core/ras/records.h"

namespace {

using vpn::app::TunnelChoice;
using vpn::ras::Tunnel;

std::uint32_t U32(const vpn::ras::RasEntryA& e, std::size_t off) {
  std::uint32_t v;
  std::memcpy(&v, reinterpret_cast<const char*>(&e) + off, 4);
  return v;
}

// Offsets as the system reads the record (written out apart from the declarations).
constexpr std::size_t kOptions = 4, kDeviceName = 989, kEncryption = 1800, kCustomAuthKey = 1804,
                      kStrategy = 2084, kOptions2 = 2088;

TEST(Tunnels, EachTypeWritesItsOwnEntryAndOtherwiseTheDesignsOne) {
  struct Row {
    Tunnel tunnel;
    std::uint32_t options, options2, strategy, encryption, auth_key;
    const char* device;
  };
  // The encrypting types: encryption required, no PAP, SPAP, CHAP or MS-CHAP v1; IKEv2
  // logs on by EAP-MSCHAPv2 (26), the others by MS-CHAPv2; L2TP/IPsec takes a key.
  const Row rows[] = {
      {Tunnel::kIkev2, 0x05030310, 0x16F, 7, 1, 26, "WAN 微型端口 (IKEv2)"},
      {Tunnel::kSstp, 0x25010310, 0x16F, 5, 1, 0, "WAN 微型端口 (SSTP)"},
      {Tunnel::kL2tpIpsec, 0x25010310, 0x17F, 3, 1, 0, "WAN 微型端口 (L2TP)"},
      {Tunnel::kL2tp, 0x3D0D0310, 0x16F, 0, 3, 0, "WAN 微型端口 (L2TP)"},
      {Tunnel::kPptp, 0x3D0D0310, 0x16F, 2, 3, 0, "WAN 微型端口 (PPTP)"},
  };
  vpn::ras::RasEntryA design;
  ASSERT_TRUE(vpn::ras::BuildVpnEntry(" vpn.example.test", false, design));
  for (const Row& row : rows) {
    SCOPED_TRACE(vpn::ras::TunnelName(row.tunnel));
    vpn::ras::RasEntryA e;
    ASSERT_TRUE(vpn::ras::BuildVpnEntry(" vpn.example.test", row.tunnel, e));
    EXPECT_EQ(U32(e, kOptions), row.options);
    EXPECT_EQ(U32(e, kOptions2), row.options2);
    EXPECT_EQ(U32(e, kStrategy), row.strategy);
    EXPECT_EQ(U32(e, kEncryption), row.encryption);
    EXPECT_EQ(U32(e, kCustomAuthKey), row.auth_key);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&e) + kDeviceName), row.device);
    // Every other byte is the design's PPTP entry (server as typed, sizes, dial settings).
    auto mine = reinterpret_cast<const unsigned char*>(&e);
    auto theirs = reinterpret_cast<const unsigned char*>(&design);
    for (std::size_t i = 0; i < sizeof e; ++i) {
      const bool own =
          (i >= kOptions && i < kOptions + 4) || (i >= kDeviceName && i < kDeviceName + 129) ||
          (i >= kEncryption && i < kCustomAuthKey + 4) || (i >= kStrategy && i < kOptions2 + 4);
      if (!own) {
        ASSERT_EQ(mine[i], theirs[i]) << "byte " << i;
      }
    }
  }
  EXPECT_FALSE(vpn::ras::BuildVpnEntry(std::string(129, 'a'), Tunnel::kIkev2, design));
}

TEST(Tunnels, ThePreSharedKeyTravelsAloneInThePasswordField) {
  vpn::ras::RasCredentialsA c;
  ASSERT_TRUE(vpn::ras::BuildPreSharedKeyCredentials("k3y with blanks!", c));
  EXPECT_EQ(c.dwSize, 540u);
  EXPECT_EQ(c.dwMask, 0x10u);
  EXPECT_EQ(vpn::ras::FieldText(c.szPassword), "k3y with blanks!");
  EXPECT_EQ(vpn::ras::FieldText(c.szUserName), "");
  EXPECT_EQ(vpn::ras::FieldText(c.szDomain), "");
  EXPECT_TRUE(vpn::ras::BuildPreSharedKeyCredentials(std::string(256, 'k'), c));
  // A key that would be cut short, none at all, or one with a NUL hands nothing over.
  for (const std::string& bad : {std::string(257, 'k'), std::string(), std::string("a\0b", 3)}) {
    std::memset(&c, 0x5A, sizeof c);
    EXPECT_FALSE(vpn::ras::BuildPreSharedKeyCredentials(bad, c));
    const auto* bytes = reinterpret_cast<const unsigned char*>(&c);
    for (std::size_t i = 0; i < sizeof c; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
  }
}

TEST(Tunnels, TheChoiceComesFromTheSettingThenTheServiceThenTheBox) {
  using vpn::app::ChoiceInForce;
  EXPECT_EQ(ChoiceInForce("", ""), TunnelChoice::kBox);
  EXPECT_EQ(ChoiceInForce("", "SSTP"), TunnelChoice::kSstp);
  EXPECT_EQ(ChoiceInForce("ikev2", "SSTP"), TunnelChoice::kIkev2);
  EXPECT_EQ(ChoiceInForce("L2TP/IPsec", ""), TunnelChoice::kL2tpIpsec);
  // A value this program does not know is no choice: the service's, or the box, decides.
  EXPECT_EQ(ChoiceInForce("OpenTunnel", "PPTP"), TunnelChoice::kPptp);
  EXPECT_EQ(ChoiceInForce("L2TP ", ""), TunnelChoice::kBox);
  for (TunnelChoice c : {TunnelChoice::kAuto, TunnelChoice::kIkev2, TunnelChoice::kSstp,
                         TunnelChoice::kL2tpIpsec, TunnelChoice::kL2tp, TunnelChoice::kPptp})
    EXPECT_EQ(vpn::app::ChoiceOfProtocol(vpn::app::ProtocolValue(c)), c);
  EXPECT_EQ(vpn::app::ProtocolValue(TunnelChoice::kBox), "");
}

TEST(Tunnels, AutomaticTriesTheEncryptingTypesFirstAndPlainL2tpNever) {
  using vpn::app::TunnelsToDial;
  using V = std::vector<Tunnel>;
  EXPECT_EQ(TunnelsToDial(TunnelChoice::kAuto, true, true),
            (V{Tunnel::kIkev2, Tunnel::kSstp, Tunnel::kL2tpIpsec, Tunnel::kPptp}));
  EXPECT_EQ(TunnelsToDial(TunnelChoice::kAuto, false, false),
            (V{Tunnel::kIkev2, Tunnel::kSstp, Tunnel::kPptp}));
  EXPECT_EQ(TunnelsToDial(TunnelChoice::kBox, true, false), V{Tunnel::kL2tp});
  EXPECT_EQ(TunnelsToDial(TunnelChoice::kBox, false, true), V{Tunnel::kPptp});
  // A type chosen by name is dialed alone, whatever the box says.
  EXPECT_EQ(TunnelsToDial(TunnelChoice::kPptp, true, true), V{Tunnel::kPptp});
  EXPECT_EQ(TunnelsToDial(TunnelChoice::kL2tpIpsec, false, false), V{Tunnel::kL2tpIpsec});
}

TEST(Tunnels, OnlyATypeThatCannotBeMadeHereLetsAutomaticGoOn) {
  for (std::int64_t e : {628, 789, 792, 806, 809, 812, 13801, 13806, 13868})
    EXPECT_TRUE(vpn::app::TunnelNotPossible(e)) << e;
  // SSTP's certificate errors, as either dialing path hands them over.
  EXPECT_TRUE(vpn::app::TunnelNotPossible(0x800B0109LL));
  EXPECT_TRUE(vpn::app::TunnelNotPossible(static_cast<std::int32_t>(0x800B0109u)));
  EXPECT_TRUE(vpn::app::TunnelNotPossible(0x80092013LL));
  // A refused login ends Automatic at once, as does anything about the server or account.
  for (std::int64_t e : {0LL, 691LL, 718LL, 649LL, 800LL, 623LL, 13800LL, 13869LL, 0x800B0200LL})
    EXPECT_FALSE(vpn::app::TunnelNotPossible(e)) << e;

  // Both paths show a certificate error by the same number.
  EXPECT_EQ(vpn::app::DialFailureStatus(static_cast<std::int32_t>(0x800B0109u)),
            vpn::app::DialFailureStatus(0x800B0109LL));
  EXPECT_EQ(vpn::app::DialFailureStatus(0x800B0109LL), "无法连接，错误号为:2148204809");
}

TEST(Tunnels, TheEarlierProhibitIpSecValueIsKeptAsText) {
  using vpn::app::EarlierProhibitIpSecText;
  using vpn::app::ParseEarlierProhibitIpSec;
  for (std::optional<std::uint32_t> v : {std::optional<std::uint32_t>(), std::optional(0u),
                                         std::optional(2u), std::optional(4294967295u)})
    EXPECT_EQ(ParseEarlierProhibitIpSec(EarlierProhibitIpSecText(v)),
              std::optional<std::optional<std::uint32_t>>(v));
  for (const char* bad : {"", "None", "-1", "1 ", "4294967296", "0x1"})
    EXPECT_FALSE(ParseEarlierProhibitIpSec(bad).has_value()) << bad;
}

}  // namespace
