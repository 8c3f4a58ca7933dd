// The speed test as the user runs it: the main window's test and the speed-test window's
// retest, with real pings of 127.0.0.1.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "app/FrmMainSpeedTest.h"
#include "app/Unit_FrmMain.h"
#include "forms/Unit1.h"
#include "framework/Framework.h"

namespace {

class SpeedTestWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!FrmMain) {
      Application->CreateForm(FrmMain);
      Application->CreateForm(Form1, SpeedTestSourceOf(*FrmMain));
    }
  }

  static void TearDownTestSuite() { Application->DestroyComponents(); }

  void SetUp() override {
    FrmMain->Show();
    Form1->Hide();
    Form1->ListBox1->Items()->Clear();
    errors.clear();
    Application->OnException = [this](TObject*, const std::exception& e) {
      errors.push_back(e.what());
    };
    // Notes, for every reply, whether the main window's speed-test button was enabled.
    Form1->ICMP->OnReply = [this](TNetIcmpClient* sender, const TReplyStatus& r) {
      buttonDuringPing.push_back(FrmMain->Button3->Enabled());
      statuses.push_back(r.Status);
      Form1->ICMPReply(sender, r);
    };
  }

  void TearDown() override { Application->OnException = nullptr; }

  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    TStrings* items = Form1->ListBox1->Items();
    for (int i = 0; i < items->Count(); ++i) lines.push_back((*items)[i]);
    // The list box window shows the same lines.
    EXPECT_EQ(SendMessageW(Form1->ListBox1->Handle(), LB_GETCOUNT, 0, 0), items->Count());
    return lines;
  }

  void ExpectNineReplyLines(const std::string& server) {
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 9u);
    const std::regex form(std::regex_replace(server, std::regex(R"([.])"), R"(\.)") +
                          R"(:     time(=[1-9][0-9]*|<10) ms)");
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, form)) << line;
    for (TReplyStatusKind s : statuses) EXPECT_EQ(s, TReplyStatusKind::EchoReply);
  }

  std::vector<std::string> errors;
  std::vector<bool> buttonDuringPing;
  std::vector<TReplyStatusKind> statuses;
};

}  // namespace

TEST_F(SpeedTestWindow, NinePingsOfTheLoopbackListNineLines) {
  FrmMain->IPAddrTxt->SetText("127.0.0.1");
  FrmMain->Button3Click(FrmMain->Button3);
  EXPECT_TRUE(errors.empty()) << errors.front();
  ExpectNineReplyLines("127.0.0.1");
  EXPECT_EQ(FrmMain->PingHost, "127.0.0.1");
  EXPECT_TRUE(Form1->Visible());
  EXPECT_TRUE(IsWindowVisible(Form1->Handle()));
  // Disabled exactly while the pings run.
  EXPECT_EQ(buttonDuringPing, std::vector<bool>(9, false));
  EXPECT_TRUE(FrmMain->Button3->Enabled());
  if (std::getenv("VPN_SPEEDTEST_SHOT")) {
    // Leaves the window up for a screenshot.
    Form1->BringToFront();
    for (int i = 0; i < 100; ++i) {
      Application->ProcessMessages();
      Sleep(50);
    }
  }
}

TEST_F(SpeedTestWindow, PlaceholderAndBlankServerTextsOnlyMoveTheFocus) {
  Form1->ListBox1->Items()->Add("kept");
  for (const char* text : {"  选择服务器列表  ", "请选择节点线路", "   ", ""}) {
    FrmMain->IPAddrTxt->SetText(text);
    FrmMain->UserNameTxt->SetFocus();
    ASSERT_TRUE(FrmMain->UserNameTxt->Focused());
    FrmMain->Button3Click(FrmMain->Button3);
    EXPECT_TRUE(FrmMain->IPAddrTxt->Focused()) << text;
    EXPECT_FALSE(Form1->Visible()) << text;
    EXPECT_EQ(Lines(), std::vector<std::string>{"kept"}) << text;
    EXPECT_TRUE(FrmMain->Button3->Enabled());
  }
  EXPECT_TRUE(statuses.empty());
  EXPECT_TRUE(errors.empty());
}

TEST_F(SpeedTestWindow, RetestClearsTheListAndRunsTheMainWindowsTestAgain) {
  FrmMain->IPAddrTxt->SetText("127.0.0.1");
  FrmMain->Button3Click(FrmMain->Button3);
  ASSERT_EQ(Lines().size(), 9u);
  statuses.clear();
  Form1->Button1Click(Form1->Button1);
  ExpectNineReplyLines("127.0.0.1");
  // A retest while no server is chosen only clears the list and moves the focus.
  FrmMain->IPAddrTxt->SetText(" 选择服务器列表");
  Form1->Button1Click(Form1->Button1);
  EXPECT_TRUE(Lines().empty());
  EXPECT_TRUE(FrmMain->IPAddrTxt->Focused());
  EXPECT_EQ(statuses.size(), 9u);
  // Closing only hides the window; its lines stay until the next run.
  Form1->ListBox1->Items()->Add("line");
  Form1->Show();
  Form1->Button2Click(Form1->Button2);
  EXPECT_FALSE(Form1->Visible());
  EXPECT_EQ(Lines().size(), 1u);
}

TEST_F(SpeedTestWindow, AFailingPingEndsTheRunAndGoesToTheDefaultHandler) {
  // A name the resolver refuses without asking anyone.
  FrmMain->IPAddrTxt->SetText(std::string(64, 'q') + ".invalid");
  FrmMain->Button3Click(FrmMain->Button3);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Socket Error # 11001\r\nHost not found.");
  EXPECT_TRUE(Lines().empty());
  EXPECT_TRUE(FrmMain->Button3->Enabled());
  EXPECT_TRUE(Form1->Visible());
}

TEST_F(SpeedTestWindow, NodeTableBesideTheProgramNamesTheHostToPing) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring file(path, n);
  file.erase(file.find_last_of(L"\\/") + 1);
  file += L"nodes.ini";
  FILE* f = _wfopen(file.c_str(), L"wb");
  ASSERT_NE(f, nullptr) << "cannot write nodes.ini beside the test program";
  std::fputs("[选择线路]\r\nmy-node = 127.0.0.1\r\n", f);
  std::fclose(f);
  FrmMain->AreaTxt->SetItemIndex(0);
  ASSERT_EQ(FrmMain->AreaTxt->Text(), "选择线路");
  FrmMain->IPAddrTxt->SetText("my-node");
  FrmMain->Button3Click(FrmMain->Button3);
  _wremove(file.c_str());
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_EQ(FrmMain->PingHost, "127.0.0.1");
  // The lines show the server as typed, not the host pinged.
  ExpectNineReplyLines("my-node");
}
