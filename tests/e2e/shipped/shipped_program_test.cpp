// The shipped program as a service hands it out: service.ini beside it decides where the
// account query goes; a file it cannot use leaves the built-in addresses, and the status
// bar says so. The shipped program answers none of the test builds' requests, so it is
// watched from outside only: the test server counts the queries, a stand-in for the
// browser records the pages it is asked to open.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Endpoints.h"
#include "net/NetHTTP.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/e2e/kit/test_server.h"

namespace {

const wchar_t kTitle[] = L"Morlu连接器";

class ShippedProgram : public ::testing::Test {
 protected:
  static std::wstring Ini() { return e2e::BinDir() + L"\\service.ini"; }
  void SetUp() override { DeleteFileW(Ini().c_str()); }
  void TearDown() override {
    app_.Stop();
    DeleteFileW(Ini().c_str());
  }
  // Starts the program with `ini` as its service.ini, against rassim.
  void Start(const std::string& ini, e2e::StartOptions o = {}) {
    e2e::WriteBytes(Ini(), ini);
    e2e::UseRassim(o, L"shipped", "[service]\nstate_delay_ms=20\n");
    app_ = e2e::Program::Start(o);
    main_ = app_.WaitForWindow(L"TFrmMain", kTitle);
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
  }
  std::wstring Status() { return e2e::StatusText(e2e::Control(main_, L"StatusBar1")); }
  // The band at the top after its page could not be shown (nothing serves it here).
  void SaveWindow(const wchar_t* name) {
    e2e::WaitUntil([] { return false; }, 500);
    e2e::Sync(main_);
    e2e::SaveScreenshot(e2e::ArtifactPath(name), main_);
  }
  e2e::Program app_;
  HWND main_ = nullptr;
};

TEST_F(ShippedProgram, TheAccountQueryGoesToTheAddressServiceIniGives) {
  // As a service's editor saves it: byte-order mark, CR LF, comments in Chinese.
  const std::u8string head = u8"\uFEFF; 服务配置\r\n[Service]\r\nAccountQuery=";
  ASSERT_NO_FATAL_FAILURE(Start(std::string(head.begin(), head.end()) + e2e::TestServerUrl() +
                                "/webadmin/useradmin/vpnclient.php\r\nTunnelType=IKEv2\r\n"));
  EXPECT_EQ(Status(), L"断开");
  // The shipped program does not answer the test kit's request to describe its controls.
  EXPECT_THROW(e2e::DescribeControls(main_), e2e::Failure);

  HWND account = app_.WaitForWindow(L"TForm2", nullptr, 5000, false);
  ASSERT_NE(account, nullptr);
  const int before = e2e::TestServer("count");
  e2e::TypeText(e2e::Control(main_, L"UserNameTxt"), L"demo");
  e2e::TypeText(e2e::Control(main_, L"PasswordTxt"), L"demo");
  e2e::Click(e2e::Control(main_, L"Button5"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(account) != FALSE; }, 15000))
      << "the account window did not appear";
  EXPECT_EQ(e2e::TestServer("count"), before + 1);
  SaveWindow(L"shipped-configured.bmp");
}

TEST_F(ShippedProgram, ABrokenServiceIniLeavesTheBuiltInAddressesAndTheStatusBarSaysSo) {
  e2e::LinkRecorder links;
  e2e::StartOptions o;
  links.Watch(o);
  // The third line is at fault: the recharge page of the second is not taken either.
  ASSERT_NO_FATAL_FAILURE(Start("AccountQuery=" + e2e::TestServerUrl() +
                                    "/webadmin/useradmin/vpnclient.php\n" +
                                    "RechargePage=" + e2e::TestServerUrl() + "/pay/\n" +
                                    "Banner=ftp://banner.example.org/top.htm\n",
                                o));
  EXPECT_EQ(Status(), L"service.ini 第3行地址无效，已使用默认设置");
  SaveWindow(L"shipped-broken-ini.bmp");

  HWND menu = e2e::OpenSettingsMenu(app_.Pid(), e2e::ShowSettingsButton(main_));
  ASSERT_NE(menu, nullptr);
  e2e::PickMenuItem(menu, L"自助充值");
  ASSERT_TRUE(links.WaitFor(1)) << "no page was opened";
  EXPECT_EQ(links.Opened()[0], vpn::endpoints::kRechargePage);
}

}  // namespace
