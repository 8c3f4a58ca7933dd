// The program's skinned controls seen from outside: the push buttons show the frames of
// the skin's button picture for rest, focus, the mouse over them, pressed and disabled;
// the check boxes their glyphs, disabled while connecting; the status bar its panel
// picture and its text. Everything is compared with the skin the program carries, pixel
// for pixel where the skin copies pictures unscaled (corners and glyphs).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/skin/SkinWidgets.h"
#include "skin/SkinManager.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/e2e/main_window/support.h"
#include "tests/e2e/skin/skin_expect.h"

namespace {

const TDataSkinButton& Buttons() {
  return *skinexpect::ProgramSkin().Buttons;
}
uint32_t Face() {
  return skinexpect::Rgb(skinexpect::ProgramSkin().Colours.ButtonFace);
}

// The frame of a strip whose top-left corner (Corner x Corner pixels, copied unscaled by
// the nine-slice and glyph drawing) the screen shows at (x0, y0) of the shot; the key
// colour shows the face colour. 0 when no frame matches.
int FrameShown(const e2e::Image& shot, int x0, int y0, const TSkinPicture& strip, int frames,
               int cw, int ch) {
  const int fw = strip.Width / frames;
  for (int k = 1; k <= frames; ++k) {
    bool same = true;
    for (int y = 0; y < ch && same; ++y)
      for (int x = 0; x < cw && same; ++x) {
        uint32_t want = strip.At((k - 1) * fw + x, y);
        if (want == vpn::skin::KeyPixel) want = Face();
        same = shot.At(x0 + x, y0 + y) == want;
      }
    if (same) return k;
  }
  return 0;
}

// The frame of the Buttons picture a push button shows.
int ButtonFrame(HWND button) {
  const TDataSkinButton& b = Buttons();
  const int corner = std::min(b.LeftWidth, b.TopHeight);
  return FrameShown(e2e::CaptureScreen(button), 0, 0, b.Bitmap, b.FrameCount, corner, corner);
}
bool WaitForButtonFrame(HWND button, int frame, DWORD ms = 3000) {
  return e2e::WaitUntil([&] { return ButtonFrame(button) == frame; }, ms);
}

// The glyph frame a check box shows, where the skin puts its glyph.
int CheckFrame(HWND box) {
  const TDataSkinButton& b = Buttons();
  const int gw = b.CheckBitmap.Width / b.CheckButtonFrame, gh = b.CheckBitmap.Height;
  const e2e::Image shot = e2e::CaptureScreen(box);
  const vpn::skin::TPixelRect g = vpn::skin::GlyphRectOf(shot.width, shot.height, gw, gh, false);
  return FrameShown(shot, g.Left, g.Top, b.CheckBitmap, b.CheckButtonFrame, gw, gh);
}
bool WaitForCheckFrame(HWND box, int frame, DWORD ms = 3000) {
  return e2e::WaitUntil([&] { return CheckFrame(box) == frame; }, ms);
}

// The status bar: the panel picture's top-left corner (frame 1, lowered) at the bar's
// corner, and text in the panel text colour.
void ExpectStatusBar(HWND bar) {
  const TDataSkinObject& e = *skinexpect::ProgramSkin().StatusBarEdges;
  e2e::Image shot;
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        shot = e2e::CaptureScreen(bar);
        return FrameShown(shot, 0, 0, e.Bitmap, e.FrameCount, e.LeftWidth, e.TopHeight) == 1;
      },
      3000));
  // The text is thin and smoothed: its pixels stand well away from the face colour the
  // panel picture shows, and the darkest of them leans to the text colour.
  const uint32_t text = skinexpect::Rgb(e.NormalColour2), face = Face();
  auto distance = [](uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16})
      d = std::max(d, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return d;
  };
  int count = 0;
  uint32_t darkest = face;
  for (int y = e.TopHeight; y < shot.height - e.BottomHeight; ++y)
    for (int x = e.LeftWidth; x < shot.width / 2; ++x) {
      const uint32_t p = shot.At(x, y);
      if (distance(p, face) < 60) continue;
      ++count;
      if (distance(p, face) > distance(darkest, face)) darkest = p;
    }
  EXPECT_LT(distance(darkest, text), distance(darkest, face)) << std::hex << darkest;
  EXPECT_GT(count, 15) << "status text pixels";
}

void Shot(const wchar_t* name, HWND w) {
  e2e::Sync(w);
  e2e::SaveScreenshot(e2e::ArtifactPath(name), w);
}

}  // namespace

TEST(SkinControlsE2E, MainWindowButtonsCheckBoxesAndStatusBarComeFromTheSkin) {
  mw::SetReportedVersion(L"winxp");
  mw::FakeNotificationArea tray;
  // Ten dial states of 250 ms keep the window up, connecting, for 2.5 s: time enough to
  // look at the locked inputs on a loaded machine.
  mw::Session s(L"skin-controls", "[service]\nstate_delay_ms=250\n[account demo]\npassword=demo\n",
                true, false);
  HWND main = s.Main();
  HWND button1 = s.C(L"Button1"), button2 = s.C(L"Button2");
  HWND check1 = s.C(L"CheckBox1"), check2 = s.C(L"CheckBox2");
  ASSERT_TRUE(
      e2e::WaitUntil([&] { return SendMessageW(button1, SM_QUERYSKINNED, 0, 0) == 1; }, 3000));
  // The buttons out of sight get their windows after the first picture, and the skin too.
  for (const wchar_t* name : {L"Button3", L"Button4", L"Button5"}) {
    HWND late = s.C(name);
    EXPECT_TRUE(
        e2e::WaitUntil([&] { return SendMessageW(late, SM_QUERYSKINNED, 0, 0) == 1; }, 3000))
        << e2e::WideToUtf8(name);
  }
  e2e::MoveMouse({2, 2});
  // The focus goes to the server edit: Button1 at rest shows frame 1, the disabled
  // Button2 frame 3, the unchecked check boxes their first glyph.
  e2e::Click(s.C(L"IPAddrTxt"));
  EXPECT_TRUE(WaitForButtonFrame(button1, 1)) << ButtonFrame(button1);
  EXPECT_TRUE(WaitForButtonFrame(button2, 3)) << ButtonFrame(button2);
  EXPECT_TRUE(WaitForCheckFrame(check1, 1)) << CheckFrame(check1);
  EXPECT_TRUE(WaitForCheckFrame(check2, 1)) << CheckFrame(check2);
  ExpectStatusBar(s.C(L"StatusBar1"));
  Shot(L"controls-main-idle.bmp", main);

  // Under the mouse: frame 4; moving off it: frame 1 again.
  e2e::Hover(button1);
  EXPECT_TRUE(WaitForButtonFrame(button1, 4)) << ButtonFrame(button1);
  e2e::MoveMouse(e2e::ScreenPoint(main, POINT{20, 20}));
  EXPECT_TRUE(WaitForButtonFrame(button1, 1)) << ButtonFrame(button1);

  // Pressed: frame 2; released outside: no connect (the empty server would be refused
  // with a message box), and the button keeps the focus it took (frame 4).
  const POINT centre = e2e::ScreenPoint(button1);
  e2e::MouseDown(centre);
  EXPECT_TRUE(WaitForButtonFrame(button1, 2)) << ButtonFrame(button1);
  e2e::MouseUp({centre.x, centre.y + 60});
  e2e::Sync(main);
  EXPECT_TRUE(WaitForButtonFrame(button1, 4)) << ButtonFrame(button1);
  EXPECT_EQ(e2e::FindDialog(s.App().Pid()), nullptr) << "released outside, still clicked";
  EXPECT_EQ(s.Status(), L"断开");

  // A check box clicked with the mouse shows the checked glyph.
  e2e::MouseDown(e2e::ScreenPoint(check1));
  e2e::MouseUp(e2e::ScreenPoint(check1));
  EXPECT_TRUE(WaitForCheckFrame(check1, 2)) << CheckFrame(check1);

  // While connecting the inputs are disabled: the check boxes show the disabled glyphs
  // (checked + 2, unchecked + 2), Button1 frame 3. The dial's own status texts pass too
  // quickly to wait for; the locked Connect button marks the dial under way.
  s.Fill(L"IPAddrTxt", L"127.0.0.1");
  s.Fill(L"UserNameTxt", L"demo");
  s.Fill(L"PasswordTxt", L"demo");
  e2e::MoveMouse({2, 2});
  e2e::Click(button1);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Enabled(L"Button1"); }, 10000)) << s.Status();
  ASSERT_TRUE(s.Visible()) << s.Status();
  EXPECT_TRUE(WaitForCheckFrame(check1, 4, 1000)) << CheckFrame(check1);
  EXPECT_TRUE(WaitForCheckFrame(check2, 3, 1000)) << CheckFrame(check2);
  EXPECT_TRUE(WaitForButtonFrame(button1, 3, 1000)) << ButtonFrame(button1);
  Shot(L"controls-main-connecting.bmp", main);

  // Connected, in the tray; restored by the icon: Button2 enabled, Button1 disabled.
  ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 10000)) << s.Status();
  ASSERT_TRUE(tray.WaitForBalloon(5000));
  tray.ClickIcon();
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000));
  EXPECT_TRUE(WaitForButtonFrame(button1, 3)) << ButtonFrame(button1);
  const int b2 = [&] {
    e2e::WaitUntil([&] { return ButtonFrame(button2) == 1 || ButtonFrame(button2) == 4; }, 3000);
    return ButtonFrame(button2);
  }();
  EXPECT_TRUE(b2 == 1 || b2 == 4) << b2;
  ExpectStatusBar(s.C(L"StatusBar1"));
  Shot(L"controls-main-restored.bmp", main);

  // The space key on the focused Button2 disconnects.
  SetForegroundWindow(main);
  e2e::Click(s.C(L"PasswordTxt"));
  for (int i = 0; i < 12 && e2e::FocusedControlName(main) != L"Button2"; ++i)
    e2e::PressKeyInForm(main, VK_TAB);
  ASSERT_EQ(e2e::FocusedControlName(main), L"Button2");
  EXPECT_TRUE(WaitForButtonFrame(button2, 4)) << ButtonFrame(button2);
  e2e::PressKeyInForm(main, VK_SPACE);
  EXPECT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 10000)) << s.Status();
  mw::SetReportedVersion(L"");
}

TEST(SkinControlsE2E, SpeedTestAndAccountWindowsWearTheSkinsButtons) {
  e2e::StartOptions o;
  if (const char* url = std::getenv("VPN_TEST_HTTP_URL"))
    o.env.push_back({L"VPN_ACCOUNT_URL",
                     e2e::Utf8ToWide(std::string(url) + "/webadmin/useradmin/vpnclient.php")});
  e2e::Program app = e2e::Program::Start(o);
  HWND main = app.WaitForWindow(L"TFrmMain", L"Morlu连接器");
  ASSERT_NE(main, nullptr);
  e2e::MoveMouse({2, 2});

  e2e::TypeText(e2e::Control(main, L"IPAddrTxt"), L"127.0.0.1");
  e2e::Click(e2e::Control(main, L"Button3"));
  HWND speed = app.WaitForWindow(L"TForm1", nullptr, 10000);
  ASSERT_NE(speed, nullptr);
  HWND retest = e2e::Control(speed, L"Button1"), close = e2e::Control(speed, L"Button2");
  ASSERT_TRUE(
      e2e::WaitUntil([&] { return SendMessageW(close, SM_QUERYSKINNED, 0, 0) == 1; }, 3000));
  e2e::WaitUntil([&] { return e2e::ListItems(e2e::Control(speed, L"ListBox1")).size() == 9; },
                 15000);
  // A button with the focus shows frame 4, the other frame 1.
  for (const wchar_t* name : {L"Button1", L"Button2"}) {
    HWND b = e2e::Control(speed, name);
    const int want = e2e::FocusedWindow(speed) == b ? 4 : 1;
    EXPECT_TRUE(WaitForButtonFrame(b, want)) << ButtonFrame(b);
  }
  e2e::Hover(retest);
  EXPECT_TRUE(WaitForButtonFrame(retest, 4)) << ButtonFrame(retest);
  Shot(L"controls-speed.bmp", speed);
  e2e::Click(close);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(speed); }, 3000));

  if (!std::getenv("VPN_TEST_HTTP_URL"))
    GTEST_SKIP() << "no account server: run through http_server.py";
  e2e::TypeText(e2e::Control(main, L"UserNameTxt"), L"demo");
  e2e::TypeText(e2e::Control(main, L"PasswordTxt"), L"demo");
  e2e::Click(e2e::Control(main, L"Button5"));
  HWND account = app.WaitForWindow(L"TForm2", nullptr, 10000);
  ASSERT_NE(account, nullptr);
  HWND ok = e2e::Control(account, L"Button1");
  EXPECT_TRUE(e2e::WaitUntil([&] { return ButtonFrame(ok) == 1 || ButtonFrame(ok) == 4; }, 3000))
      << ButtonFrame(ok);
  e2e::Hover(ok);
  EXPECT_TRUE(WaitForButtonFrame(ok, 4)) << ButtonFrame(ok);
  Shot(L"controls-account.bmp", account);
  app.Stop();
}
