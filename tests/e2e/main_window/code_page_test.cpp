// The program on a system whose code page is not Chinese: this test program runs with
// the locale that gives Wine's processes code page 1252, and the program it starts
// inherits that. The windows show the right characters whatever the code page; so must
// the notification-area icon's tip and balloon.
#include <gtest/gtest.h>

#include "tests/e2e/main_window/support.h"

namespace {

TEST(WesternCodePage, TrayTextsAreTheRightCharacters) {
  // What a program started from here runs under, checked first.
  e2e::StartOptions probe;
  probe.exe = e2e::BinDir() + L"\\e2e_code_page.exe";
  probe.prefer_rassim = false;
  probe.allow_other_copies = true;
  probe.clean_settings = false;
  ASSERT_EQ(e2e::Program::Start(probe).WaitExit(10000), std::optional<DWORD>(1252))
      << "not run under a Western code page (ctest sets VPN_WINE_LOCALE=C.UTF-8)";

  mw::SetReportedVersion(L"");
  mw::FakeNotificationArea tray;
  mw::Session s(L"cp1252", "[service]\nstate_delay_ms=5\n[account demo]\npassword=demo\n",
                /*clean_settings=*/true, /*record_status=*/false);
  EXPECT_EQ(e2e::TextOf(s.Main()), L"Morlu连接器");
  s.Fill(L"IPAddrTxt", L"127.0.0.1");
  s.Fill(L"UserNameTxt", L"demo");
  s.Fill(L"PasswordTxt", L"demo");
  e2e::Click(s.C(L"Button1"));
  ASSERT_TRUE(tray.WaitForBalloon(10000)) << "no balloon; status " << s.Status();
  const mw::TrayRecord* added = nullptr;
  const mw::TrayRecord* balloon = nullptr;
  for (const auto& r : tray.Records()) {
    if (r.message == NIM_ADD) added = &r;
    if (r.message == NIM_MODIFY && (r.flags & NIF_INFO) && !r.info.empty()) balloon = &r;
  }
  ASSERT_NE(added, nullptr);
  ASSERT_NE(balloon, nullptr);
  EXPECT_EQ(added->tip, L"Morlu连接器");
  EXPECT_EQ(balloon->tip, L"Morlu连接器");
  EXPECT_EQ(balloon->info, L"程序已最小化.");
  EXPECT_EQ(balloon->info_title, L"Morlu连接器");
}

}  // namespace
