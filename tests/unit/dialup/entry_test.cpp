// The phonebook entry, the direct dial and the hang-up of the first connection, against
// the simulated service; what the program handed over is read back from its journal.
#include <cstring>

#include "core/ras/records.h"
#include "core/ras/status_text.h"
#include "dialup/Ras.h"
#include "dialup/VpnEntry.h"
#include "rassim_fixture.h"

namespace {

namespace r = vpn::ras;

std::uint32_t U32(const std::string& b, std::size_t off) {
  std::uint32_t v = 0;
  std::memcpy(&v, b.data() + off, 4);
  return v;
}

DWORD CountConnections() {
  r::RasConnA conns[10] = {};
  conns[0].dwSize = sizeof(r::RasConnA);
  DWORD size = sizeof conns, count = 0;
  const DWORD rc = dialup::RasEnumConnectionsA(conns, &size, &count);
  return rc == 0 ? count : 1000 + rc;
}

struct SavedParams {
  DWORD result;
  std::string user, password;
  BOOL has_password;
};

SavedParams Saved(const char* entry) {
  r::RasDialParamsA p;
  r::BuildEntryDialParams(entry, p);
  BOOL has = -7;
  const DWORD rc = dialup::RasGetEntryDialParamsA(nullptr, &p, &has);
  return {rc, r::FieldText(p.szUserName), r::FieldText(p.szPassword), has};
}

using EntryTest = RassimTest;

TEST_F(EntryTest, WritesTheEntryAndClearsItsCredentials) {
  ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", " vpn.demo.test", false));
  const auto set = Journal("RasSetEntryPropertiesA");
  ASSERT_EQ(set.size(), 1u);
  EXPECT_EQ(set[0].Text("entry"), "VPN Connection");
  EXPECT_EQ(set[0].fields.at("phonebook"), "-");
  EXPECT_EQ(set[0].Number("size"), 2884u);
  EXPECT_EQ(set[0].Number("devinfo"), 0u);
  EXPECT_EQ(set[0].Number("devinfosize"), 0u);
  r::RasEntryA expected;
  ASSERT_TRUE(r::BuildVpnEntry(" vpn.demo.test", false, expected));
  const std::string rec = set[0].Record();
  ASSERT_EQ(rec.size(), 2884u);
  EXPECT_EQ(rec, std::string(reinterpret_cast<const char*>(&expected), sizeof expected));
  EXPECT_EQ(U32(rec, 4), 0x3D0D0310u);
  EXPECT_STREQ(rec.data() + 27, " vpn.demo.test");
  EXPECT_STREQ(rec.data() + 989, "WAN 微型端口 (PPTP)");
  EXPECT_EQ(U32(rec, 2084), 2u);

  const auto cred = Journal("RasSetCredentialsA");
  ASSERT_EQ(cred.size(), 1u);
  EXPECT_EQ(cred[0].Text("entry"), "VPN Connection");
  EXPECT_EQ(cred[0].fields.at("clear"), "0xFFFFFFFF");
  const std::string c = cred[0].Record();
  ASSERT_EQ(c.size(), 540u);
  EXPECT_EQ(U32(c, 0), 540u);
  EXPECT_EQ(U32(c, 4), 0x0Bu);
  EXPECT_EQ(c.substr(8), std::string(532, '\0'));
  EXPECT_EQ(cred[0].Number("result"), 0u);

  ClearJournal();
  ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", "10.0.0.1", true));
  const std::string l2tp = Journal("RasSetEntryPropertiesA").at(0).Record();
  EXPECT_STREQ(l2tp.data() + 989, "WAN 微型端口 (L2TP)");
  EXPECT_EQ(U32(l2tp, 2084), 0u);
}

TEST_F(EntryTest, EveryWriteErasesTheSavedUserAndPassword) {
  ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
  r::RasDialParamsA p;
  ASSERT_TRUE(r::BuildDialParams("VPN Connection", " old user ", "old pass", p));
  ASSERT_EQ(dialup::RasSetEntryDialParamsA(nullptr, &p, FALSE), 0u);
  auto saved = Saved("VPN Connection");
  EXPECT_EQ(saved.result, 0u);
  EXPECT_EQ(saved.user, " old user ");
  EXPECT_EQ(saved.password, "old pass");
  EXPECT_TRUE(saved.has_password);

  ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
  saved = Saved("VPN Connection");
  EXPECT_EQ(saved.result, 0u);
  EXPECT_EQ(saved.user, "");
  EXPECT_EQ(saved.password, "");
  EXPECT_FALSE(saved.has_password);
}

TEST_F(EntryTest, FailedEntryWriteSkipsTheCredentials) {
  Scenario("state_delay_ms=0", "[errors]\nRasSetEntryPropertiesA=621\n");
  EXPECT_FALSE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
  EXPECT_EQ(Journal("RasSetEntryPropertiesA").size(), 1u);
  EXPECT_TRUE(Journal("RasSetCredentialsA").empty());

  Scenario("state_delay_ms=0", "[errors]\nRasSetCredentialsA=5\n");
  EXPECT_FALSE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
}

TEST_F(EntryTest, TextThatDoesNotFitIsNeverHandedOver) {
  EXPECT_FALSE(dialup::WriteVpnEntry("VPN Connection", std::string(129, 'v'), false));
  EXPECT_EQ(dialup::DirectDial("VPN Connection", std::string(257, 'u'), "p"),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(Journal().empty());
  EXPECT_TRUE(dialup::WriteVpnEntry("VPN Connection", std::string(128, 'v'), false));
}

TEST_F(EntryTest, DirectDialConnectsAndTheFirstConnectionIsHungUp) {
  Scenario("state_delay_ms=5\nhangup_delay_ms=300");
  ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
  EXPECT_EQ(dialup::DirectDial("VPN Connection", "demo", "demo"), 0u);
  const auto dial = Journal("RasDialA");
  ASSERT_EQ(dial.size(), 1u);
  EXPECT_EQ(dial[0].Number("notifier_type"), 0u);
  EXPECT_EQ(dial[0].Number("notifier"), 0u);
  EXPECT_EQ(dial[0].Number("extensions"), 0u);
  r::RasDialParamsA expected;
  r::BuildDialParams("VPN Connection", "demo", "demo", expected);
  EXPECT_EQ(dial[0].Record(),
            std::string(reinterpret_cast<const char*>(&expected), sizeof expected));
  const auto handle = dial[0].Number("handle");
  EXPECT_GT(handle, 0xFFFFFFFFull);  // a 64-bit handle survives whole
  EXPECT_EQ(CountConnections(), 1u);

  dialup::HangUpFirstConnection();
  const auto hang = Journal("RasHangUpA");
  ASSERT_EQ(hang.size(), 1u);
  EXPECT_EQ(hang[0].Number("handle"), handle);
  EXPECT_EQ(Journal("RasEnumConnectionsA").back().Number("size"), sizeof(r::RasConnA));
  EXPECT_EQ(Journal("RasEnumConnectionsA").back().Number("cb"), 10 * sizeof(r::RasConnA));
  // The line stays listed until the service has let it go.
  EXPECT_EQ(CountConnections(), 1u);
  EXPECT_TRUE(WaitFor([] { return CountConnections() == 0; }, 3000));
}

TEST_F(EntryTest, DirectDialReportsTheServicesErrors) {
  Scenario("state_delay_ms=0\nservers=vpn.demo.test, 10.0.0.9");
  ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
  EXPECT_EQ(dialup::DirectDial("VPN Connection", "demo", "wrong"), 691u);
  EXPECT_EQ(dialup::DirectDial("VPN Connection", "nobody", "demo"), 691u);
  ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", "vpn.elsewhere.test", false));
  EXPECT_EQ(dialup::DirectDial("VPN Connection", "demo", "demo"), 800u);
  EXPECT_EQ(dialup::DirectDial("No Such Entry", "demo", "demo"), 623u);
  // Failed dials are not listed as connections.
  EXPECT_EQ(CountConnections(), 0u);
}

TEST_F(EntryTest, HangUpFirstTakesWhicheverIsListedFirstAndNothingBeyondTen) {
  ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
  ASSERT_EQ(dialup::DirectDial("VPN Connection", "demo", "demo"), 0u);
  ASSERT_EQ(dialup::DirectDial("VPN Connection", "demo", "demo"), 0u);
  const auto first = Journal("RasDialA").at(0).Number("handle");
  dialup::HangUpFirstConnection();
  EXPECT_EQ(Journal("RasHangUpA").at(0).Number("handle"), first);
  EXPECT_TRUE(WaitFor([] { return CountConnections() == 1; }, 3000));

  dialup::HangUpFirstConnection();
  EXPECT_TRUE(WaitFor([] { return CountConnections() == 0; }, 3000));
  ClearJournal();
  dialup::HangUpFirstConnection();  // none left: nothing to hang up
  EXPECT_TRUE(Journal("RasHangUpA").empty());

  for (int i = 0; i < 11; ++i) ASSERT_EQ(dialup::DirectDial("VPN Connection", "demo", "demo"), 0u);
  ClearJournal();
  dialup::HangUpFirstConnection();
  EXPECT_EQ(Journal("RasEnumConnectionsA").at(0).Number("result"), 603u);
  EXPECT_TRUE(Journal("RasHangUpA").empty());
}

TEST_F(EntryTest, ServiceContracts) {
  Scenario("state_delay_ms=0\nhangup_delay_ms=400");
  ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
  HRASCONN h = nullptr;
  r::RasDialParamsA p;
  r::BuildDialParams("VPN Connection", "demo", "demo", p);
  ASSERT_EQ(dialup::RasDialA(nullptr, nullptr, &p, 0, nullptr, &h), 0u);

  // Deleting the entry leaves the line up.
  EXPECT_EQ(dialup::RasDeleteEntry(nullptr, "VPN Connection"), 0u);
  EXPECT_EQ(dialup::RasDeleteEntry(nullptr, "VPN Connection"), 623u);
  EXPECT_EQ(Saved("VPN Connection").result, 623u);
  EXPECT_EQ(CountConnections(), 1u);

  r::RasConnStatusA st{};
  st.dwSize = sizeof st;
  ASSERT_EQ(dialup::RasGetConnectStatusA(h, &st), 0u);
  EXPECT_EQ(st.rasconnstate, r::kStateConnected);
  EXPECT_STREQ(st.szDeviceType, "vpn");
  st.dwSize = 100;
  EXPECT_EQ(dialup::RasGetConnectStatusA(h, &st), 632u);

  // The hang-up is accepted at once; the handle turns invalid only after the delay.
  ASSERT_EQ(dialup::RasHangUpA(h), 0u);
  st.dwSize = sizeof st;
  EXPECT_EQ(dialup::RasGetConnectStatusA(h, &st), 0u);
  EXPECT_EQ(st.rasconnstate, r::kStateDisconnected);
  EXPECT_TRUE(WaitFor([&] { return dialup::RasGetConnectStatusA(h, &st) == 6; }, 3000));
  EXPECT_EQ(dialup::RasHangUpA(h), 6u);
  EXPECT_EQ(dialup::RasHangUpA(nullptr), 6u);

  // Error texts: the system's English text, none for unknown codes or a short buffer.
  char text[100];
  ASSERT_EQ(dialup::RasGetErrorStringA(691, text, sizeof text), 0u);
  EXPECT_STREQ(text,
               "Access was denied because the username and/or password was invalid on the domain.");
  EXPECT_NE(dialup::RasGetErrorStringA(4321, text, sizeof text), 0u);
  EXPECT_NE(dialup::RasGetErrorStringA(691, text, 20), 0u);
  const auto fn = [](std::uint32_t code, char* b, std::uint32_t n) {
    return static_cast<std::uint32_t>(dialup::RasGetErrorStringA(code, b, n));
  };
  EXPECT_EQ(r::StatusText(r::StatusTable::Chinese, 8192, 623, fn),
            "The system could not find the phone book entry for this connection.");
  EXPECT_EQ(r::StatusText(r::StatusTable::Chinese, 8192, 4321, fn), "未知错误");
}

}  // namespace
