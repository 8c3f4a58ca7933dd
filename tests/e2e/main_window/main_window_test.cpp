// The main window used as a subscriber uses it: typing, clicking, the Enter key, closing;
// checked through the status bar, the controls, the window's visibility, the registry, the
// notification-area records and the rassim journal.
#include <gtest/gtest.h>

#include <cstring>

#include "core/ras/records.h"
#include "tests/e2e/main_window/support.h"
#include "tests/e2e/skin/skin_expect.h"

namespace {

using mw::Session;

const char kScenario[] =
    "[service]\nstate_delay_ms=20\nhangup_delay_ms=30\n[account demo]\npassword=demo\n";

const wchar_t* kRasMan = L"SYSTEM\\CurrentControlSet\\Services\\RasMan";
const wchar_t* kRasManParameters = L"SYSTEM\\CurrentControlSet\\Services\\RasMan\\Parameters";

// Clicks the caption button of the skin's frame with this action (0 close, 2 minimise)
// as the mouse does; false when the frame shows no such button.
bool ClickSkinButton(HWND main, int action) {
  RECT r{};
  GetWindowRect(main, &r);
  const RECT button = skinexpect::Button(action, r.right - r.left);
  if (button.right <= button.left) return false;
  const POINT c = skinexpect::Centre(button);
  const LPARAM at = MAKELPARAM(r.left + c.x, r.top + c.y);
  PostMessageW(main, WM_NCMOUSEMOVE, HTCAPTION, at);
  PostMessageW(main, WM_NCLBUTTONDOWN, HTCAPTION, at);
  PostMessageW(main, WM_NCLBUTTONUP, HTCAPTION, at);
  return true;
}

// Clicks a button of one of the program's message boxes and waits until the program's
// thread has handled the click.
void PressBoxButton(HWND box, int id, HWND main, bool sync = true) {
  HWND button = GetDlgItem(box, id);
  ASSERT_NE(button, nullptr) << "no button " << id;
  RECT r;
  GetClientRect(button, &r);
  const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(button, WM_LBUTTONUP, 0, at);
  if (sync) e2e::Sync(main);
}

// Presses a key in the focused control; the character the key makes is handled too.
void PressKey(HWND main, UINT vk) {
  e2e::PressKeyInForm(main, vk);
  e2e::Sync(main);
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    mw::SetReportedVersion(L"");
    e2e::RegDeleteTree(HKEY_LOCAL_MACHINE, kRasMan);
  }
  void TearDown() override { mw::SetReportedVersion(L""); }

  static void FillAccount(Session& s, const std::wstring& server, const std::wstring& user,
                          const std::wstring& password) {
    s.Fill(L"IPAddrTxt", server);
    s.Fill(L"UserNameTxt", user);
    s.Fill(L"PasswordTxt", password);
  }
  static bool InputsDisabled(const Session& s) {
    for (const wchar_t* n : {L"IPAddrTxt", L"AreaTxt", L"UserNameTxt", L"PasswordTxt", L"Button1",
                             L"CheckBox1", L"CheckBox2"})
      if (s.Enabled(n)) return false;
    return s.Enabled(L"Button2");
  }
  // The entry record the program wrote (the last RasSetEntryPropertiesA).
  static vpn::ras::RasEntryA WrittenEntry(const Session& s) {
    auto calls = s.Journal("RasSetEntryPropertiesA");
    vpn::ras::RasEntryA e{};
    if (calls.empty()) {
      ADD_FAILURE() << "no entry written";
      return e;
    }
    const std::string bytes = mw::RecordBytes(calls.back().Field("record"));
    EXPECT_EQ(bytes.size(), sizeof e);
    std::memcpy(&e, bytes.data(), std::min(bytes.size(), sizeof e));
    return e;
  }
  static std::string Text(const char* field) { return std::string(field); }
};

TEST_F(MainWindow, DirectPptpConnectGoesToTheTrayAndDisconnectBringsItBack) {
  mw::FakeNotificationArea tray;
  Session s(L"mw-direct", kScenario);
  // The remote-access library comes with the first connect, not with the window; the
  // hidden icon's state reaches the shell once the window is on screen.
  EXPECT_EQ(e2e::ModulePath(s.App().Pid(), L"rasapi32.dll"), L"");
  ASSERT_TRUE(e2e::WaitUntil([&] { return tray.Records().size() >= 3; }, 3000));
  EXPECT_EQ(tray.Records()[0].message, DWORD(NIM_MODIFY));
  EXPECT_TRUE(tray.Records()[0].main_window_visible);
  FillAccount(s, L"127.0.0.1", L" demo ", L"demo");
  e2e::Click(s.C(L"Button1"));
  ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 10000))
      << "window not hidden; status " << s.Status();
  ASSERT_NE(e2e::ModulePath(s.App().Pid(), L"rasapi32.dll").find(e2e::BinDir()), std::wstring::npos)
      << "rassim is not the remote-access library the program loaded: "
      << e2e::ModulePath(s.App().Pid(), L"rasapi32.dll");
  EXPECT_EQ(s.Status(), L"连接成功");
  EXPECT_EQ(s.StatusHistory(),
            (std::vector<std::wstring>{L"建立连接", L"连接中....请稍等", L"连接成功"}));
  EXPECT_TRUE(InputsDisabled(s));

  const auto entry = WrittenEntry(s);
  EXPECT_EQ(Text(entry.szLocalPhoneNumber), "127.0.0.1");
  EXPECT_EQ(Text(entry.szDeviceName), "WAN 微型端口 (PPTP)");
  EXPECT_EQ(entry.dwVpnStrategy, 2u);
  // Saved with the entry as typed; dialed trimmed, directly (no notifier).
  auto saved = s.Journal("RasSetEntryDialParamsA");
  ASSERT_FALSE(saved.empty());
  vpn::ras::RasDialParamsA p{};
  std::string bytes = mw::RecordBytes(saved.front().Field("record"));
  std::memcpy(&p, bytes.data(), std::min(bytes.size(), sizeof p));
  EXPECT_EQ(Text(p.szUserName), " demo ");
  auto dials = s.Journal("RasDialA");
  ASSERT_EQ(dials.size(), 1u);
  EXPECT_EQ(dials[0].Field("notifier"), "0");
  EXPECT_EQ(dials[0].Field("user"), "demo");
  EXPECT_EQ(dials[0].Field("result"), "0");
  // The entry is gone once the line is up.
  const auto journal = s.Journal();
  size_t dial_at = 0, delete_at = 0;
  for (size_t i = 0; i < journal.size(); ++i) {
    if (journal[i].event == "RasDialA") dial_at = i;
    if (journal[i].event == "RasDeleteEntryA") delete_at = i;
  }
  EXPECT_GT(delete_at, dial_at);

  // Icon with the window's caption as tip, then the balloon.
  const mw::TrayRecord* balloon = nullptr;
  e2e::WaitUntil(
      [&] {
        for (const auto& r : tray.Records())
          if (r.message == NIM_MODIFY && (r.flags & NIF_INFO) && !r.info.empty()) balloon = &r;
        return balloon != nullptr;
      },
      3000);
  EXPECT_TRUE(tray.IconShown());
  if (!balloon) {
    for (const auto& r : tray.Records())
      ADD_FAILURE() << "record " << r.message << " flags " << r.flags << " tip '" << r.tip
                    << "' info '" << r.info << "' title '" << r.info_title << "'";
  }
  ASSERT_NE(balloon, nullptr) << "no balloon";
  EXPECT_EQ(balloon->info, L"程序已最小化.");
  EXPECT_EQ(balloon->info_title, L"Morlu连接器");
  EXPECT_EQ(balloon->info_flags, DWORD(NIIF_INFO));
  EXPECT_EQ(balloon->timeout, 10000u);
  EXPECT_EQ(balloon->tip, L"Morlu连接器");

  // Back from the tray, then Disconnect.
  ASSERT_TRUE(tray.WaitForBalloon(5000));
  tray.ClickIcon();
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000))
      << "the icon click restored nothing";
  e2e::Click(s.C(L"Button2"));
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 10000));
  EXPECT_TRUE(mw::InputsEnabled(s));
  EXPECT_TRUE(s.Visible());
  EXPECT_TRUE(e2e::WaitUntil([&] { return !tray.IconShown(); }, 3000)) << "icon still shown";
  auto hangups = s.Journal("RasHangUpA");
  ASSERT_EQ(hangups.size(), 1u);
  EXPECT_EQ(hangups[0].Field("handle"), dials[0].Field("handle"));
}

TEST_F(MainWindow, ProgressPathShowsTheDialStatesUntilConnected) {
  mw::SetReportedVersion(L"winxp");
  mw::FakeNotificationArea tray;
  Session s(L"mw-async", "[service]\nstate_delay_ms=120\n[account demo]\npassword=demo\n");
  Sleep(300);  // let the window finish painting
  e2e::SaveScreenshot(e2e::ArtifactPath(L"main-window-idle.bmp"), s.Main());
  FillAccount(s, L"127.0.0.1", L"demo", L"demo");
  e2e::Click(s.C(L"Button1"));
  // Each dial state shows for a moment only: the locked inputs mark the dial under way,
  // and the history below holds every state text.
  ASSERT_TRUE(e2e::WaitUntil([&] { return InputsDisabled(s); }, 10000)) << s.Status();
  e2e::SaveScreenshot(e2e::ArtifactPath(L"main-window-connecting.bmp"), s.Main());
  ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 10000))
      << "window not hidden; status " << s.Status();
  EXPECT_EQ(
      s.StatusHistory(),
      (std::vector<std::wstring>{L"建立连接", L"连接中....请稍等", L"打开端口", L"端口完成",
                                 L"连接硬件", L"硬件完成", L"所有硬件完成", L"状态识别",
                                 L"状态: 通报", L"状态: 连接中...", L"状态识别完成", L"连接完成"}));
  auto dials = s.Journal("RasDialA");
  ASSERT_EQ(dials.size(), 1u);
  EXPECT_EQ(dials[0].Field("notifier"), "1");
  EXPECT_FALSE(s.Journal("RasDeleteEntryA").empty());
  EXPECT_TRUE(tray.IconShown());

  ASSERT_TRUE(tray.WaitForBalloon(5000));
  tray.ClickIcon();
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000));
  e2e::Click(s.C(L"Button2"));
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 10000));
  EXPECT_TRUE(mw::InputsEnabled(s));
  auto hangups = s.Journal("RasHangUpA");
  ASSERT_FALSE(hangups.empty());
  EXPECT_EQ(hangups.back().Field("handle"), dials[0].Field("handle"));
}

TEST_F(MainWindow, WrongPasswordShowsTheErrorAndLeavesOtherConnectionsAlone) {
  {
    Session s(L"mw-wrong-direct",
              "[service]\nother_connection=Other VPN\nstate_delay_ms=5\n"
              "[account demo]\npassword=demo\n");
    FillAccount(s, L"127.0.0.1", L"demo", L"wrong");
    e2e::Click(s.C(L"Button1"));
    ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"无法连接，错误号为:691", 10000));
    e2e::SaveScreenshot(e2e::ArtifactPath(L"main-window-failed.bmp"), s.Main());
    EXPECT_TRUE(mw::InputsEnabled(s));
    EXPECT_TRUE(s.Visible());
    auto others = s.Journal("other-connection");
    ASSERT_EQ(others.size(), 1u) << "rassim did not set up the other program's line";
    auto dials = s.Journal("RasDialA");
    ASSERT_EQ(dials.size(), 1u);
    // Only the failed dial's own line is hung up.
    for (const auto& h : s.Journal("RasHangUpA")) {
      EXPECT_NE(h.Field("handle"), others[0].Field("handle"));
      EXPECT_EQ(h.Field("handle"), dials[0].Field("handle"));
    }
  }
  mw::SetReportedVersion(L"winxp");
  {
    Session s(L"mw-wrong-async", kScenario);
    FillAccount(s, L"127.0.0.1", L"demo", L"wrong");
    e2e::Click(s.C(L"Button1"));
    ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"无法连接，错误号为:691", 10000));
    EXPECT_TRUE(mw::InputsEnabled(s));
    EXPECT_EQ(e2e::FocusedControlName(s.Main()), L"Button1");
  }
}

TEST_F(MainWindow, DialThatCannotStartEndsTheConnectInsteadOfHangingInIt) {
  mw::SetReportedVersion(L"winxp");
  {
    Session s(L"mw-nostart", std::string(kScenario) + "[service]\ndial_start_error=633\n");
    FillAccount(s, L"127.0.0.1", L"demo", L"demo");
    e2e::Click(s.C(L"Button1"));
    ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"无法连接，错误号为:633", 10000));
    EXPECT_TRUE(mw::InputsEnabled(s));
    EXPECT_EQ(e2e::FocusedControlName(s.Main()), L"Button1");
  }
  {
    // The entry cannot be written: the status stays at the first step, the dial is tried
    // anyway and fails on the missing entry.
    Session s(L"mw-noentry", std::string(kScenario) + "[errors]\nRasSetEntryPropertiesA=5\n");
    FillAccount(s, L"127.0.0.1", L"demo", L"demo");
    e2e::Click(s.C(L"Button1"));
    ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"无法连接，错误号为:623", 10000));
    EXPECT_TRUE(mw::InputsEnabled(s));
    EXPECT_EQ(s.StatusHistory(),
              (std::vector<std::wstring>{L"建立连接", L"无法连接，错误号为:623"}));
  }
}

TEST_F(MainWindow, L2tpPreparationFollowsTheRemoteAccessManagerSettings) {
  {
    // No RasMan key: the connect goes on as PPTP after telling so.
    Session s(L"mw-l2tp-nokey", kScenario);
    FillAccount(s, L"127.0.0.1", L"demo", L"demo");
    e2e::Click(s.C(L"CheckBox2"));
    e2e::Click(s.C(L"Button1"));
    HWND box = nullptr;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] { return (box = e2e::FindDialog(s.App().Pid(), L"Morlu连接器")) != nullptr; }, 5000));
    EXPECT_EQ(e2e::DialogText(box), L"系统出错，不支持L2TP，将以PPTP形式连接");
    PressBoxButton(box, IDOK, s.Main());
    ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 10000));
    EXPECT_EQ(Text(WrittenEntry(s).szDeviceName), "WAN 微型端口 (PPTP)");
  }
  e2e::RegSetString(HKEY_LOCAL_MACHINE, kRasManParameters, L"Placeholder", L"");
  {
    // ProhibitIpSec missing: it is set and a restart is asked for; nothing is dialed.
    Session s(L"mw-l2tp-restart", kScenario);
    FillAccount(s, L"127.0.0.1", L"demo", L"demo");
    e2e::Click(s.C(L"CheckBox2"));
    e2e::Click(s.C(L"Button1"));
    HWND box = nullptr;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] { return (box = e2e::FindDialog(s.App().Pid(), L"提示")) != nullptr; }, 5000));
    EXPECT_EQ(e2e::DialogText(box), L"你需要重新启动系统，然后再运行此程序");
    EXPECT_EQ(e2e::RegDword(HKEY_LOCAL_MACHINE, kRasManParameters, L"ProhibitIpSec"), 1u);
    PressBoxButton(box, IDOK, s.Main());
    EXPECT_EQ(s.Status(), L"建立连接");
    EXPECT_TRUE(mw::InputsEnabled(s));
    EXPECT_TRUE(s.Journal("RasDialA").empty());
    EXPECT_TRUE(s.Journal("RasSetEntryPropertiesA").empty());
  }
  {
    // ProhibitIpSec is 1: an L2TP entry, no message.
    Session s(L"mw-l2tp-ready", kScenario);
    FillAccount(s, L"127.0.0.1", L"demo", L"demo");
    e2e::Click(s.C(L"CheckBox2"));
    e2e::Click(s.C(L"Button1"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 10000));
    const auto entry = WrittenEntry(s);
    EXPECT_EQ(Text(entry.szDeviceName), "WAN 微型端口 (L2TP)");
    EXPECT_EQ(entry.dwVpnStrategy, 0u);
  }
}

TEST_F(MainWindow, InputChecksMoveTheFocusAndSendNothing) {
  Session s(L"mw-checks", kScenario);
  struct Case {
    const wchar_t *server, *user, *password, *focus;
  };
  for (const Case& c : {Case{L"选择服务器列表", L"demo", L"demo", L"IPAddrTxt"},
                        Case{L" 请选择节点线路 ", L"demo", L"demo", L"IPAddrTxt"},
                        Case{L"   ", L"demo", L"demo", L"IPAddrTxt"},
                        Case{L"127.0.0.1", L"  ", L"demo", L"UserNameTxt"},
                        Case{L"127.0.0.1", L"demo", L" ", L"PasswordTxt"}}) {
    FillAccount(s, c.server, c.user, c.password);
    e2e::Click(s.C(L"Button1"));
    e2e::Sync(s.Main());
    EXPECT_EQ(e2e::FocusedControlName(s.Main()), c.focus) << "server '" << c.server << "'";
    EXPECT_EQ(s.Status(), L"断开");
  }
  EXPECT_TRUE(s.StatusHistory().empty());
  EXPECT_TRUE(s.Journal().empty());

  // A server text longer than the entry's field is refused with a status text, before
  // anything is written or dialed.
  FillAccount(s, std::wstring(129, L'a').c_str(), L"demo", L"demo");
  e2e::Click(s.C(L"Button1"));
  e2e::Sync(s.Main());
  EXPECT_EQ(s.Status(), L"服务器地址太长(最多128字节)");
  EXPECT_EQ(e2e::FocusedControlName(s.Main()), L"IPAddrTxt");
  EXPECT_TRUE(s.Journal().empty());

  // Enter moves on from a filled user name and password, and connects from the server.
  FillAccount(s, L"127.0.0.1", L"demo", L"demo");
  e2e::Click(s.C(L"UserNameTxt"));
  PressKey(s.Main(), VK_RETURN);
  EXPECT_EQ(e2e::FocusedControlName(s.Main()), L"PasswordTxt");
  PressKey(s.Main(), VK_RETURN);
  EXPECT_EQ(e2e::FocusedControlName(s.Main()), L"IPAddrTxt");
  PressKey(s.Main(), VK_RETURN);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 10000));
  EXPECT_EQ(s.Journal("RasDialA").size(), 1u);
}

TEST_F(MainWindow, ClosingWhileConnectedAsksFirst) {
  mw::FakeNotificationArea tray;
  Session s(L"mw-close", kScenario);
  FillAccount(s, L"127.0.0.1", L"demo", L"demo");
  e2e::Click(s.C(L"Button1"));
  ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 10000));
  ASSERT_TRUE(tray.WaitForBalloon(5000));
  tray.ClickIcon();
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000));
  // The skin's minimise button takes the connected window to the notification area, as
  // the system's minimise does.
  ASSERT_TRUE(ClickSkinButton(s.Main(), 2));
  ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 5000));
  EXPECT_TRUE(tray.IconShown());
  tray.ClickIcon();
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000));

  // The skin's close button asks first, exactly as the system's close does.
  bool skin_button = true;
  auto ask_close = [&] {
    if (skin_button)
      EXPECT_TRUE(ClickSkinButton(s.Main(), 0));
    else
      PostMessageW(s.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND box = nullptr;
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return (box = e2e::FindDialog(s.App().Pid(), L"询问")) != nullptr; }, 5000));
    if (box) EXPECT_EQ(e2e::DialogText(box), L"VPN正在使用中,关闭程序将断开VPN连接,真的要关闭吗？");
    return box;
  };
  HWND box = ask_close();
  ASSERT_NE(box, nullptr);
  PressBoxButton(box, IDNO, s.Main());
  EXPECT_TRUE(s.App().Running());
  EXPECT_TRUE(s.Visible());
  EXPECT_TRUE(s.Enabled(L"Button2"));
  EXPECT_TRUE(s.Journal("RasHangUpA").empty());

  skin_button = false;
  box = ask_close();
  ASSERT_NE(box, nullptr);
  PressBoxButton(box, IDYES, s.Main(), /*sync=*/false);  // the program ends
  ASSERT_TRUE(s.App().WaitExit(10000).has_value()) << "the program did not end";
  EXPECT_EQ(s.Journal("RasHangUpA").size(), 1u);
  EXPECT_EQ(e2e::Setting(L"IPAddr"), L"127.0.0.1");
}

TEST_F(MainWindow, SettingsSurviveARestart) {
  {
    Session s(L"mw-settings1", kScenario);
    EXPECT_EQ(e2e::TextOf(s.C(L"IPAddrTxt")), L"");
    EXPECT_FALSE(e2e::IsChecked(s.C(L"CheckBox1")));
    FillAccount(s, L" 10.0.0.1 ", L"用户", L"secret");
    e2e::Click(s.C(L"CheckBox1"));
    s.App().Stop();
  }
  EXPECT_EQ(e2e::Setting(L"IPAddr"), L" 10.0.0.1 ");
  EXPECT_EQ(e2e::Setting(L"UserName"), L"用户");
  EXPECT_FALSE(e2e::Setting(L"Password"));  // kept encrypted, never as plain text
  // The user's own, where no other user's save reaches it.
  EXPECT_EQ(e2e::RegType(HKEY_CURRENT_USER, e2e::kSettingsKey, L"ProtectedPassword"),
            DWORD(REG_BINARY));
  EXPECT_FALSE(e2e::RegType(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, L"ProtectedPassword"));
  EXPECT_EQ(e2e::Setting(L"Check"), L"Yes");
  {
    Session s(L"mw-settings2", kScenario, /*clean_settings=*/false);
    EXPECT_EQ(e2e::TextOf(s.C(L"IPAddrTxt")), L" 10.0.0.1 ");
    EXPECT_EQ(e2e::TextOf(s.C(L"UserNameTxt")), L"用户");
    EXPECT_EQ(e2e::TextOf(s.C(L"PasswordTxt")), L"secret");
    EXPECT_TRUE(e2e::IsChecked(s.C(L"CheckBox1")));
    e2e::Click(s.C(L"CheckBox1"));  // forget the password
    s.App().Stop();
  }
  EXPECT_EQ(e2e::Setting(L"Check"), L"No");
  EXPECT_FALSE(e2e::RegType(HKEY_CURRENT_USER, e2e::kSettingsKey, L"ProtectedPassword"));
  // A plain password as an older copy leaves it is still read.
  e2e::RegDeleteTree(HKEY_CURRENT_USER, e2e::kSettingsKey);
  e2e::RegSetString(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, L"Check", L"yes");
  e2e::RegSetString(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, L"Password", L"kept");
  {
    Session s(L"mw-settings3", kScenario, /*clean_settings=*/false);
    EXPECT_EQ(e2e::TextOf(s.C(L"PasswordTxt")), L"kept");
    EXPECT_FALSE(e2e::IsChecked(s.C(L"CheckBox1")));
  }
}

TEST_F(MainWindow, SecondStartBringsTheFirstBack) {
  Session s(L"mw-second", kScenario);
  HWND app = GetWindow(s.Main(), GW_OWNER);
  ASSERT_NE(app, nullptr);
  PostMessageW(s.Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsIconic(app) != FALSE; }, 5000));
  e2e::StartOptions second;
  second.clean_settings = false;
  second.allow_other_copies = true;
  e2e::Program p = e2e::Program::Start(second);
  ASSERT_EQ(p.WaitExit(15000), std::optional<DWORD>(0));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsIconic(app); }, 5000));
  EXPECT_EQ(e2e::ProcessesNamed(L"vpnclient.exe").size(), 1u);
}

}  // namespace
