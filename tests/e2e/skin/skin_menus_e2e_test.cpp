// The tray menu and the settings menu of the real program, driven the way a person does:
// the tray menu opened by a right click on the notification-area icon, the settings menu
// by a click on the settings button, items picked with the mouse or their key. The menus
// are drawn from the skin the program carries; each item reaches what it stands for: the
// dial hung up, the close asked about, the account query posted to the test server, the
// service's pages handed to the shell.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "Endpoints.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/e2e/main_window/support.h"
#include "tests/e2e/skin/skin_expect.h"

namespace {

const wchar_t kConnect[] = L"连接(&C)";
const wchar_t kDisconnect[] = L"断开(&D)";
const wchar_t kExit[] = L"退出(&X)";

// The colours of the skin's menu pictures: the popup's border and body, and the body of
// the selected item's frame (the normal frame is all key colour: the body shows through).
struct MenuColours {
  uint32_t border, body, selected;
};
MenuColours SkinMenuColours() {
  const TSkinModel& skin = skinexpect::ProgramSkin();
  const TSkinPicture& bg = skin.MenuBackground->Bitmap;
  const TSkinPicture& item = skin.MenuItem->Bitmap;
  const int frame = item.Width / 5;
  return {bg.At(0, bg.Height / 2), bg.At(bg.Width / 2, bg.Height / 2),
          item.At(3 * frame + frame / 2, item.Height / 2)};
}

// Pixels of one colour inside a screen rectangle of a shot of `w`.
int CountIn(const e2e::Image& shot, HWND w, RECT screen, uint32_t colour) {
  RECT wr{};
  GetWindowRect(w, &wr);
  int n = 0;
  for (int y = screen.top - wr.top; y < screen.bottom - wr.top; ++y)
    for (int x = screen.left - wr.left; x < screen.right - wr.left; ++x)
      if (x >= 0 && y >= 0 && x < shot.width && y < shot.height && shot.At(x, y) == colour) ++n;
  return n;
}

int Area(const RECT& r) {
  return (r.right - r.left) * (r.bottom - r.top);
}

// The main window connected and in the tray.
void ConnectToTray(mw::Session& s, mw::FakeNotificationArea& tray) {
  const size_t balloons = tray.BalloonCount();
  s.Fill(L"IPAddrTxt", L"127.0.0.1");
  s.Fill(L"UserNameTxt", L"demo");
  s.Fill(L"PasswordTxt", L"demo");
  e2e::Click(s.C(L"Button1"));
  ASSERT_TRUE(tray.WaitForBalloon(15000, balloons)) << e2e::WideToUtf8(s.Status());
  ASSERT_FALSE(s.Visible());
}

// Right click on the icon with the pointer where the notification area would be.
HWND OpenTrayMenu(mw::Session& s, mw::FakeNotificationArea& tray) {
  e2e::MoveMouse({700, 560});
  tray.RightClickIcon();
  HWND menu = e2e::WaitForPopupMenu(s.App().Pid());
  if (!menu) e2e::SaveScreenshot(e2e::ArtifactPath(L"menus-tray-missing.bmp"));
  return menu;
}

std::string Texts(const std::vector<e2e::MenuItem>& items) {
  std::string out;
  for (const auto& i : items) out += "[" + e2e::WideToUtf8(i.text) + "]";
  return out;
}

}  // namespace

TEST(MenusE2E, TrayMenuWhileConnectedDisconnectsAndExitsAfterAsking) {
  // Windows XP: the dial reports its progress, and the window thread stays free meanwhile.
  // Put back whatever way the test ends, so that no later test dials the other way.
  struct Xp {
    Xp() { mw::SetReportedVersion(L"winxp"); }
    ~Xp() { mw::SetReportedVersion(L""); }
  } xp;
  mw::FakeNotificationArea tray;
  mw::Session s(L"tray-menu", "[service]\nstate_delay_ms=50\n[account demo]\npassword=demo\n", true,
                false);
  ASSERT_NO_FATAL_FAILURE(ConnectToTray(s, tray));

  HWND menu = OpenTrayMenu(s, tray);
  ASSERT_NE(menu, nullptr) << "no menu after a right click on the icon";
  auto items = e2e::MenuItems(menu);
  ASSERT_EQ(items.size(), 6u) << Texts(items);
  EXPECT_EQ(items[0].text, kConnect);
  EXPECT_EQ(items[1].text, kDisconnect);
  EXPECT_EQ(items[2].text, L"断线自动重连");
  EXPECT_EQ(items[3].text, L"设置(&S)");
  EXPECT_TRUE(items[4].separator);
  EXPECT_EQ(items[5].text, kExit);
  EXPECT_FALSE(items[0].enabled) << "connect offered while connected";
  EXPECT_TRUE(items[1].enabled);
  EXPECT_TRUE(items[5].enabled);
  for (const auto& i : items) EXPECT_TRUE(i.owner_drawn) << e2e::WideToUtf8(i.text);

  // Drawn from the skin: the border from the menu background picture, a normal item its
  // body through the item picture's transparent frame, the item under the pointer the
  // selected frame.
  const MenuColours c = SkinMenuColours();
  const e2e::MenuItem disconnect = items[1], exit = items[5];
  e2e::MoveMouse({(disconnect.rect.left + disconnect.rect.right) / 2,
                  (disconnect.rect.top + disconnect.rect.bottom) / 2});
  e2e::Image shot;
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        shot = e2e::CaptureScreen(menu);
        return CountIn(shot, menu, disconnect.rect, c.selected) > Area(disconnect.rect) / 2;
      },
      3000))
      << "the item under the pointer is not drawn selected";
  EXPECT_EQ(shot.At(0, shot.height / 2), c.border);
  EXPECT_EQ(shot.At(shot.width - 1, shot.height / 2), c.border);
  EXPECT_EQ(CountIn(shot, menu, exit.rect, c.selected), 0);
  EXPECT_GT(CountIn(shot, menu, exit.rect, c.body), Area(exit.rect) / 2);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"menus-tray-open.bmp"), menu);

  // "断线自动重连" is a tick: picked, it turns over, keeps the choice and shows the
  // check mark in the item's icon column.
  const bool wasTicked = items[2].checked;
  e2e::PickMenuItem(menu, L"断线自动重连");
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(menu); }, 3000));
  menu = OpenTrayMenu(s, tray);
  ASSERT_NE(menu, nullptr);
  const e2e::MenuItem tick = e2e::MenuItemNamed(menu, L"断线自动重连");
  EXPECT_EQ(tick.checked, !wasTicked);
  EXPECT_TRUE(e2e::Setting(L"AutoReconnect").has_value()) << "the choice was not kept";
  const RECT column{tick.rect.left + 1, tick.rect.top, tick.rect.left + 1 + 5 + 16,
                    tick.rect.bottom};
  auto markPixels = [&] {
    const e2e::Image now = e2e::CaptureScreen(menu);
    return Area(column) - CountIn(now, menu, column, c.body) -
           CountIn(now, menu, column, c.selected);
  };
  if (tick.checked)
    EXPECT_TRUE(e2e::WaitUntil([&] { return markPixels() > 6; }, 3000)) << markPixels();
  else
    EXPECT_TRUE(e2e::WaitUntil([&] { return markPixels() == 0; }, 3000)) << markPixels();

  // "断开(D)" with the mouse: hung up, the window back, the status says so.
  const size_t hangUps = s.Journal("RasHangUpA").size();
  e2e::PickMenuItem(menu, L"断开(D)");
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(menu); }, 3000));
  EXPECT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 10000))
      << e2e::WideToUtf8(s.Status());
  EXPECT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 3000));
  EXPECT_GT(s.Journal("RasHangUpA").size(), hangUps);

  // Connected again; "退出(X)" by its key asks first, and after Yes hangs up and ends.
  ASSERT_NO_FATAL_FAILURE(ConnectToTray(s, tray));
  menu = OpenTrayMenu(s, tray);
  ASSERT_NE(menu, nullptr);
  items = e2e::MenuItems(menu);
  EXPECT_FALSE(e2e::MenuItemNamed(menu, kConnect).enabled) << "connect stays off";
  const size_t hangUpsBefore = s.Journal("RasHangUpA").size();
  e2e::PickMenuItemByKey(menu, kExit);
  HWND ask = nullptr;
  ASSERT_TRUE(e2e::WaitUntil([&] { return (ask = e2e::FindDialog(s.App().Pid(), L"询问")); }, 5000))
      << "closing while connected did not ask";
  EXPECT_NE(e2e::DialogText(ask).find(L"VPN正在使用中"), std::wstring::npos);
  EXPECT_TRUE(s.App().Running());
  EXPECT_EQ(s.Journal("RasHangUpA").size(), hangUpsBefore) << "hung up before the answer";
  PostMessageW(ask, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(s.App().WaitExit(10000).has_value()) << "the program did not end";
  EXPECT_GT(s.Journal("RasHangUpA").size(), hangUpsBefore);
}

TEST(MenusE2E, SystemMenuAndSettingsMenuItemsReachTheAccountQueryTheShellAndTheAboutBox) {
  const char* url = std::getenv("VPN_TEST_HTTP_URL");
  if (!url) GTEST_FAIL() << "no account server: run through http_server.py";
  e2e::LinkRecorder links;
  e2e::StartOptions o;
  o.env.push_back({L"VPN_ACCOUNT_URL",
                   e2e::Utf8ToWide(std::string(url) + "/webadmin/useradmin/vpnclient.php")});
  links.Watch(o);
  e2e::Program app = e2e::Program::Start(o);
  HWND main = app.WaitForWindow(L"TFrmMain", L"Morlu连接器");
  ASSERT_NE(main, nullptr);
  HWND account = app.WaitForWindow(L"TForm2", nullptr, 5000, false);
  ASSERT_NE(account, nullptr);
  e2e::TypeText(e2e::Control(main, L"UserNameTxt"), L"demo");
  e2e::TypeText(e2e::Control(main, L"PasswordTxt"), L"demo");
  HWND button = e2e::ShowSettingsButton(main);
  ASSERT_TRUE(IsWindowVisible(button));

  // The system menu, by a right click on the title: the window's own entries and the
  // settings sub-menu, drawn from the skin like the program's menus.
  RECT mr{};
  GetWindowRect(main, &mr);
  e2e::RightClickAt({mr.left + skinexpect::FreeTitleColumn(mr.right - mr.left),
                     mr.top + skinexpect::Frame().Title / 2});
  HWND sys = e2e::WaitForPopupMenu(app.Pid());
  ASSERT_NE(sys, nullptr) << "no system menu after a right click on the title";
  const auto entries = e2e::MenuItems(sys);
  ASSERT_EQ(entries.size(), 6u) << Texts(entries);
  EXPECT_FALSE(entries[0].enabled) << "restore offered for a restored window";
  EXPECT_TRUE(entries[2].separator);
  EXPECT_EQ(entries[3].text, L"设置(&S)");
  EXPECT_TRUE(entries[4].separator);
  EXPECT_NE(entries[5].text.find(L"Close"), std::wstring::npos) << Texts(entries);
  for (const auto& i : entries) EXPECT_TRUE(i.owner_drawn) << e2e::WideToUtf8(i.text);
  const MenuColours c = SkinMenuColours();
  e2e::Image shot;
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        shot = e2e::CaptureScreen(sys);
        return shot.At(0, shot.height / 2) == c.border &&
               CountIn(shot, sys, entries[1].rect, c.body) > Area(entries[1].rect) / 2;
      },
      3000))
      << "the system menu is not drawn from the skin";
  e2e::SaveScreenshot(e2e::ArtifactPath(L"menus-system-open.bmp"), sys);
  EXPECT_TRUE(e2e::CloseMenu(sys));
  EXPECT_TRUE(IsWindowVisible(main));

  HWND menu = e2e::OpenSettingsMenu(app.Pid(), button);
  ASSERT_NE(menu, nullptr) << "no menu after a click on the settings button";
  const auto items = e2e::MenuItems(menu);
  ASSERT_EQ(items.size(), 7u) << Texts(items);
  const wchar_t* want[] = {L"帐户注册", L"修改密码", L"-", L"帐户查询", L"自助充值", L"-", L"关于"};
  for (size_t i = 0; i < 7; ++i) {
    if (want[i][0] == L'-')
      EXPECT_TRUE(items[i].separator) << i;
    else
      EXPECT_EQ(items[i].text, want[i]) << i;
  }
  // The menu opens where the pointer is, over the button.
  RECT wr{};
  GetWindowRect(menu, &wr);
  const POINT at = e2e::ScreenPoint(button);
  EXPECT_LE(std::abs(wr.left - at.x), 4);
  EXPECT_LE(std::abs(wr.top - at.y), 4);
  e2e::Sync(main);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"menus-settings-open.bmp"), menu);

  // The account query: posted to the test server, its reply in the account window.
  e2e::PickMenuItem(menu, L"帐户查询");
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(account) != FALSE; }, 10000))
      << "the account window did not appear";
  auto label = e2e::DescribeControl(account, L"Label1");
  ASSERT_TRUE(label);
  EXPECT_EQ(label->caption, L"用户名：demo\r\n到期时间：2027-01-01\r\n剩余流量：10GB");
  e2e::Click(e2e::Control(account, L"Button1"));
  e2e::Sync(account);

  // The three page links: the shell gets the pages' addresses (registration and password
  // change the same one in this build).
  for (const wchar_t* item : {L"帐户注册", L"修改密码", L"自助充值"}) {
    menu = e2e::OpenSettingsMenu(app.Pid(), button);
    ASSERT_NE(menu, nullptr) << e2e::WideToUtf8(item);
    e2e::PickMenuItem(menu, item);
    e2e::Sync(main);
  }
  ASSERT_TRUE(links.WaitFor(3)) << links.Opened().size();
  const auto opened = links.Opened();
  using namespace vpn::endpoints;
  EXPECT_EQ(opened[0], kRegisterPage);
  EXPECT_EQ(opened[1], kPasswordPage);
  EXPECT_EQ(opened[2], kRechargePage);

  // About: its message box, owned by the main window; nothing more opened.
  menu = e2e::OpenSettingsMenu(app.Pid(), button);
  ASSERT_NE(menu, nullptr);
  e2e::PickMenuItem(menu, L"关于");
  HWND about = nullptr;
  ASSERT_TRUE(e2e::WaitUntil(
      [&] { return (about = e2e::FindDialog(app.Pid(), L"关于")) != nullptr; }, 5000));
  EXPECT_EQ(GetWindow(about, GW_OWNER), main);
  EXPECT_NE(e2e::DialogText(about).find(L"Morlu连接器"), std::wstring::npos);
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(about); }, 3000));
  EXPECT_EQ(links.Opened().size(), 3u);
  app.Stop();
}
