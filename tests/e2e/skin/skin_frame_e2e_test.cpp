// The program's three windows in the skin's frame, seen from outside as a user sees and
// handles them: asked whether they are skinned, measured, their outline and their
// pixels read back from the screen, hit tested, dragged, and their caption buttons used.
// Runs through http_server.py, whose account page lets the account window appear.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "skin/SkinManager.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/e2e/skin/skin_expect.h"

namespace {

const wchar_t kTitle[] = L"Morlu连接器";

// Real mouse input at a screen point, as the user's mouse gives it.
void Mouse(POINT p, DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>(p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>(p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
  SendInput(1, &in, sizeof in);
  Sleep(30);
}
void RealClick(POINT p, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
  Mouse(p, 0);
  Mouse(p, down);
  Mouse(p, up);
}

POINT Screen(HWND w, POINT frame) {
  RECT r{};
  GetWindowRect(w, &r);
  return {r.left + frame.x, r.top + frame.y};
}

SIZE Outer(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

bool SkinnedWithin(HWND w, DWORD ms) {
  return e2e::WaitUntil([&] { return SendMessageW(w, SM_QUERYSKINNED, 0, 0) == 1; }, ms, 5);
}

class SkinFrame : public ::testing::Test {
 protected:
  void Start() {
    e2e::StartOptions o;
    if (const char* url = std::getenv("VPN_TEST_HTTP_URL"))
      o.env.push_back({L"VPN_ACCOUNT_URL",
                       e2e::Utf8ToWide(std::string(url) + "/webadmin/useradmin/vpnclient.php")});
    app_ = e2e::Program::Start(o);
    main_ = app_.WaitForWindow(L"TFrmMain", kTitle);
    ASSERT_NE(main_, nullptr);
  }
  void TearDown() override {
    if (app_.Running()) app_.Stop();
  }
  // The frame of a window of the program: size, outline, pieces, caption colour.
  void ExpectFrame(HWND w, int cw, int ch, bool active, const char* name) {
    SCOPED_TRACE(name);
    const vpn::skin::FrameSizes f = skinexpect::Frame();
    // The frame is fitted and painted a moment after the window is skinned; the screen
    // shows the paint once the program's drawing has reached it.
    const SIZE want{cw + f.Left + f.Right, ch + f.Title + f.Bottom};
    e2e::Image shot;
    const bool ready = e2e::WaitUntil(
        [&] {
          const SIZE o = Outer(w);
          if (o.cx != want.cx || o.cy != want.cy) return false;
          shot = e2e::CaptureScreen(w);
          return PieceMismatches(shot, w, ch, active) == 0;
        },
        3000);
    e2e::SaveScreenshot(e2e::ArtifactPath(std::wstring(name, name + strlen(name)) +
                                          (active ? L"-active.bmp" : L"-inactive.bmp")),
                        w);
    EXPECT_EQ(e2e::ClientSize(w).cx, cw);
    EXPECT_EQ(e2e::ClientSize(w).cy, ch);
    ASSERT_EQ(Outer(w).cx, want.cx);
    ASSERT_EQ(Outer(w).cy, want.cy);
    EXPECT_TRUE(ready) << PieceMismatches(shot, w, ch, active) << " pixels unlike the skin";
    // The outline: the left picture's corner pixel is the key colour, the middle of the
    // title and of the bottom border are not.
    ASSERT_EQ(skinexpect::ProgramSkin().LeftBorder->Bitmap.At(0, 0), vpn::skin::KeyPixel);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(w, rgn), ERROR) << "no window region";
    EXPECT_FALSE(PtInRegion(rgn, 0, 0));
    EXPECT_TRUE(PtInRegion(rgn, want.cx / 2, f.Title / 2));
    EXPECT_TRUE(PtInRegion(rgn, want.cx / 2, want.cy - 1));
    DeleteObject(rgn);
    // The caption text in the skin's colour of this state.
    const TSkinColours& c = skinexpect::ProgramSkin().Colours;
    const uint32_t text = skinexpect::Rgb(active ? c.TitleTextActive : c.TitleTextNoActive);
    int count = 0;
    for (int y = 0; y < f.Title; ++y)
      for (int x = f.Left; x < skinexpect::FreeTitleColumn(want.cx); ++x)
        count += shot.At(x, y) == text;
    EXPECT_GT(count, 20) << "caption pixels in " << std::hex << text;
  }
  // Pixels of the title rows, the side borders and the bottom border (each a line across
  // the piece) that are not among the colours the skin's picture has there.
  static int PieceMismatches(const e2e::Image& shot, HWND w, int ch, bool active) {
    const vpn::skin::FrameSizes f = skinexpect::Frame();
    if (shot.width != Outer(w).cx || shot.height != Outer(w).cy) return -1;
    const int free = skinexpect::FreeTitleColumn(shot.width);
    const int mid = f.Title + ch / 2;
    int bad = 0;
    for (int y = 0; y < f.Title; ++y)
      bad += !skinexpect::TitleRow(y, active).count(shot.At(free, y));
    for (int x = 0; x < f.Left; ++x)
      bad += !skinexpect::LeftColumn(x, active).count(shot.At(x, mid));
    for (int x = 0; x < f.Right; ++x)
      bad += !skinexpect::RightColumn(x, active).count(shot.At(shot.width - f.Right + x, mid));
    for (int y = 0; y < f.Bottom; ++y)
      bad += !skinexpect::BottomRow(y, active).count(
          shot.At(shot.width / 2, shot.height - f.Bottom + y));
    return bad;
  }
  e2e::Program app_;
  HWND main_ = nullptr;
};

}  // namespace

TEST_F(SkinFrame, TheThreeWindowsWearTheSkinsFrame) {
  Start();
  ASSERT_TRUE(SkinnedWithin(main_, 1000)) << "main window";
  ExpectFrame(main_, 351, 239, true, "skin-main");

  // The speed test's window, shown by the speed test.
  e2e::TypeText(e2e::Control(main_, L"IPAddrTxt"), L"127.0.0.1");
  e2e::Click(e2e::Control(main_, L"Button3"));
  HWND speed = app_.WaitForWindow(L"TForm1", nullptr, 10000);
  ASSERT_NE(speed, nullptr);
  EXPECT_TRUE(SkinnedWithin(speed, 1000)) << "speed-test window";
  ExpectFrame(speed, 215, 194, true, "skin-speed");
  // The main window behind it is inactive now (the speed window moved off it first).
  RECT r{};
  GetWindowRect(speed, &r);
  SetWindowPos(speed, nullptr, GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left) - 4, 4, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectFrame(main_, 351, 239, false, "skin-main");
  // Once the nine replies are listed, the whole window as the user sees it.
  e2e::WaitUntil([&] { return e2e::ListItems(e2e::Control(speed, L"ListBox1")).size() == 9; },
                 15000);
  e2e::Sync(speed);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"skin-speed-done.bmp"), speed);
  e2e::Click(e2e::Control(speed, L"Button2"));

  if (!std::getenv("VPN_TEST_HTTP_URL"))
    GTEST_SKIP() << "no account server: run through http_server.py";
  e2e::TypeText(e2e::Control(main_, L"UserNameTxt"), L"demo");
  e2e::TypeText(e2e::Control(main_, L"PasswordTxt"), L"demo");
  e2e::Click(e2e::Control(main_, L"Button5"));
  HWND account = app_.WaitForWindow(L"TForm2", nullptr, 10000);
  ASSERT_NE(account, nullptr);
  EXPECT_TRUE(SkinnedWithin(account, 1000)) << "account window";
  ExpectFrame(account, 220, 190, true, "skin-account");
}

TEST_F(SkinFrame, TheFrameIsHandledWithTheMouse) {
  Start();
  ASSERT_TRUE(SkinnedWithin(main_, 1000));
  const vpn::skin::FrameSizes f = skinexpect::Frame();
  const SIZE o = Outer(main_);
  const int free = skinexpect::FreeTitleColumn(o.cx);
  auto hit = [&](int x, int y) {
    const POINT p = Screen(main_, {x, y});
    return SendMessageW(main_, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  };
  for (int y = 0; y < 4; ++y) EXPECT_EQ(hit(free, y), HTNOWHERE) << y;
  for (int y = 4; y < f.Title; ++y) EXPECT_EQ(hit(free, y), HTCAPTION) << y;
  EXPECT_EQ(hit(o.cx / 2, f.Title + 120), HTCLIENT);

  // Dragged by the title, the window follows the mouse.
  RECT before{};
  GetWindowRect(main_, &before);
  POINT p = Screen(main_, {free, f.Title / 2});
  Mouse(p, 0);
  Mouse(p, MOUSEEVENTF_LEFTDOWN);
  for (int i = 1; i <= 4; ++i) Mouse({p.x + 10 * i, p.y + 8 * i}, 0);
  Mouse({p.x + 40, p.y + 32}, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        RECT r{};
        GetWindowRect(main_, &r);
        return r.left == before.left + 40 && r.top == before.top + 32;
      },
      3000));

  // A right click on the title opens the system menu; Escape closes it.
  RealClick(Screen(main_, {free, f.Title / 2}), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  HWND menu = nullptr;
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return (menu = e2e::FindTopWindow(app_.Pid(), L"#32768")) && IsWindowVisible(menu); },
      3000));
  e2e::SendKeyToForeground(VK_ESCAPE);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !menu || !IsWindowVisible(menu); }, 3000));

  // The skin's minimise button takes the program off the screen; restored, the frame is
  // the same.
  const RECT minimise = skinexpect::Button(2, o.cx);
  ASSERT_LT(minimise.left, minimise.right) << "no minimise button in the skin";
  RealClick(Screen(main_, skinexpect::Centre(minimise)));
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(main_); }, 3000));
  PostMessageW(GetWindow(main_, GW_OWNER), WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(main_) != FALSE; }, 3000));
  EXPECT_EQ(e2e::ClientSize(main_).cx, 351);
  EXPECT_EQ(Outer(main_).cy, o.cy);

  // A double click on the window's icon closes the program (nothing is connected).
  const POINT icon = Screen(main_, skinexpect::Centre(skinexpect::Button(3, o.cx)));
  Mouse(icon, 0);
  Mouse(icon, MOUSEEVENTF_LEFTDOWN);
  Mouse(icon, MOUSEEVENTF_LEFTUP);
  Mouse(icon, MOUSEEVENTF_LEFTDOWN);
  Mouse(icon, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(app_.WaitExit(5000).has_value()) << "the program is still running";
}

TEST_F(SkinFrame, TheCloseButtonCloses) {
  Start();
  ASSERT_TRUE(SkinnedWithin(main_, 1000));
  const RECT close = skinexpect::Button(0, Outer(main_).cx);
  ASSERT_LT(close.left, close.right) << "no close button in the skin";
  RealClick(Screen(main_, skinexpect::Centre(close)));
  EXPECT_TRUE(app_.WaitExit(5000).has_value());
}
