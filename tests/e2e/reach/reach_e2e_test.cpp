// The settings sub-menu reached as a user reaches it: the caption's icon and Alt+Space open
// the main window's system menu, S its "设置" sub-menu (the tray menu's, shown there too),
// Q the account query, which the test server counts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "net/NetHTTP.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/e2e/kit/test_server.h"
#include "tests/e2e/skin/skin_expect.h"

namespace {

std::vector<std::wstring> Texts(HWND menu) {
  std::vector<std::wstring> texts;
  for (const e2e::MenuItem& i : e2e::MenuItems(menu)) texts.push_back(i.separator ? L"-" : i.text);
  return texts;
}

// The menu windows of the process that are open, the newest (a sub-menu) last.
HWND WaitForSecondMenu(DWORD pid, HWND first) {
  HWND second = nullptr;
  e2e::WaitUntil(
      [&] {
        for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
             w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner == pid && w != first && IsWindowVisible(w)) second = w;
        }
        return second != nullptr;
      },
      5000);
  return second;
}

const std::vector<std::wstring> kSettingsItems = {L"帐户注册(&R)",
                                                  L"修改密码(&W)",
                                                  L"帐户查询(&Q)",
                                                  L"自助充值(&M)",
                                                  L"-",
                                                  L"服务器测速(&T)",
                                                  L"连接协议(&P)",
                                                  L"-",
                                                  L"开机启动(&B)",
                                                  L"启动后自动连接(&O)",
                                                  L"连接日志(&L)",
                                                  L"-",
                                                  L"关于(&A)"};

}  // namespace

TEST(Reach, AltSpaceThenSThenQRunsTheAccountQuery) {
  e2e::StartOptions o;
  o.env.push_back({L"VPN_ACCOUNT_URL",
                   e2e::Utf8ToWide(e2e::TestServerUrl() + "/webadmin/useradmin/vpnclient.php")});
  e2e::Program app = e2e::Program::Start(o);
  HWND main = app.WaitForWindow(L"TFrmMain", L"Morlu连接器");
  ASSERT_NE(main, nullptr);
  HWND account = app.WaitForWindow(L"TForm2", nullptr, 5000, false);
  ASSERT_NE(account, nullptr);
  e2e::TypeText(e2e::Control(main, L"UserNameTxt"), L"demo");
  e2e::TypeText(e2e::Control(main, L"PasswordTxt"), L"demo");
  e2e::Sync(main);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ForegroundWindow() == main; }, 5000));
  const int before = e2e::TestServer("count");

  // A click on the caption's icon opens the skin's system menu with the settings entry.
  RECT mr{};
  GetWindowRect(main, &mr);
  const POINT icon = skinexpect::Centre(skinexpect::Button(3, mr.right - mr.left));
  e2e::MouseDown({mr.left + icon.x, mr.top + icon.y});
  e2e::MouseUp({mr.left + icon.x, mr.top + icon.y});
  HWND byIcon = e2e::WaitForPopupMenu(app.Pid());
  ASSERT_NE(byIcon, nullptr) << "the icon's click opened no menu";
  EXPECT_EQ(Texts(byIcon)[3], L"设置(&S)");
  EXPECT_TRUE(e2e::CloseMenu(byIcon));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ForegroundWindow() == main; }, 5000));

  // Alt+Space: the system menu under the title's left end, with the settings entry.
  e2e::SendChordToForeground(VK_MENU, VK_SPACE);
  HWND sys = e2e::WaitForPopupMenu(app.Pid());
  ASSERT_NE(sys, nullptr) << "Alt+Space opened no menu";
  const std::vector<std::wstring> entries = Texts(sys);
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[3], L"设置(&S)");
  RECT sr{};
  GetWindowRect(sys, &sr);
  EXPECT_LE(std::abs(sr.left - mr.left), 8);
  EXPECT_GT(sr.top, mr.top);
  EXPECT_LT(sr.top, mr.top + 60);

  // S: the sub-menu with every hidden feature.
  e2e::SendKeyToForeground('S');
  HWND sub = WaitForSecondMenu(app.Pid(), sys);
  ASSERT_NE(sub, nullptr) << "S opened no sub-menu";
  EXPECT_EQ(Texts(sub), kSettingsItems);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"reach-system-menu.bmp"));

  // Q: the account query goes out and its answer shows.
  e2e::SendKeyToForeground('Q');
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(account) != FALSE; }, 10000))
      << "the account window did not appear";
  EXPECT_EQ(e2e::TestServer("count"), before + 1);
  EXPECT_FALSE(IsWindowVisible(sys));
  e2e::Click(e2e::Control(account, L"Button1"));
  e2e::Sync(account);

  app.Stop();
}
