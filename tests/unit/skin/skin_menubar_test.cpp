// The skinned menu bar of a plain window (made with CreateWindow and a menu of
// CreateMenu / AppendMenu, no framework), driven with real mouse and keyboard input from
// a second thread while this thread runs the window and its menus. Which drop-down is
// open is read from the "#32768" window (MN_GETHMENU); the bar from the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/SkinMenuBar.h"
#include "skins/DefaultSkin.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/unit/skin/frame_test_support.h"

using namespace frametest;

namespace {

// The test skin's bar picture (two frames, 2-pixel ends) and colours (frame-a.ini).
constexpr uint32_t kBarBody = Rgb(170, 210, 240), kBarEnd = Rgb(40, 80, 120);
constexpr uint32_t kBarInactive = Rgb(190, 150, 200);
constexpr uint32_t kBarText = Rgb(120, 0, 60), kShadow = Rgb(150, 150, 90);
constexpr uint32_t kMenuBorder = Rgb(90, 40, 120), kItemSelected = Rgb(255, 140, 20);
constexpr uint32_t kItem = Rgb(250, 250, 250), kSeparator = Rgb(0, 160, 0);
constexpr uint32_t kMenuText = Rgb(20, 20, 120);

enum { kFile, kEdit, kGone, kRun, kHelp };
constexpr UINT kOpen = 101, kRunCommand = 400;
constexpr UINT kPlacePointer = WM_APP + 1;  // the test window moves the display's pointer

// What the window heard.
struct Heard {
  std::atomic<int> clicks{0}, chars{0};
  std::vector<UINT> commands;  // read once the driver has finished
};
Heard* gHeard = nullptr;

LRESULT CALLBACK BarWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (gHeard) {
    if (m == WM_COMMAND && lp == 0) gHeard->commands.push_back(LOWORD(wp));
    if (m == WM_LBUTTONDOWN) ++gHeard->clicks;
    if (m == WM_CHAR) ++gHeard->chars;
  }
  if (m == kPlacePointer) {
    SetCursorPos(static_cast<int>(wp), static_cast<int>(lp));
    return 0;
  }
  return DefWindowProcW(w, m, wp, lp);
}

const wchar_t* BarWindowClass() {
  static const wchar_t* name = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = BarWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"MenuBarTestWindow";
    RegisterClassExW(&wc);
    return L"MenuBarTestWindow";
  }();
  return name;
}

// The menu of the visible popup window of this process, or null.
HMENU OpenMenu() {
  HWND w = FindWindowW(L"#32768", nullptr);
  if (!w || !IsWindowVisible(w)) return nullptr;
  DWORD_PTR menu = 0;
  SendMessageTimeoutW(w, 0x01E1, 0, 0, SMTO_ABORTIFHUNG, 1000, &menu);  // MN_GETHMENU
  return reinterpret_cast<HMENU>(menu);
}

// Waits on the driver thread for the open drop-down to become `menu` (null: none);
// returns what is open at the end.
HMENU WaitOpen(HMENU menu, DWORD ms = 2500) {
  const DWORD end = GetTickCount() + ms;
  HMENU now = OpenMenu();
  while (now != menu && static_cast<LONG>(end - GetTickCount()) > 0) {
    Sleep(20);
    now = OpenMenu();
  }
  return now;
}

void Keys(std::initializer_list<std::pair<UINT, bool>> strokes) {
  std::vector<INPUT> in;
  for (auto [vk, down] : strokes) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = static_cast<WORD>(vk);
    i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    i.ki.dwFlags =
        (down ? 0 : KEYEVENTF_KEYUP) |
        (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN ? KEYEVENTF_EXTENDEDKEY
                                                                         : 0);
    in.push_back(i);
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  Sleep(60);
}
void Press(UINT vk) {
  Keys({{vk, true}, {vk, false}});
}
void AltWith(UINT vk) {
  Keys({{VK_MENU, true}, {vk, true}, {vk, false}, {VK_MENU, false}});
}
// The display's pointer is held by this thread while a menu is open: only this thread
// can move it. Input from elsewhere moves the system's idea of the pointer but not the
// display's, and a drop-down shown next reads the pointer from the display. So the
// window (run by this thread, also inside the menu's loop) puts the display's pointer
// where the input goes.
HWND gPointerWindow = nullptr;

void PlacePointer(POINT p) {
  PostMessageW(gPointerWindow, kPlacePointer, static_cast<WPARAM>(p.x), static_cast<LPARAM>(p.y));
  Sleep(60);
}
// The pointer moved as a hand moves it, in steps.
void MoveTo(POINT from, POINT to) {
  for (int i = 1; i <= 4; ++i) {
    const POINT p{from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4};
    PlacePointer(p);
    e2e::MoveMouse(p);
  }
}
void ClickAt(POINT p) {
  PlacePointer(p);
  e2e::MouseDown(p);
  e2e::MouseUp(p);
}

class SkinMenuBar : public ::testing::Test {
 protected:
  // The skin the window is drawn with.
  virtual TSkinData* MakeSkin() { return LoadTestSkin("testskin-a.skin"); }
  virtual DWORD ExStyle() const { return 0; }
  void SetUp() override {
    data_.reset(MakeSkin());
    ASSERT_TRUE(data_);
    ASSERT_TRUE(SkinManager && SkinManager->Enabled);
    gHeard = &heard_;
    file_ = CreatePopupMenu();
    AppendMenuW(file_, MF_STRING, kOpen, L"&Open\tCtrl+O");
    AppendMenuW(file_, MF_STRING | MF_CHECKED, 102, L"&Wrap lines");
    AppendMenuW(file_, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file_, MF_STRING | MF_GRAYED, 103, L"&Print");
    AppendMenuW(file_, MF_STRING, 104, L"E&xit");
    SetMenuDefaultItem(file_, kOpen, FALSE);
    edit_ = CreatePopupMenu();
    AppendMenuW(edit_, MF_STRING, 201, L"Cu&t");
    more_ = CreatePopupMenu();
    AppendMenuW(more_, MF_STRING, 211, L"&Deeper");
    AppendMenuW(edit_, MF_POPUP, reinterpret_cast<UINT_PTR>(more_), L"&More");
    gone_ = CreatePopupMenu();
    AppendMenuW(gone_, MF_STRING, 301, L"Nothing");
    help_ = CreatePopupMenu();
    AppendMenuW(help_, MF_STRING, 501, L"&About");
    bar_ = CreateMenu();
    AppendMenuW(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(file_), L"&File");
    AppendMenuW(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(edit_), L"&Edit");
    AppendMenuW(bar_, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(gone_), L"&Gone");
    AppendMenuW(bar_, MF_STRING, kRunCommand, L"&Run");
    AppendMenuW(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(help_), L"&Help");

    RECT r{0, 0, 360, 160};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
    wnd_ = CreateWindowExW(ExStyle(), BarWindowClass(), L"Menu bar test", WS_OVERLAPPEDWINDOW, 80,
                           80, r.right - r.left, r.bottom - r.top, nullptr, bar_,
                           GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(wnd_);
    gPointerWindow = wnd_;
    ShowWindow(wnd_, SW_SHOW);
    SetForegroundWindow(wnd_);
    ASSERT_TRUE(PumpUntil([&] {
      TSkinForm* f = SkinManager->FindSkinForm(wnd_);
      return f && f->State == sfsSkinned && f->MenuBar;
    }));
    Pump(100);
  }
  void TearDown() override {
    if (IsWindow(wnd_)) DestroyWindow(wnd_);
    Pump(20);
    gHeard = nullptr;
    data_.reset();
    delete SkinManager;
    SkinManager = nullptr;
  }
  TSkinForm* Frame() const { return SkinManager->FindSkinForm(wnd_); }
  // The screen point in the middle of a bar button.
  POINT ButtonCentre(int index) const {
    const RECT& b = Frame()->MenuBar->Buttons[static_cast<size_t>(index)]->Bounds;
    return At(wnd_, (b.left + b.right) / 2, (b.top + b.bottom) / 2);
  }
  // Runs the script on a second thread while this one runs the window and its menus.
  void Drive(const std::function<void()>& script) {
    std::atomic<bool> done{false};
    std::thread driver([&] {
      script();
      done = true;
    });
    const bool finished = PumpUntil([&] { return done.load(); }, 60000);
    driver.join();
    ASSERT_TRUE(finished);
    Pump(50);
  }

  std::unique_ptr<TSkinData> data_;
  Heard heard_;
  HMENU bar_ = nullptr, file_ = nullptr, edit_ = nullptr, more_ = nullptr, gone_ = nullptr,
        help_ = nullptr;
  HWND wnd_ = nullptr;
};

}  // namespace

TEST_F(SkinMenuBar, BarIsDrawnFromTheSkinAndItsDropDownsFollowTheMouseAndTheArrowKeys) {
  TSkinForm* f = Frame();
  ASSERT_EQ(f->MenuBar->Count(), 5);
  EXPECT_EQ(GetMenu(wnd_), nullptr) << "the system draws no bar of its own";
  EXPECT_EQ(f->MenuHeight, GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(ClientSize(wnd_).cx, 360);
  EXPECT_EQ(ClientSize(wnd_).cy, 160);
  POINT client{0, 0};
  ClientToScreen(wnd_, &client);
  EXPECT_EQ(client.y - At(wnd_, 0, 0).y, f->TitleHeight + f->MenuHeight)
      << "the client area starts under the bar";

  // The bar: the picture's active frame with its fixed ends, captions in the bar text
  // colour, the disabled item in the shadow colour only.
  const Shot s = Capture(wnd_);
  const int mid = f->TitleHeight + f->MenuHeight / 2;
  EXPECT_EQ(s.At(f->BorderLeft, mid), kBarEnd);
  EXPECT_EQ(s.At(s.width - f->BorderRight - 1, mid), kBarEnd);
  EXPECT_EQ(s.At(s.width - f->BorderRight - 20, mid), kBarBody);
  auto in = [&](int i, uint32_t colour) {
    const RECT& b = f->MenuBar->Buttons[static_cast<size_t>(i)]->Bounds;
    return s.Count(colour, b.left, b.top, b.right, b.bottom);
  };
  EXPECT_GT(in(kFile, kBarText), 5);
  EXPECT_EQ(in(kFile, kShadow), 0);
  EXPECT_GT(in(kGone, kShadow), 5);
  EXPECT_EQ(in(kGone, kBarText), 0);
  for (int i = 1; i < 5; ++i)
    EXPECT_GE(f->MenuBar->Buttons[size_t(i)]->Bounds.left,
              f->MenuBar->Buttons[size_t(i - 1)]->Bounds.right)
        << "buttons side by side from the left";

  const POINT file = ButtonCentre(kFile), edit = ButtonCentre(kEdit), gone = ButtonCentre(kGone),
              run = ButtonCentre(kRun);
  HMENU afterClick = nullptr, afterMove = nullptr, right1 = nullptr, right2 = nullptr,
        left1 = nullptr, left2 = nullptr, outOfSub = nullptr, afterEscape = file_,
        afterGone = file_;
  Shot dropDown;
  RECT firstItem{}, separator{};
  size_t subMenus = 0;
  std::vector<UINT> commandsBeforeRun;
  Drive([&] {
    ClickAt(file);
    afterClick = WaitOpen(file_);
    Sleep(150);
    if (HWND popup = FindWindowW(L"#32768", nullptr)) {
      dropDown = Capture(popup);
      SaveShot(popup, "menubar-file-dropdown.bmp");
      SaveShot(wnd_, "menubar-window.bmp");
      RECT wr{};
      GetWindowRect(popup, &wr);
      GetMenuItemRect(nullptr, file_, 0, &firstItem);
      GetMenuItemRect(nullptr, file_, 2, &separator);
      OffsetRect(&firstItem, -wr.left, -wr.top);
      OffsetRect(&separator, -wr.left, -wr.top);
    }
    MoveTo(file, edit);
    afterMove = WaitOpen(edit_);
    // From Edit to the right: the disabled item and the one without a drop-down are
    // passed over; past the last item the bar starts again at the first.
    Press(VK_RIGHT);
    right1 = WaitOpen(help_);
    Press(VK_RIGHT);
    right2 = WaitOpen(file_);
    Press(VK_LEFT);
    left1 = WaitOpen(help_);
    Press(VK_LEFT);
    left2 = WaitOpen(edit_);
    // The right arrow on an item with a sub-menu opens that; inside it, it goes on to
    // the next bar item.
    Press(VK_DOWN);
    Press(VK_RIGHT);
    {
      const DWORD end = GetTickCount() + 1500;
      while (subMenus < 2 && static_cast<LONG>(end - GetTickCount()) > 0) {
        subMenus = 0;
        for (HWND p = nullptr; (p = FindWindowExW(nullptr, p, L"#32768", nullptr));)
          subMenus += IsWindowVisible(p) ? 1 : 0;
        Sleep(20);
      }
    }
    Press(VK_RIGHT);
    outOfSub = WaitOpen(help_);
    Press(VK_ESCAPE);
    afterEscape = WaitOpen(nullptr);
    // The disabled item opens nothing; the item without a drop-down sends its command.
    ClickAt(gone);
    Sleep(400);
    afterGone = OpenMenu();
    commandsBeforeRun = heard_.commands;
    ClickAt(run);
    Sleep(300);
    // An item of a drop-down chosen with the keyboard sends its command.
    ClickAt(file);
    WaitOpen(file_);
    Press(VK_RETURN);
    WaitOpen(nullptr);
    Sleep(200);
  });
  EXPECT_EQ(afterClick, file_);
  EXPECT_EQ(afterMove, edit_) << "moving the mouse onto Edit switches drop-downs";
  EXPECT_EQ(right1, help_);
  EXPECT_EQ(right2, file_) << "the right arrow wraps at the end of the bar";
  EXPECT_EQ(left1, help_) << "the left arrow wraps at the start";
  EXPECT_EQ(left2, edit_);
  EXPECT_EQ(subMenus, 2u) << "the right arrow opened the sub-menu";
  EXPECT_EQ(outOfSub, help_);
  EXPECT_EQ(afterEscape, nullptr);
  EXPECT_EQ(afterGone, nullptr) << "a disabled bar item opens nothing";
  EXPECT_TRUE(commandsBeforeRun.empty());
  EXPECT_EQ(heard_.commands, (std::vector<UINT>{kRunCommand, kOpen}));

  // The drop-down is drawn from the skin: its border from the menu background, the lit
  // first item from the item picture's fourth frame, the separator from its second.
  ASSERT_GT(dropDown.width, 0) << "no drop-down seen";
  EXPECT_EQ(dropDown.At(1, 1), kMenuBorder);
  EXPECT_EQ(dropDown.At(firstItem.right - 4, (firstItem.top + firstItem.bottom) / 2),
            kItemSelected);
  EXPECT_GT(
      dropDown.Count(kSeparator, separator.left, separator.top, separator.right, separator.bottom),
      10);
  EXPECT_GT(dropDown.Count(kItem, 0, firstItem.bottom, dropDown.width, dropDown.height), 100);
  EXPECT_GT(dropDown.Count(kMenuText, 0, firstItem.bottom, dropDown.width, dropDown.height), 10);
  // The items are the program's own strings again once the drop-down has closed.
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(file_, 0, TRUE, &mi);
  EXPECT_FALSE(mi.fType & MFT_OWNERDRAW);
}

TEST_F(SkinMenuBar, AltWithAnAcceleratorOpensItsDropDownAndAltAloneLeavesNoMenuMode) {
  const DWORD thread = GetCurrentThreadId();
  HMENU byAlt = nullptr, byDisabledAlt = file_;
  DWORD flagsAfterAlt = ~0u;
  int clicksBefore = 0, charsBefore = 0;
  POINT inside{0, 0};
  ClientToScreen(wnd_, &inside);
  inside.x += 100;
  inside.y += 80;
  Drive([&] {
    AltWith('E');
    byAlt = WaitOpen(edit_);
    Press(VK_ESCAPE);
    WaitOpen(nullptr);
    AltWith('G');
    Sleep(400);
    byDisabledAlt = OpenMenu();
    // Alt alone, then a click into the window and a typed key: both reach the window,
    // no menu mode holds them.
    Keys({{VK_MENU, true}, {VK_MENU, false}});
    Sleep(200);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(thread, &gui);
    flagsAfterAlt = gui.flags;
    clicksBefore = heard_.clicks;
    charsBefore = heard_.chars;
    ClickAt(inside);
    Press('K');
    Sleep(200);
  });
  EXPECT_EQ(byAlt, edit_);
  EXPECT_EQ(byDisabledAlt, nullptr) << "Alt with a disabled item's key opens nothing";
  EXPECT_EQ(flagsAfterAlt & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE), 0u);
  EXPECT_EQ(heard_.clicks, clicksBefore + 1);
  EXPECT_EQ(heard_.chars, charsBefore + 1);
  EXPECT_EQ(OpenMenu(), nullptr);
}

TEST_F(SkinMenuBar, NewMenusGoIntoTheBarAndTheSkinGivesTheMenuBackWhenSwitchedOff) {
  const SIZE client = ClientSize(wnd_);
  // A new menu set on the skinned window goes into the bar.
  HMENU other = CreateMenu();
  AppendMenuW(other, MF_STRING, 601, L"&Alpha");
  AppendMenuW(other, MF_STRING, 602, L"&Beta");
  SetMenu(wnd_, other);
  DestroyMenu(bar_);
  Pump(50);
  TSkinForm* f = Frame();
  EXPECT_EQ(GetMenu(wnd_), nullptr);
  ASSERT_EQ(f->MenuBar->Count(), 2);
  EXPECT_EQ(f->MenuBar->Buttons[0]->Caption, L"&Alpha");
  EXPECT_EQ(f->MenuBar->MenuHandle, other);
  EXPECT_EQ(ClientSize(wnd_).cx, client.cx);
  EXPECT_EQ(ClientSize(wnd_).cy, client.cy);
  // An item changed through the menu handle shows on the next paint.
  EnableMenuItem(other, 1, MF_BYPOSITION | MF_GRAYED);
  RedrawWindow(wnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  Pump(50);
  EXPECT_FALSE(f->MenuBar->Buttons[1]->Enabled);

  // Switched off: the window's own bar is back, at the same client size.
  data_->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageW(wnd_, SM_QUERYSKINNED, 0, 0) == 0; }));
  Pump(100);
  EXPECT_EQ(GetMenu(wnd_), other);
  EXPECT_EQ(ClientSize(wnd_).cx, client.cx);
  EXPECT_EQ(ClientSize(wnd_).cy, client.cy);
  const Shot plain = Capture(wnd_);
  EXPECT_EQ(plain.Count(kBarBody, 0, 0, plain.width, plain.height), 0);
  EXPECT_EQ(plain.Count(kBarInactive, 0, 0, plain.width, plain.height), 0);
  SaveShot(wnd_, "menubar-unskinned.bmp");

  // On again: a plain window is skinned when it is next activated, and the skin takes
  // the bar again.
  data_->SetActive(true);
  ASSERT_TRUE(PumpUntil([&] { return SkinManager->Enabled; }));
  HWND elsewhere = MakeWindow(WS_OVERLAPPEDWINDOW, 80, 40);
  SetForegroundWindow(wnd_);
  DestroyWindow(elsewhere);
  ASSERT_TRUE(PumpUntil([&] {
    TSkinForm* g = SkinManager->FindSkinForm(wnd_);
    return g && g->State == sfsSkinned && g->MenuBar;
  }));
  Pump(100);
  EXPECT_EQ(GetMenu(wnd_), nullptr);
  EXPECT_EQ(Frame()->MenuBar->MenuHandle, other);
  EXPECT_EQ(ClientSize(wnd_).cx, client.cx);
  EXPECT_EQ(ClientSize(wnd_).cy, client.cy);
  const Shot skinned = Capture(wnd_);
  EXPECT_GT(skinned.Count(kBarBody, 0, 0, skinned.width, skinned.height), 100);

  // The window takes its menu with it when destroyed, as the system's bar would.
  DestroyWindow(wnd_);
  Pump(50);
  EXPECT_FALSE(IsMenu(other));
}

// The program's own skin: the bar from its menu bar picture, the drop-down from its menu
// pictures (a second skin, so that nothing passes only by the test skin's numbers).
class ProgramSkinMenuBar : public SkinMenuBar {
 protected:
  TSkinData* MakeSkin() override {
    auto* d = new TSkinData(nullptr);
    d->ReadSkinStream(std::span<const uint8_t>(DefaultSkinStream, DefaultSkinStreamSize));
    d->SetActive(true);
    d->Loaded();
    return d;
  }
};

TEST_F(ProgramSkinMenuBar, BarAndDropDownAreDrawnFromTheProgramsSkin) {
  TSkinForm* f = Frame();
  ASSERT_TRUE(data_->MenuBarImage && !data_->MenuBarImage->Bitmap.Empty());
  const TSkinPicture& bar = data_->MenuBarImage->Bitmap;
  // The active frame is the picture's upper half.
  const uint32_t body = bar.At(bar.Width / 2, bar.Height / 4) & 0xFFFFFF;
  const TSkinPicture& bg = data_->MenuBackground->Bitmap;
  const uint32_t border = bg.At(0, bg.Height / 2) & 0xFFFFFF;
  const TSkinPicture& item = data_->MenuItem->Bitmap;
  const uint32_t selected =
      item.At(item.Width / 5 * 3 + item.Width / 10, item.Height / 2) & 0xFFFFFF;

  Shot window, dropDown;
  HMENU open = nullptr;
  Drive([&] {
    AltWith('F');
    open = WaitOpen(file_);
    Sleep(150);
    window = Capture(wnd_);
    if (HWND popup = FindWindowW(L"#32768", nullptr)) {
      dropDown = Capture(popup);
      SaveShot(popup, "menubar-program-skin-dropdown.bmp");
    }
    SaveShot(wnd_, "menubar-program-skin.bmp");
    Press(VK_ESCAPE);
    WaitOpen(nullptr);
  });
  EXPECT_EQ(open, file_);
  const RECT& help = f->MenuBar->Buttons[kHelp]->Bounds;
  const int mid = f->TitleHeight + f->MenuHeight / 2;
  EXPECT_EQ(window.At(help.right + 20, mid), body);
  EXPECT_GT(window.Count(body, f->BorderLeft, f->TitleHeight, window.width - f->BorderRight,
                         f->TitleHeight + f->MenuHeight),
            (window.width - f->BorderLeft - f->BorderRight) * f->MenuHeight / 2);
  ASSERT_GT(dropDown.width, 0);
  EXPECT_EQ(dropDown.At(0, dropDown.height / 2), border);
  EXPECT_GT(dropDown.Count(selected, 0, 0, dropDown.width, dropDown.height / 3), 100)
      << "the first item, lit, from the item picture's fourth frame";
}

// A right-to-left window: the bar's items from the right edge, the arrow keys moving in
// the bar's own direction, the drop-downs hanging from the buttons' right edges.
class RightToLeftMenuBar : public SkinMenuBar {
 protected:
  DWORD ExStyle() const override { return WS_EX_LAYOUTRTL; }
};

TEST_F(RightToLeftMenuBar, ItemsStartAtTheRightAndTheArrowsFollowThem) {
  TSkinForm* f = Frame();
  ASSERT_TRUE(f->MenuBar->RightToLeft);
  const int width = WindowSize(wnd_).cx;
  const auto& b = f->MenuBar->Buttons;
  EXPECT_EQ(b[kFile]->Bounds.right, width - f->BorderRight - (2 + 8));
  for (int i = 1; i < 5; ++i) EXPECT_EQ(b[size_t(i)]->Bounds.right, b[size_t(i - 1)]->Bounds.left);
  const Shot s = Capture(wnd_);
  EXPECT_GT(s.Count(kBarText, b[kFile]->Bounds.left, b[kFile]->Bounds.top, b[kFile]->Bounds.right,
                    b[kFile]->Bounds.bottom),
            5)
      << "the caption is drawn where the button is hit";

  HMENU first = nullptr, left = nullptr, right = nullptr, wrapped = nullptr;
  RECT popup{};
  Drive([&] {
    AltWith('F');
    first = WaitOpen(file_);
    if (HWND p = FindWindowW(L"#32768", nullptr)) GetWindowRect(p, &popup);
    SaveShot(wnd_, "menubar-right-to-left.bmp");
    Press(VK_LEFT);
    left = WaitOpen(edit_);
    Press(VK_RIGHT);
    right = WaitOpen(file_);
    Press(VK_RIGHT);
    wrapped = WaitOpen(help_);
    Press(VK_ESCAPE);
    WaitOpen(nullptr);
  });
  EXPECT_EQ(first, file_);
  EXPECT_EQ(left, edit_) << "the left arrow goes to the item on the left";
  EXPECT_EQ(right, file_);
  EXPECT_EQ(wrapped, help_) << "past the right end the bar starts again at its left end";
  EXPECT_EQ(popup.right, At(wnd_, b[kFile]->Bounds.right, 0).x);
}
