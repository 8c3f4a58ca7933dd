// The skinned frame on plain windows of the thread, with the small test skin (frame 6,
// 22, 5 and 7 pixels, flat colours), read back from the screen and asked from outside
// as a user's mouse would.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Forms.h"
#include "skin/CaptionButtons.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/SkinMenuBar.h"
#include "tests/unit/skin/frame_test_support.h"

using namespace frametest;

namespace {

// The test skin's pieces: active and inactive frames.
constexpr uint32_t kLeft = Rgb(200, 30, 30), kLeftInactive = Rgb(120, 60, 60);
constexpr uint32_t kTitle = Rgb(30, 30, 200), kTitleInactive = Rgb(90, 90, 130);
constexpr uint32_t kRight = Rgb(30, 160, 30);
constexpr uint32_t kBottom = Rgb(200, 200, 30), kBottomInactive = Rgb(130, 130, 60);
constexpr uint32_t kClose = Rgb(250, 120, 0), kClosePressed = Rgb(150, 60, 0),
                   kCloseHot = Rgb(255, 190, 90), kCloseInactive = Rgb(160, 140, 120);
constexpr uint32_t kMinimise = Rgb(0, 200, 250);
constexpr uint32_t kTextActive = Rgb(255, 255, 0), kTextInactive = Rgb(0, 255, 255);
constexpr DWORD kCaptionStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

class SkinForm : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.reset(LoadTestSkin(skin_));
    ASSERT_TRUE(data_) << "test skin " << skin_ << " missing";
    ASSERT_TRUE(SkinManager && SkinManager->Enabled());
    exceptions_ = 0;
    Application->OnException = [this](TObject*, const std::exception&) { ++exceptions_; };
  }
  void TearDown() override {
    for (HWND w : windows_)
      if (IsWindow(w)) DestroyWindow(w);
    Pump(20);
    Application->OnException = nullptr;
    data_.reset();
    delete SkinManager;
    SkinManager = nullptr;
  }
  HWND Window(DWORD style = kCaptionStyle, int w = 200, int h = 100) {
    HWND wnd = MakeWindow(style, w, h);
    windows_.push_back(wnd);
    PumpUntil([&] {
      TSkinForm* f = SkinManager->FindSkinForm(wnd);
      return f && f->State() == sfsSkinned;
    });
    return wnd;
  }
  const char* skin_ = "testskin-a.skin";
  std::unique_ptr<TSkinData> data_;
  std::vector<HWND> windows_;
  int exceptions_ = 0;
};

class BareSkinForm : public SkinForm {
 protected:
  BareSkinForm() { skin_ = "testskin-bare.skin"; }
};

// The second test skin has a caption button of the program's own (action 40) at x 30.
class ProgramButtonSkinForm : public SkinForm {
 protected:
  ProgramButtonSkinForm() { skin_ = "testskin-b.skin"; }
};

std::vector<WPARAM> gCaptionButtons;
LRESULT CALLBACK CaptionButtonWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == SM_CAPTIONBUTTON) gCaptionButtons.push_back(wp);
  return DefWindowProcW(w, m, wp, lp);
}

}  // namespace

TEST_F(SkinForm, PlainWindowWearsTheSkinsFrameAroundItsClientArea) {
  HWND w = Window();
  EXPECT_EQ(SendMessageW(w, SM_QUERYSKINNED, 0, 0), 1);
  EXPECT_EQ(ClientSize(w).cx, 200);
  EXPECT_EQ(ClientSize(w).cy, 100);
  EXPECT_EQ(WindowSize(w).cx, 200 + 6 + 5);
  EXPECT_EQ(WindowSize(w).cy, 100 + 22 + 7);
  // The system draws no caption buttons of its own any more.
  EXPECT_EQ(GetWindowLongW(w, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX), 0);

  // The region cuts the left picture's magenta corner pixels out.
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(w, rgn), ERROR);
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  EXPECT_FALSE(PtInRegion(rgn, 1, 0));
  EXPECT_FALSE(PtInRegion(rgn, 0, 1));
  EXPECT_TRUE(PtInRegion(rgn, 1, 1));
  EXPECT_TRUE(PtInRegion(rgn, 2, 0));
  EXPECT_TRUE(PtInRegion(rgn, 210, 128));
  DeleteObject(rgn);

  // Hit tests: the edge rows do not drag, the title does, the client is the client.
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(w, 60, 2)), HTNOWHERE);
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(w, 60, 5)), HTCAPTION);
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(w, 60, 21)), HTCAPTION);
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(w, 60, 40)), HTCLIENT);

  // Each piece from its picture, active frame; the close and minimise buttons at their
  // places from the right edge (the window has no maximise box).
  ASSERT_TRUE(WaitForPixel(w, 30, 12, kTitle)) << std::hex << Capture(w).At(30, 12);
  Shot s = Capture(w);
  EXPECT_EQ(s.At(3, 60), kLeft);
  EXPECT_EQ(s.At(208, 60), kRight);
  EXPECT_EQ(s.At(100, 125), kBottom);
  EXPECT_EQ(s.At(211 - 24 + 9, 3 + 8), kClose);
  EXPECT_EQ(s.At(211 - 46 + 9, 3 + 8), kMinimise);
  EXPECT_EQ(s.Count(kMinimise, 0, 0, 211, 22), 18 * 16) << "one minimise button only";
  EXPECT_GT(s.Count(kTextActive, 0, 0, 211, 22), 5) << "caption text colour";

  // Another window takes the activation: the inactive frames.
  HWND other = Window(kCaptionStyle, 80, 40);
  SetWindowPos(other, nullptr, 400, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SetForegroundWindow(other);
  ASSERT_TRUE(WaitForPixel(w, 30, 12, kTitleInactive));
  s = Capture(w);
  EXPECT_EQ(s.At(3, 60), kLeftInactive);
  EXPECT_EQ(s.At(208, 60), kRight);  // one frame only
  EXPECT_EQ(s.At(100, 125), kBottomInactive);
  EXPECT_EQ(s.At(211 - 24 + 9, 3 + 8), kCloseInactive);
  EXPECT_GT(s.Count(kTextInactive, 0, 0, 211, 22), 5);
  EXPECT_EQ(s.Count(kTextActive, 0, 0, 211, 22), 0);
  EXPECT_EQ(exceptions_, 0);
}

TEST_F(SkinForm, CaptionButtonsLightUpUnderTheMouseAndShowPressed) {
  HWND w = Window();
  ASSERT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kClose));
  const LPARAM close = ScreenParam(w, 211 - 24 + 9, 11);
  SendMessageW(w, WM_NCMOUSEMOVE, HTCAPTION, close);
  EXPECT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kCloseHot));
  // Leaving the button lets it go, on the next move or the frame's timer.
  SendMessageW(w, WM_NCMOUSEMOVE, HTCAPTION, ScreenParam(w, 60, 10));
  EXPECT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kClose));
  SendMessageW(w, WM_NCLBUTTONDOWN, HTCAPTION, close);
  EXPECT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kClosePressed));
  // Released elsewhere: nothing happens.
  SendMessageW(w, WM_NCLBUTTONUP, HTCAPTION, ScreenParam(w, 60, 10));
  Pump(50);
  EXPECT_TRUE(IsWindow(w));
  EXPECT_EQ(exceptions_, 0);
}

// The frame's timer wakes the program only while a button is lit or held: a window
// nobody points at sleeps, and the word that the mouse left the frame lets a lit button
// go and stops the timer.
TEST_F(SkinForm, TheFramesTimerRunsOnlyWhileAButtonIsLit) {
  HWND w = Window();
  ASSERT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kClose));
  TCaptionButtons& buttons = SkinManager->FindSkinForm(w)->Buttons();
  EXPECT_FALSE(buttons.Ticking());
  const LPARAM close = ScreenParam(w, 211 - 24 + 9, 11);
  SendMessageW(w, WM_NCMOUSEMOVE, HTCAPTION, close);
  EXPECT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kCloseHot));
  EXPECT_TRUE(buttons.Ticking());
  SendMessageW(w, WM_NCMOUSELEAVE, 0, 0);
  EXPECT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kClose));
  EXPECT_FALSE(buttons.Ticking());

  // Held, then the window loses the focus: the button is let go and the timer stops.
  SendMessageW(w, WM_NCLBUTTONDOWN, HTCAPTION, close);
  EXPECT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kClosePressed));
  EXPECT_TRUE(buttons.Ticking());
  SendMessageW(w, WM_NCACTIVATE, FALSE, 0);
  EXPECT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kCloseInactive));
  EXPECT_FALSE(buttons.Ticking());

  // Lit while the mouse is really elsewhere, with no word from the system: the timer
  // notices, lets the button go and stops.
  SendMessageW(w, WM_NCACTIVATE, TRUE, 0);
  SetCursorPos(1000, 700);
  SendMessageW(w, WM_NCMOUSEMOVE, HTCAPTION, close);
  EXPECT_TRUE(buttons.Ticking());
  EXPECT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kClose));
  EXPECT_TRUE(PumpUntil([&] { return !buttons.Ticking(); }));
  EXPECT_TRUE(IsWindow(w));
  EXPECT_EQ(exceptions_, 0);
}

// The program's main window is skinned right before its first show, whenever its
// activation comes: it is on the screen with the skin's frame and outline from its first
// picture on.
TEST_F(SkinForm, TheMainWindowWearsTheFrameBeforeItIsFirstShown) {
  ASSERT_TRUE(Application->OnMainFormShowing);
  RECT r{0, 0, 200, 100};
  AdjustWindowRectEx(&r, kCaptionStyle, FALSE, 0);
  HWND w = CreateWindowExW(0, TestWindowClass(L"FirstShowTest"), L"Frame test", kCaptionStyle, 60,
                           60, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  windows_.push_back(w);
  Application->OnMainFormShowing(w);
  TSkinForm* f = SkinManager->FindSkinForm(w);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->State(), sfsSkinned);
  EXPECT_FALSE(IsWindowVisible(w));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(w, rgn), ERROR) << "no outline before the show";
  DeleteObject(rgn);
  // Shown: its first picture has the skin's title (active or not), and a second call
  // leaves it as it is.
  ShowWindow(w, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(PumpUntil([&] {
    const uint32_t title = Capture(w).At(30, 12);
    return title == kTitle || title == kTitleInactive;
  })) << std::hex
      << Capture(w).At(30, 12);
  Application->OnMainFormShowing(w);
  EXPECT_EQ(SkinManager->FindSkinForm(w), f);
  EXPECT_EQ(exceptions_, 0);
}

TEST_F(SkinForm, CaptionButtonsMinimiseAndCloseTheWindowAndTheIconClosesItOnADoubleClick) {
  HWND w = Window();
  ASSERT_TRUE(WaitForPixel(w, 211 - 24 + 9, 11, kClose));
  const LPARAM close = ScreenParam(w, 211 - 24 + 9, 11);
  SendMessageW(w, WM_NCLBUTTONDOWN, HTCAPTION, ScreenParam(w, 211 - 46 + 9, 11));
  SendMessageW(w, WM_NCLBUTTONUP, HTCAPTION, ScreenParam(w, 211 - 46 + 9, 11));
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(w) != FALSE; }));
  ShowWindow(w, SW_RESTORE);
  SetForegroundWindow(w);
  EXPECT_TRUE(PumpUntil([&] { return !IsIconic(w) && WindowSize(w).cx == 211; }));
  EXPECT_EQ(ClientSize(w).cy, 100);

  SendMessageW(w, WM_NCLBUTTONDOWN, HTCAPTION, close);
  SendMessageW(w, WM_NCLBUTTONUP, HTCAPTION, close);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(w); }));
  // The destroyed window's frame object goes with the manager's next tick.
  EXPECT_TRUE(PumpUntil([&] { return SkinManager->SkinForms().empty(); }, 1000));

  // A double click on the window's icon closes it.
  HWND second = Window();
  SendMessageW(second, WM_NCLBUTTONDBLCLK, HTCAPTION, ScreenParam(second, 4 + 8, 3 + 8));
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(second); }));
  EXPECT_EQ(exceptions_, 0);
}

TEST_F(ProgramButtonSkinForm, ACaptionButtonOfTheProgramsOwnTellsTheWindow) {
  gCaptionButtons.clear();
  HWND w = CreateWindowExW(0, TestWindowClass(L"CaptionButtonTest", CaptionButtonWindowProc),
                           L"Program buttons", kCaptionStyle, 60, 60, 300, 150, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  windows_.push_back(w);
  ASSERT_TRUE(ShowUntilSkinned(w));
  ASSERT_TRUE(WaitForPixel(w, 30 + 9, 3 + 8, kMinimise));
  const LPARAM button = ScreenParam(w, 30 + 9, 3 + 8);
  SendMessageW(w, WM_NCLBUTTONDOWN, HTCAPTION, button);
  SendMessageW(w, WM_NCLBUTTONUP, HTCAPTION, button);
  ASSERT_TRUE(PumpUntil([] { return !gCaptionButtons.empty(); }, 1000))
      << "the window never heard of the click";
  EXPECT_EQ(gCaptionButtons, std::vector<WPARAM>{40});
  // Nothing else happened to the window, and it is still skinned.
  EXPECT_FALSE(IsIconic(w));
  EXPECT_EQ(SendMessageW(w, SM_QUERYSKINNED, 0, 0), 1);
  // A press that ends elsewhere is no click.
  SendMessageW(w, WM_NCLBUTTONDOWN, HTCAPTION, button);
  SendMessageW(w, WM_NCLBUTTONUP, HTCAPTION, ScreenParam(w, 150, 12));
  Pump(100);
  EXPECT_EQ(gCaptionButtons.size(), 1u);
  EXPECT_EQ(exceptions_, 0);
}

// A one-colour icon of the small icon size.
HICON SolidIcon(uint32_t colour) {
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  HDC screen = GetDC(nullptr);
  HBITMAP image = CreateCompatibleBitmap(screen, cx, cy);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, image);
  HBRUSH brush = CreateSolidBrush(RGB(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF));
  RECT r{0, 0, cx, cy};
  FillRect(dc, &r, brush);
  SelectObject(dc, old);
  DeleteObject(brush);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  std::vector<uint8_t> opaque(size_t((cx + 15) / 16 * 2) * cy, 0);
  HBITMAP mask = CreateBitmap(cx, cy, 1, 1, opaque.data());
  ICONINFO info{TRUE, 0, 0, mask, image};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(image);
  return icon;
}

TEST_F(SkinForm, TheTitleShowsTheIconTheWindowHasNow) {
  constexpr uint32_t kFirst = Rgb(10, 220, 120), kSecond = Rgb(220, 40, 160);
  HWND w = Window();
  ASSERT_TRUE(WaitForPixel(w, 30, 12, kTitle));
  auto repaint = [&] {
    RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  };

  HICON first = SolidIcon(kFirst), second = SolidIcon(kSecond);
  SendMessageW(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(first));
  repaint();
  EXPECT_TRUE(WaitForPixel(w, 4 + 8, 3 + 8, kFirst));
  // The window changes its icon and destroys the old one: the title follows.
  SendMessageW(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(second));
  DestroyIcon(first);
  repaint();
  EXPECT_TRUE(WaitForPixel(w, 4 + 8, 3 + 8, kSecond));
  Shot s = Capture(w);
  EXPECT_EQ(s.Count(kSecond, 0, 0, 211, 22),
            GetSystemMetrics(SM_CXSMICON) * GetSystemMetrics(SM_CYSMICON));
  EXPECT_EQ(s.Count(kFirst, 0, 0, 211, 22), 0);
  // The icon is the system-menu button: a double click on it closes the window.
  SendMessageW(w, WM_NCLBUTTONDBLCLK, HTCAPTION, ScreenParam(w, 4 + 8, 3 + 8));
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(w); }));
  DestroyIcon(second);
  EXPECT_EQ(exceptions_, 0);
}

TEST_F(SkinForm, PopupWithoutCaptionKeepsTheSystemFrame) {
  HWND w = Window(WS_POPUP | WS_BORDER, 120, 80);
  ASSERT_EQ(SendMessageW(w, SM_QUERYSKINNED, 0, 0), 1);
  EXPECT_EQ(ClientSize(w).cx, 120);
  EXPECT_EQ(ClientSize(w).cy, 80);
  EXPECT_EQ(WindowSize(w).cx, 120 + 2 * GetSystemMetrics(SM_CXBORDER));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(w, rgn), ERROR) << "no outline of the skin's";
  DeleteObject(rgn);
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(w, 0, 0)), HTBORDER);
}

TEST_F(SkinForm, SizeGripsAreRefusedOnSkinnedWindowsOnly) {
  HWND skinned = Window();
  const DWORD grip = WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP;
  EXPECT_EQ(CreateWindowExW(0, L"ScrollBar", nullptr, grip, 0, 0, 16, 16, skinned, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_NE(CreateWindowExW(0, L"ScrollBar", nullptr, WS_CHILD | SBS_VERT, 0, 0, 16, 60, skinned,
                            nullptr, nullptr, nullptr),
            nullptr);
  SkinManager->SetEnabled(false);
  HWND plain = Window();
  EXPECT_EQ(SendMessageW(plain, SM_QUERYSKINNED, 0, 0), 0);
  EXPECT_NE(CreateWindowExW(0, L"ScrollBar", nullptr, grip, 0, 0, 16, 16, plain, nullptr, nullptr,
                            nullptr),
            nullptr);
}

TEST_F(SkinForm, FormTaggedNinetyNineStaysPlain) {
  auto plain = std::make_unique<TForm>(Application);
  plain->SetTag(UnskinnedFormTag);
  plain->SetClientSize(150, 90);
  plain->Show();
  auto skinned = std::make_unique<TForm>(Application);
  skinned->SetClientSize(150, 90);
  skinned->Show();
  ASSERT_TRUE(PumpUntil([&] { return SkinManager->FindSkinForm(skinned->Handle()); }));
  Pump(300);
  EXPECT_EQ(SendMessageW(plain->Handle(), SM_QUERYSKINNED, 0, 0), 0);
  EXPECT_EQ(SkinManager->FindSkinForm(plain->Handle()), nullptr);
  EXPECT_EQ(SendMessageW(skinned->Handle(), SM_QUERYSKINNED, 0, 0), 1);
  EXPECT_EQ(ClientSize(skinned->Handle()).cx, 150);
  EXPECT_EQ(WindowSize(skinned->Handle()).cy, 90 + 22 + 7);
  // The form takes the skin's face colour while skinned.
  EXPECT_EQ(skinned->Color(), RGB(200, 220, 180));
  skinned.reset();  // the frame object goes with the form
  EXPECT_TRUE(SkinManager->SkinForms().empty());
}

TEST_F(BareSkinForm, MissingOrEmptyBorderPicturesLeaveAUsableWindow) {
  HWND w = Window();
  ASSERT_EQ(SendMessageW(w, SM_QUERYSKINNED, 0, 0), 1);
  EXPECT_EQ(ClientSize(w).cx, 200);
  EXPECT_EQ(ClientSize(w).cy, 100);
  EXPECT_EQ(WindowSize(w).cx, 200);
  EXPECT_EQ(WindowSize(w).cy, 100);
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(w, 100, 2)), HTCLIENT);
  SendMessageW(w, WM_NCPAINT, 1, 0);
  SendMessageW(w, WM_NCACTIVATE, FALSE, 0);
  EXPECT_EQ(exceptions_, 0);
}

TEST_F(SkinForm, BrokenSkinNumbersNeverReachTheUser) {
  HWND w = Window();
  // Margins beyond the pictures and below zero, frame counts of nothing, buttons far
  // outside the window: painted, hit tested, never a message.
  data_->TopBorder->LeftWidth = 5000;
  data_->TopBorder->RightWidth = -40;
  data_->LeftBorder->TopHeight = -7;
  data_->BottomBorder->FrameCount = 0;
  data_->Title->TXTBackleft = -30;
  data_->Title->FrameCount = 0;
  data_->Title->LeftWidth = 100000;  // the caption's shift
  for (auto& b : data_->SysButtonElements) {
    b->FrameCount = -3;
    b->Xcoord = -100000;
  }
  SkinManager->FindSkinForm(w)->ReloadElements();
  SkinManager->FindSkinForm(w)->ApplySkinColors();
  SendMessageW(w, WM_NCPAINT, 1, 0);
  SendMessageW(w, WM_NCACTIVATE, FALSE, 0);
  SendMessageW(w, WM_NCMOUSEMOVE, HTCAPTION, ScreenParam(w, 100, 10));
  Pump(100);
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, ScreenParam(w, 60, 40)), HTCLIENT);
  EXPECT_EQ(exceptions_, 0);
  EXPECT_EQ(ClientSize(w).cx, 200);
}

namespace {

HWND gMdiClient = nullptr;

LRESULT CALLBACK MdiFrameProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefFrameProcW(w, gMdiClient, m, wp, lp);
}

// An MDI frame window and its client, made with the system's calls alone.
HWND MakeMdiFrame() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MdiFrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = L"FrameTestMdiFrame";
    RegisterClassExW(&wc);
    wc.lpfnWndProc = DefMDIChildProcW;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"FrameTestMdiChild";
    RegisterClassExW(&wc);
    return true;
  }();
  (void)registered;
  HWND frame =
      CreateWindowExW(0, L"FrameTestMdiFrame", L"MDI test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      40, 40, 460, 340, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  CLIENTCREATESTRUCT ccs{nullptr, 50000};
  RECT c{};
  GetClientRect(frame, &c);
  gMdiClient =
      CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                      c.right, c.bottom, frame, nullptr, GetModuleHandleW(nullptr), &ccs);
  ShowWindow(frame, SW_SHOW);
  SetForegroundWindow(frame);
  return frame;
}

}  // namespace

// A skinned MDI frame with a menu bar and one child made through its client.
class SkinMdi : public SkinForm {
 protected:
  void SetUp() override {
    SkinForm::SetUp();
    frame_ = MakeMdiFrame();
    windows_.push_back(frame_);
    ASSERT_TRUE(PumpUntil([&] {
      TSkinForm* f = SkinManager->FindSkinForm(frame_);
      return f && f->State() == sfsSkinned;
    }));
    // A menu set through the MDI client goes into the frame's skinned bar.
    menu_ = CreateMenu();
    AppendMenuW(menu_, MF_STRING, 1, L"&Window");
    SendMessageW(gMdiClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu_), 0);
    Pump(50);
    MDICREATESTRUCTW mcs{
        L"FrameTestMdiChild", L"Child", GetModuleHandleW(nullptr), 10, 10, 170, 120,
        WS_OVERLAPPEDWINDOW,  0};
    child_ = reinterpret_cast<HWND>(
        SendMessageW(gMdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    ASSERT_NE(child_, nullptr);
    TSkinForm* f = SkinManager->FindSkinForm(child_);
    ASSERT_NE(f, nullptr) << "the new child is skinned at once";
    ASSERT_TRUE(PumpUntil([&] { return f->State() == sfsSkinned; }));
  }
  // The maximised child's buttons in the frame's bar: right-aligned before the bar
  // picture's 2-pixel end.
  int ButtonLeft(int k) const { return WindowSize(frame_).cx - 16 * (3 - k) - 5 - 2; }
  int ButtonTop() const { return 22 + (GetSystemMetrics(SM_CYMENU) - 10) / 2; }
  void Click(int k) {
    const POINT p = At(frame_, ButtonLeft(k) + 6, ButtonTop() + 5);
    Mouse(p);
    Mouse(p, MOUSEEVENTF_LEFTDOWN);
    Mouse(p, MOUSEEVENTF_LEFTUP);
  }
  static constexpr uint32_t kMdiMinimise = Rgb(40, 200, 90), kMdiRestore = Rgb(200, 60, 160),
                            kMdiClose = Rgb(230, 30, 30), kBarActive = Rgb(170, 210, 240);
  HWND frame_ = nullptr, child_ = nullptr;
  HMENU menu_ = nullptr;
};

TEST_F(SkinMdi, TheFrameTakesTheClientsMenuAndTheChildIsSkinnedAtOnce) {
  EXPECT_EQ(SkinManager->FindSkinForm(frame_)->WindowKind(), wkMdiFrame);
  EXPECT_EQ(SkinManager->MdiClient(), gMdiClient);
  TSkinMenuBar* bar = SkinManager->FindSkinForm(frame_)->MenuBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->MenuHandle(), menu_);
  EXPECT_EQ(GetMenu(frame_), nullptr);
  EXPECT_EQ(SkinManager->FindSkinForm(child_)->WindowKind(), wkMdiChild);
  EXPECT_EQ(SkinManager->CountMdiChildren(), 1);
  const SIZE client = ClientSize(child_);
  EXPECT_EQ(WindowSize(child_).cx, client.cx + 11);
  EXPECT_EQ(WindowSize(child_).cy, client.cy + 29);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(child_, rgn), ERROR);
  DeleteObject(rgn);
  EXPECT_EQ(exceptions_, 0);
}

TEST_F(SkinMdi, AMaximisedChildGivesWayToTheFrameAndGetsItsFrameBackRestored) {
  const SIZE client = ClientSize(child_);
  // Maximised, the child has the system's frame inside the frame window and no outline.
  SendMessageW(gMdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child_), 0);
  Pump(50);
  EXPECT_TRUE(SkinManager->MdiMaximized());
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(child_, rgn), ERROR);
  EXPECT_EQ(ClientSize(child_).cx, ClientSize(gMdiClient).cx);
  // Its whole client area is painted, not only the part its old outline covered.
  EXPECT_TRUE(PumpUntil(
      [&] {
        const SIZE c = ClientSize(gMdiClient);
        const COLORREF back = GetSysColor(COLOR_APPWORKSPACE);
        return Capture(frame_).Count(Rgb(GetRValue(back), GetGValue(back), GetBValue(back)), 0, 0,
                                     WindowSize(frame_).cx,
                                     WindowSize(frame_).cy) < c.cx * c.cy / 10;
      },
      2000))
      << "the maximised child left the client's background showing";
  // Restored, its own skinned frame, region and client size come back.
  SendMessageW(gMdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child_), 0);
  Pump(50);
  EXPECT_FALSE(SkinManager->MdiMaximized());
  EXPECT_NE(GetWindowRgn(child_, rgn), ERROR);
  EXPECT_EQ(ClientSize(child_).cx, client.cx);
  EXPECT_EQ(WindowSize(child_).cy, client.cy + 29);
  DeleteObject(rgn);
  EXPECT_EQ(exceptions_, 0);
}

TEST_F(SkinMdi, AMaximisedChildsButtonsSitInTheFramesBarAndAct) {
  // The child's minimise, restore and close buttons from the skin's strip, with its
  // magenta corners see-through.
  SendMessageW(gMdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child_), 0);
  const int width = WindowSize(frame_).cx, top = ButtonTop();
  ASSERT_TRUE(WaitForPixel(frame_, ButtonLeft(2) + 6, top + 5, kMdiClose))
      << std::hex << Capture(frame_).At(ButtonLeft(2) + 6, top + 5);
  SaveShot(frame_, "mdi-maximised-child.bmp");
  Shot s = Capture(frame_);
  EXPECT_EQ(s.At(ButtonLeft(0) + 6, top + 5), kMdiMinimise);
  EXPECT_EQ(s.At(ButtonLeft(1) + 6, top + 5), kMdiRestore);
  EXPECT_EQ(s.Count(kMdiClose, 0, 0, width, 22 + GetSystemMetrics(SM_CYMENU)), 12 * 10 - 1);
  EXPECT_EQ(s.At(ButtonLeft(1), top), kBarActive);
  EXPECT_GT(s.Count(Rgb(120, 0, 60), 0, 22, width, 22 + GetSystemMetrics(SM_CYMENU)), 5)
      << "the bar's item text stays";

  // Real clicks: restore gives the child its own frame back and empties the bar's
  // corner; maximised again, close closes it.
  Click(1);
  EXPECT_TRUE(PumpUntil([&] { return !IsZoomed(child_) && !SkinManager->MdiMaximized(); }, 2000));
  EXPECT_TRUE(WaitForPixel(frame_, ButtonLeft(1) + 6, top + 5, kBarActive));
  SendMessageW(gMdiClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child_), 0);
  ASSERT_TRUE(WaitForPixel(frame_, ButtonLeft(2) + 6, top + 5, kMdiClose));
  Click(2);
  EXPECT_TRUE(
      PumpUntil([&] { return !IsWindow(child_) && SkinManager->CountMdiChildren() == 0; }, 2000));
  EXPECT_FALSE(SkinManager->MdiMaximized());
  ASSERT_TRUE(WaitForPixel(frame_, ButtonLeft(2) + 6, top + 5, kBarActive));
  s = Capture(frame_);
  EXPECT_EQ(s.Count(kMdiMinimise, 0, 0, width, 60) + s.Count(kMdiRestore, 0, 0, width, 60) +
                s.Count(kMdiClose, 0, 0, width, 60),
            0);
  EXPECT_EQ(exceptions_, 0);
}
