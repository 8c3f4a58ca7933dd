// The account query end to end: the real program posts to a test server (Python's
// http.server, started by http_server.py, whose address arrives in VPN_TEST_HTTP_URL) and
// shows the reply in the account window, or the failure message.
#include <gtest/gtest.h>

#include <cstdlib>

#include "net/NetHTTP.h"
#include "skin/SkinManager.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/e2e/kit/test_server.h"

namespace {

const wchar_t kTitle[] = L"Morlu连接器";
const wchar_t kFailure[] = L"查询失败，请稍后再试或联系商家";
const wchar_t kReply[] = L"用户名：demo\r\n到期时间：2027-01-01\r\n剩余流量：10GB";
const wchar_t kInitialLabel[] = L"这里显示用户帐户信息";

class AccountQuery : public ::testing::Test {
 protected:
  void Start(const std::string& url, const wchar_t* read_limit_ms = L"1500") {
    e2e::StartOptions o;
    o.env.push_back({L"VPN_ACCOUNT_URL", e2e::Utf8ToWide(url)});
    o.env.push_back({L"VPN_ACCOUNT_READ_TIMEOUT_MS", read_limit_ms});
    o.env.push_back({L"VPN_ACCOUNT_CONNECT_TIMEOUT_MS", L"2000"});
    app_ = e2e::Program::Start(o);
    main_ = app_.WaitForWindow(L"TFrmMain", kTitle);
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
    // The hidden windows are made right after the main window's first picture.
    form2_ = app_.WaitForWindow(L"TForm2", nullptr, 5000, false);
    ASSERT_NE(form2_, nullptr) << "the account window was not created";
  }
  // Clicks the account button; returns once the program's window thread handles
  // messages again (after the post, or inside the failure message box).
  void Ask() { e2e::Click(e2e::Control(main_, L"Button5")); }
  void TypeCredentials(const wchar_t* user, const wchar_t* password) {
    e2e::TypeText(e2e::Control(main_, L"UserNameTxt"), user);
    e2e::TypeText(e2e::Control(main_, L"PasswordTxt"), password);
    e2e::Sync(main_);
  }
  std::wstring Label1() {
    auto label = e2e::DescribeControl(form2_, L"Label1");
    return label ? label->caption : L"<no Label1>";
  }
  // Waits for the failure message, checks it and presses OK.
  void ExpectFailureMessage(DWORD ms) {
    HWND box = nullptr;
    if (!e2e::WaitUntil([&] { return (box = e2e::FindDialog(app_.Pid(), kTitle)); }, ms)) {
      e2e::SaveScreenshot(e2e::ArtifactPath(L"account-no-message.bmp"));
      FAIL() << "no failure message";
    }
    EXPECT_NE(e2e::DialogText(box).find(kFailure), std::wstring::npos)
        << e2e::DialogText(box).size();
    // The program's message box wears the main skin: its frame and outline.
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
          HRGN rgn = CreateRectRgn(0, 0, 0, 0);
          const bool outlined = GetWindowRgn(box, rgn) != ERROR;
          DeleteObject(rgn);
          return SendMessageW(box, SM_QUERYSKINNED, 0, 0) == 1 && outlined;
        },
        1000))
        << "the message box is not skinned";
    e2e::Sync(main_);
    e2e::SaveScreenshot(e2e::ArtifactPath(L"account-failure.bmp"), box);
    // The message box is no form of the program: it gets its OK as a command.
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box); }, 5000));
  }
  void TearDown() override {
    e2e::TestServer("reply");
    app_.Stop();
  }
  e2e::Program app_;
  HWND main_ = nullptr, form2_ = nullptr;
};

TEST_F(AccountQuery, ShowsTheReplyOnSeveralLinesAndFailuresLeaveTheWindowAlone) {
  e2e::TestServer("reply");
  Start(e2e::TestServerUrl() + "/webadmin/useradmin/vpnclient.php");
  const int before = e2e::TestServer("count");

  // Empty fields only move the focus; nothing is sent.
  Ask();
  EXPECT_EQ(e2e::FocusedControlName(main_), L"UserNameTxt");
  TypeCredentials(L" demo ", L"   ");
  Ask();
  EXPECT_EQ(e2e::FocusedControlName(main_), L"PasswordTxt");
  EXPECT_EQ(e2e::TestServer("count"), before);
  EXPECT_FALSE(IsWindowVisible(form2_));

  TypeCredentials(L"", L"demo");
  Ask();
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(form2_) != FALSE; }, 10000))
      << "the account window did not appear";
  EXPECT_EQ(e2e::TestServer("count"), before + 1);
  EXPECT_EQ(Label1(), kReply);
  // The label grew to three lines and did not wrap.
  auto label = e2e::DescribeControl(form2_, L"Label1");
  ASSERT_TRUE(label);
  EXPECT_GE(label->height, 3 * 12);
  // The skin paints a newly shown window a moment later.
  e2e::WaitUntil([] { return false; }, 1000);
  e2e::Sync(form2_);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"account-reply.bmp"), form2_);

  // Closing hides the window and keeps the reply.
  e2e::Click(e2e::Control(form2_, L"Button1"));
  e2e::Sync(form2_);
  EXPECT_FALSE(IsWindowVisible(form2_));

  // A 404, a server that hangs up and one that never answers: the message, and the
  // account window stays hidden with the last reply.
  e2e::TestServer("404");
  Ask();
  ExpectFailureMessage(10000);
  e2e::TestServer("hangup");
  Ask();
  ExpectFailureMessage(10000);
  e2e::TestServer("silent");
  Ask();
  ExpectFailureMessage(15000);  // after the read limit (1.5 s here)
  EXPECT_FALSE(IsWindowVisible(form2_));
  EXPECT_EQ(Label1(), kReply);

  // The window comes back with the next good reply.
  e2e::TestServer("reply");
  Ask();
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(form2_) != FALSE; }, 10000));
  EXPECT_EQ(Label1(), kReply);
}

// Pixels of the window that are pure black (the cover below is black).
int BlackPixels(HWND w) {
  const e2e::Image shot = e2e::CaptureScreen(w);
  int n = 0;
  for (std::uint32_t p : shot.pixels) n += p == 0;
  return n;
}

// A black window over `w` for a moment: once it is gone, only a window that paints
// shows its picture again.
bool RepaintsAfterBeingCovered(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  const int before = BlackPixels(w);
  HWND cover =
      CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"",
                      WS_POPUP | WS_VISIBLE | SS_BLACKRECT, r.left, r.top, r.right - r.left,
                      r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  e2e::WaitUntil([&] { return BlackPixels(w) > before + 1000; }, 1000);
  DestroyWindow(cover);
  return e2e::WaitUntil([&] { return BlackPixels(w) < before + 200; }, 1500);
}

// A server that sends a byte a second for ever: no read waits long, so only the whole
// query's limit ends it. Meanwhile the window answers and paints, and a second click
// sends nothing.
TEST_F(AccountQuery, ADrippingServerFailsWithinTheLimitWhileTheWindowPaints) {
  e2e::TestServer("drip");
  Start(e2e::TestServerUrl() + "/webadmin/useradmin/vpnclient.php", L"30000");
  TypeCredentials(L"demo", L"demo");
  const int before = e2e::TestServer("count");
  const ULONGLONG asked = GetTickCount64();
  Ask();
  Ask();
  HWND box = nullptr;
  int checks = 0;
  while (!(box = e2e::FindDialog(app_.Pid(), kTitle)) && GetTickCount64() - asked < 45000) {
    DWORD_PTR answer = 0;
    const ULONGLONG sent = GetTickCount64();
    ASSERT_TRUE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer))
        << "the window stopped answering " << (sent - asked) << " ms into the query";
    EXPECT_LT(GetTickCount64() - sent, 1000u);
    if (checks++ % 5 == 1) {
      EXPECT_TRUE(RepaintsAfterBeingCovered(main_))
          << "the window did not paint " << (sent - asked) << " ms into the query";
      if (checks < 5) e2e::SaveScreenshot(e2e::ArtifactPath(L"account-waiting.bmp"), main_);
    }
    e2e::WaitUntil([] { return false; }, 1000);
  }
  const ULONGLONG waited = GetTickCount64() - asked;
  EXPECT_EQ(e2e::TestServer("count"), before + 1) << "the second click sent a second query";
  ASSERT_NE(box, nullptr) << "no failure message after " << waited << " ms";
  EXPECT_GE(waited, 33000u);
  EXPECT_LE(waited, 40000u);
  ExpectFailureMessage(1000);
  EXPECT_FALSE(IsWindowVisible(form2_));

  // The next query goes out and comes back as usual.
  e2e::TestServer("reply");
  Ask();
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(form2_) != FALSE; }, 10000));
  EXPECT_EQ(Label1(), kReply);
}

TEST_F(AccountQuery, ADeadServerGivesTheFailureMessage) {
  Start("http://127.0.0.1:1/webadmin/useradmin/vpnclient.php");
  TypeCredentials(L"demo", L"demo");
  Ask();
  ExpectFailureMessage(10000);
  EXPECT_FALSE(IsWindowVisible(form2_));
  EXPECT_EQ(Label1(), kInitialLabel);
}

}  // namespace
