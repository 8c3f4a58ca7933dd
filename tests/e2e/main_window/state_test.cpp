// The connection's state as the user meets it, end to end against rassim: a Disconnect
// while the dial still runs wins, a hang-up that fails says so, queued clicks make one
// dial, the tray menu's Connect follows the state, what the user typed survives the end
// of the session or a crash, and a line that died while the machine slept is dialed
// again after the wake.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/main_window/support.h"

namespace {

using mw::Session;

const char kAccount[] = "[account demo]\npassword=demo\n";

std::string Service(const std::string& lines) {
  return "[service]\nstate_delay_ms=5\nhangup_delay_ms=20\n" + lines + kAccount;
}

// A click whose press and release wait in the queue behind whatever is there: the way a
// click made while the program's thread is busy arrives.
void QueueClick(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageW(w, WM_MOUSEMOVE, 0, at);
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(w, WM_LBUTTONUP, 0, at);
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& part) {
  return std::any_of(texts.begin(), texts.end(),
                     [&](const std::wstring& t) { return t.find(part) != std::wstring::npos; });
}

class ConnectionStates : public ::testing::Test {
 protected:
  void SetUp() override {
    mw::SetReportedVersion(L"");
    e2e::DeleteSettings();
  }
  void TearDown() override {
    mw::SetReportedVersion(L"");
    e2e::DeleteSettings();
  }
  // The tray menu's Connect and Disconnect, read in the program from the menu the icon
  // pops up (the icon's window answers even while the icon is not shown).
  static std::pair<bool, bool> TrayItems(Session& s, mw::FakeNotificationArea& tray,
                                         bool pick_connect = false) {
    e2e::MoveMouse({700, 560});
    tray.RightClickIcon();
    HWND menu = e2e::WaitForPopupMenu(s.App().Pid());
    if (!menu) throw e2e::Failure("no tray menu");
    const bool connect = e2e::MenuItemNamed(menu, L"连接(C)").enabled;
    const bool disconnect = e2e::MenuItemNamed(menu, L"断开(D)").enabled;
    if (pick_connect)
      e2e::PickMenuItem(menu, L"连接(C)");
    else
      e2e::CloseMenu(menu);
    return {connect, disconnect};
  }
};

// The reported fault: 断开 pressed while the blocking dial runs hung up and said so, and
// then the dial's own code went on to the tray, a balloon about a drop and a reconnect
// text, with no window left to the user.
TEST_F(ConnectionStates, ADisconnectWhileTheDialRunsWins) {
  e2e::RegSetString(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, L"AutoReconnect", L"Yes");
  for (const wchar_t* version : {L"", L"winxp"}) {
    SCOPED_TRACE(*version ? "progress dial" : "direct dial");
    mw::SetReportedVersion(version);
    mw::FakeNotificationArea tray;
    Session s(std::wstring(L"state-disconnect-") + (*version ? version : L"direct"),
              "[service]\nstate_delay_ms=400\nhangup_delay_ms=30\n" + std::string(kAccount),
              /*clean_settings=*/false);
    mw::FillDemoAccount(s);
    e2e::Click(s.C(L"Button1"));
    // The account went with the entry: the dial runs now. The direct dial holds the
    // window's thread; the click waits in the queue behind it.
    ASSERT_TRUE(
        e2e::WaitUntil([&] { return s.Journal("RasSetEntryDialParamsA").size() >= 1; }, 10000));
    Sleep(800);
    QueueClick(s.C(L"Button2"));
    ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 15000))
        << e2e::WideToUtf8(s.Status());
    Sleep(3500);  // past the first wait before a reconnect
    e2e::Sync(s.Main());
    EXPECT_EQ(s.Status(), L"断开成功");
    EXPECT_TRUE(s.Visible()) << "the window went to the tray after the disconnect";
    EXPECT_TRUE(mw::InputsEnabled(s));
    e2e::SaveScreenshot(e2e::ArtifactPath(std::wstring(L"state-disconnected-in-dial-") +
                                          (*version ? version : L"direct") + L".bmp"),
                        s.Main());
    const auto history = s.StatusHistory();
    const auto hung_up = std::find(history.begin(), history.end(), L"断开成功");
    ASSERT_NE(hung_up, history.end());
    EXPECT_EQ(hung_up + 1, history.end())
        << "status after the disconnect: " << e2e::WideToUtf8(history.back());
    EXPECT_FALSE(Contains(history, L"重连"));
    EXPECT_FALSE(tray.IconShown());
    EXPECT_EQ(tray.BalloonCount(), 0u);
    for (const auto& n : s.Journal("RasConnectionNotificationA"))
      EXPECT_NE(n.Field("handle"), "0x0") << "a notification asked for no line";
    auto dials = s.Journal("RasDialA");
    ASSERT_EQ(dials.size(), 1u);
    bool dial_hung_up = false;
    for (const auto& h : s.Journal("RasHangUpA"))
      dial_hung_up = dial_hung_up || h.Field("handle") == dials[0].Field("handle");
    EXPECT_TRUE(dial_hung_up);
  }
}

TEST_F(ConnectionStates, AHangUpThatFailsSaysSoAndKeepsTheLine) {
  mw::FakeNotificationArea tray;
  Session s(L"state-hangup-fails", Service(""));
  mw::FillDemoAccount(s);
  e2e::Click(s.C(L"Button1"));
  ASSERT_TRUE(tray.WaitForBalloon(10000)) << e2e::WideToUtf8(s.Status());
  tray.ClickIcon();
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000));

  s.SetScenario(Service("") + "[errors]\nRasHangUpA=668\n");
  e2e::Click(s.C(L"Button2"));
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开失败，错误号为:668", 10000))
      << e2e::WideToUtf8(s.Status());
  e2e::SaveScreenshot(e2e::ArtifactPath(L"state-hangup-failed.bmp"), s.Main());
  EXPECT_FALSE(Contains(s.StatusHistory(), L"断开成功"));
  EXPECT_TRUE(tray.IconShown()) << "the icon went while the line may be up";
  EXPECT_TRUE(s.Enabled(L"Button2")) << "no second try offered";
  EXPECT_FALSE(s.Enabled(L"Button1"));
  EXPECT_EQ(TrayItems(s, tray), std::make_pair(false, true));

  // The service lets go now: the second try hangs the same line up.
  s.SetScenario(Service(""));
  e2e::Click(s.C(L"Button2"));
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 10000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !tray.IconShown(); }, 3000));
  EXPECT_TRUE(mw::InputsEnabled(s));
  const auto dials = s.Journal("RasDialA");
  const auto hangups = s.Journal("RasHangUpA");
  ASSERT_EQ(hangups.size(), 2u);
  for (const auto& h : hangups) EXPECT_EQ(h.Field("handle"), dials.back().Field("handle"));
}

// A second Connect (a double click, Enter pressed twice) while the first is handled makes
// no second, nested dial.
TEST_F(ConnectionStates, QueuedConnectsMakeOneDial) {
  mw::FakeNotificationArea tray;
  Session s(L"state-two-clicks", "[service]\nstate_delay_ms=100\n" + std::string(kAccount));
  mw::FillDemoAccount(s);
  QueueClick(s.C(L"Button1"));
  QueueClick(s.C(L"Button1"));
  ASSERT_TRUE(tray.WaitForBalloon(15000)) << e2e::WideToUtf8(s.Status());
  Sleep(1500);
  EXPECT_EQ(s.Journal("RasDialA").size(), 1u);
  EXPECT_EQ(s.Journal("RasSetEntryPropertiesA").size(), 1u);

  // Back, disconnected, and Enter twice in the server field.
  tray.ClickIcon();
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000));
  e2e::Click(s.C(L"Button2"));
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 10000));
  HWND server = s.C(L"IPAddrTxt");
  e2e::Click(server);
  e2e::PressKey(server, VK_RETURN);
  e2e::PressKey(server, VK_RETURN);
  ASSERT_TRUE(tray.WaitForBalloon(15000, 1)) << e2e::WideToUtf8(s.Status());
  Sleep(1500);
  EXPECT_EQ(s.Journal("RasDialA").size(), 2u);
}

// The tray menu offers Connect whenever the window would, also after a disconnect and
// after a drop, and Connect there dials.
TEST_F(ConnectionStates, TheTrayMenuFollowsTheState) {
  mw::FakeNotificationArea tray;
  Session s(L"state-tray-menu", Service("drop_after_ms=1500\n"));
  mw::FillDemoAccount(s);
  e2e::Click(s.C(L"Button1"));
  ASSERT_TRUE(tray.WaitForBalloon(10000));
  EXPECT_EQ(TrayItems(s, tray), std::make_pair(false, true)) << "while connected";
  // The line drops: the window is back, the icon stays for the news.
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"连接已断开", 10000));
  EXPECT_EQ(TrayItems(s, tray), std::make_pair(true, false)) << "after a drop";

  // Connect from the tray menu dials again; then the user's disconnect.
  s.SetScenario(Service(""));
  TrayItems(s, tray, /*pick_connect=*/true);
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Journal("RasDialA").size() == 2; }, 10000));
  ASSERT_TRUE(tray.WaitForBalloon(10000, 1));
  tray.ClickIcon();
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000));
  e2e::Click(s.C(L"Button2"));
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 10000));
  EXPECT_EQ(TrayItems(s, tray), std::make_pair(true, false)) << "after a disconnect";
}

// Log-off and shutdown end the program without closing its window: what was typed is
// saved when the session ends, and a crash a moment after typing loses nothing either.
TEST_F(ConnectionStates, WhatWasTypedSurvivesTheEndOfTheSessionAndACrash) {
  {
    Session s(L"state-endsession", Service(""), true, false);
    s.Fill(L"IPAddrTxt", L"10.1.2.3");
    s.Fill(L"PasswordTxt", L"kept secret");
    // Typing is saved a moment after the last key: not yet.
    EXPECT_FALSE(e2e::Setting(L"IPAddr").has_value());
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(s.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                    SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_NE(answer, 0u) << "the program held up the log-off";
    SendMessageTimeoutW(s.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    // The system ends the process after WM_ENDSESSION.
    TerminateProcess(s.App().Process(), 1);
    s.App().WaitExit(5000);
  }
  EXPECT_EQ(e2e::Setting(L"IPAddr"), L"10.1.2.3");
  {
    Session s(L"state-crash", Service(""), /*clean_settings=*/false, false);
    EXPECT_EQ(e2e::TextOf(s.C(L"IPAddrTxt")), L"10.1.2.3");
    s.Fill(L"UserNameTxt", L"typed before the crash");
    e2e::Click(s.C(L"CheckBox1"));
    s.Fill(L"PasswordTxt", L"remembered");
    Sleep(2000);
    TerminateProcess(s.App().Process(), 1);
    s.App().WaitExit(5000);
  }
  EXPECT_EQ(e2e::Setting(L"UserName"), L"typed before the crash");
  {
    Session s(L"state-after-crash", Service(""), /*clean_settings=*/false, false);
    EXPECT_EQ(e2e::TextOf(s.C(L"PasswordTxt")), L"remembered");
    EXPECT_TRUE(e2e::IsChecked(s.C(L"CheckBox1")));
  }
}

// A line that died while the machine slept, with nothing to tell the program (an older
// remote-access library): the wake finds it and, with dialing again on, dials again.
TEST_F(ConnectionStates, ALineThatDiedInSleepIsDialedAgainAfterTheWake) {
  const std::wstring dir = e2e::ArtifactPath(L"older-library-wake");
  CreateDirectoryW(dir.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(e2e::ProgramPath().c_str(), (dir + L"\\vpnclient.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((e2e::BinDir() + L"\\older-rasapi32\\rasapi32.dll").c_str(),
                        (dir + L"\\rasapi32.dll").c_str(), FALSE));
  e2e::RegSetString(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, L"AutoReconnect", L"Yes");
  mw::FakeNotificationArea tray;
  Session s(L"state-wake", Service("drop_after_ms=1000\n"), /*clean_settings=*/false, true,
            dir + L"\\vpnclient.exe");
  mw::FillDemoAccount(s);
  e2e::Click(s.C(L"Button1"));
  ASSERT_TRUE(tray.WaitForBalloon(10000)) << e2e::WideToUtf8(s.Status());
  s.SetScenario(Service(""));
  PostMessageW(s.Main(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Journal("dropped").empty(); }, 5000));
  Sleep(500);
  EXPECT_EQ(s.Journal("RasDialA").size(), 1u) << "nothing can have told the program";
  PostMessageW(s.Main(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  PostMessageW(s.Main(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        for (const auto& r : tray.Records())
          if (r.info == L"已重新连接") return true;
        return false;
      },
      10000))
      << e2e::WideToUtf8(s.Status());
  EXPECT_EQ(s.Journal("RasDialA").size(), 2u);
  EXPECT_TRUE(Contains(s.StatusHistory(), L"连接已断开，2秒后第1次重连"));
  EXPECT_FALSE(s.Visible());
}

}  // namespace
