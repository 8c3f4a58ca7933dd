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

#include "framework/Handles.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/SkinMenuBar.h"
#include "skins/DefaultSkin.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/support/wait_until.h"
#include "tests/unit/skin/frame_test_support.h"

using namespace frametest;

namespace {

// The test skin's bar picture (two frames, 2-pixel ends) and colours (frame-a.ini).
constexpr uint32_t kBarBody = Rgb(170, 210, 240), kBarEnd = Rgb(40, 80, 120);
constexpr uint32_t kBarInactive = Rgb(190, 150, 200);
constexpr uint32_t kBarText = Rgb(120, 0, 60), kShadow = Rgb(150, 150, 90);
constexpr uint32_t kMenuBorder = Rgb(90, 40, 120), kItemSelected = Rgb(255, 140, 20);
constexpr uint32_t kSeparator = Rgb(0, 160, 0), kHotFrame = Rgb(0, 200, 200);

enum { kFile, kEdit, kGone, kRun, kHelp };
constexpr UINT kOpen = 101, kRunCommand = 400;
constexpr UINT kPlacePointer = WM_APP + 1;  // the test window moves the display's pointer

// What the window heard (the commands are read once the driver has finished).
struct Heard {
  std::atomic<int> clicks{0}, chars{0};
  std::vector<UINT> commands;
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
  static const bool registered = [] {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = BarWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"MenuBarTestWindow";
    return RegisterClassExW(&wc) != 0;
  }();
  return registered ? L"MenuBarTestWindow" : nullptr;
}

// A menu of (flags, identifier or sub-menu, text) entries.
struct Entry {
  UINT flags;
  UINT_PTR id;
  const wchar_t* text;
};
HMENU MakeMenu(HMENU menu, std::initializer_list<Entry> entries) {
  for (const Entry& e : entries) AppendMenuW(menu, e.flags, e.id, e.text);
  return menu;
}
UINT_PTR Sub(HMENU m) {
  return reinterpret_cast<UINT_PTR>(m);
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
  HMENU now = nullptr;
  testwait::WaitUntil([&] { return (now = OpenMenu()) == menu; }, ms, false, 20);
  return now;
}

// Waits on the driver thread until the open drop-down is painted (its border shows the
// skin's colour at its left edge); the drop-down's window, or null.
HWND WaitPainted(uint32_t border, DWORD ms = 2000) {
  HWND popup = nullptr;
  testwait::WaitUntil(
      [&] {
        popup = FindWindowW(L"#32768", nullptr);
        if (!popup || !IsWindowVisible(popup)) return false;
        const Shot s = Capture(popup);
        return s.width > 0 && s.At(0, s.height / 2) == border;
      },
      ms, false, 20);
  return popup;
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
  virtual TSkinData* MakeSkin() { return LoadTestSkin("testskin-a.skin"); }
  virtual DWORD ExStyle() const { return 0; }
  void SetUp() override {
    data_.reset(MakeSkin());
    ASSERT_TRUE(data_ && SkinManager && SkinManager->Enabled());
    gHeard = &heard_;
    file_ = MakeMenu(CreatePopupMenu(), {{MF_STRING, kOpen, L"&Open\tCtrl+O"},
                                         {MF_STRING | MF_CHECKED, 102, L"&Wrap lines"},
                                         {MF_SEPARATOR, 0, nullptr},
                                         {MF_STRING | MF_GRAYED, 103, L"&Print"},
                                         {MF_STRING, 104, L"E&xit"}});
    SetMenuDefaultItem(file_, kOpen, FALSE);
    more_ = MakeMenu(CreatePopupMenu(), {{MF_STRING, 211, L"&Deeper"}});
    edit_ =
        MakeMenu(CreatePopupMenu(), {{MF_STRING, 201, L"Cu&t"}, {MF_POPUP, Sub(more_), L"&More"}});
    help_ = MakeMenu(CreatePopupMenu(), {{MF_STRING, 501, L"&About"}});
    HMENU gone = MakeMenu(CreatePopupMenu(), {{MF_STRING, 301, L"Nothing"}});
    bar_ = MakeMenu(CreateMenu(), {{MF_POPUP, Sub(file_), L"&File"},
                                   {MF_POPUP, Sub(edit_), L"&Edit"},
                                   {MF_POPUP | MF_GRAYED, Sub(gone), L"&Gone"},
                                   {MF_STRING, kRunCommand, L"&Run"},
                                   {MF_POPUP, Sub(help_), L"&Help"}});
    RECT r{0, 0, 360, 160};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
    wnd_ = CreateWindowExW(ExStyle(), BarWindowClass(), L"Menu bar test", WS_OVERLAPPEDWINDOW, 80,
                           80, r.right - r.left, r.bottom - r.top, nullptr, bar_, nullptr, nullptr);
    ASSERT_TRUE(wnd_);
    gPointerWindow = wnd_;
    ShowWindow(wnd_, SW_SHOW);
    SetForegroundWindow(wnd_);
    ASSERT_TRUE(
        PumpUntil([&] { return Frame() && Frame()->State() == sfsSkinned && Frame()->MenuBar(); }));
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
  const RECT& Button(int index) const { return Frame()->MenuBar()->Button(index)->Bounds(); }
  POINT ButtonCentre(int index) const {
    const RECT& b = Button(index);
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
  HMENU bar_ = nullptr, file_ = nullptr, edit_ = nullptr, more_ = nullptr, help_ = nullptr;
  HWND wnd_ = nullptr;
};

}  // namespace

TEST_F(SkinMenuBar, BarIsDrawnFromTheSkinAndItsDropDownsFollowTheMouseAndTheArrowKeys) {
  TSkinForm* f = Frame();
  ASSERT_EQ(f->MenuBar()->Count(), 5);
  EXPECT_EQ(GetMenu(wnd_), nullptr) << "the system draws no bar of its own";
  EXPECT_EQ(ClientSize(wnd_).cx, 360);
  EXPECT_EQ(ClientSize(wnd_).cy, 160);
  POINT client{0, 0};
  ClientToScreen(wnd_, &client);
  EXPECT_EQ(client.y - At(wnd_, 0, 0).y, f->Frame().Title + GetSystemMetrics(SM_CYMENU))
      << "the client area starts under the bar";

  // The bar: the picture's active frame with its fixed ends, captions side by side in
  // the bar text colour, the disabled item in the shadow colour only.
  const Shot s = Capture(wnd_);
  const int mid = f->Frame().Title + f->MenuHeight() / 2;
  EXPECT_EQ(s.At(f->Frame().Left, mid), kBarEnd);
  EXPECT_EQ(s.At(s.width - f->Frame().Right - 1, mid), kBarEnd);
  EXPECT_EQ(s.At(s.width - f->Frame().Right - 20, mid), kBarBody);
  auto in = [&](int i, uint32_t colour) {
    return s.Count(colour, Button(i).left, Button(i).top, Button(i).right, Button(i).bottom);
  };
  EXPECT_GT(in(kFile, kBarText), 5);
  EXPECT_EQ(in(kFile, kShadow), 0);
  EXPECT_GT(in(kGone, kShadow), 5);
  EXPECT_EQ(in(kGone, kBarText), 0);
  for (int i = 1; i < 5; ++i) EXPECT_GE(Button(i).left, Button(i - 1).right);

  // "Exit" carries a picture of its own, drawn in the item's icon column.
  constexpr uint32_t kPicture = Rgb(10, 200, 90);
  HDC screen = GetDC(nullptr);
  TBitmapHandle picture(CreateCompatibleBitmap(screen, 16, 16));
  {
    TMemoryDC mem(CreateCompatibleDC(screen));
    TSelectObject sel(mem.Get(), picture.Get());
    TBrushHandle brush(CreateSolidBrush(RGB(10, 200, 90)));
    const RECT all{0, 0, 16, 16};
    FillRect(mem.Get(), &all, brush.Get());
  }
  ReleaseDC(nullptr, screen);
  MENUITEMINFOW pictured{sizeof pictured, MIIM_BITMAP};
  pictured.hbmpItem = picture.Get();
  SetMenuItemInfoW(file_, 4, TRUE, &pictured);

  const POINT file = ButtonCentre(kFile), edit = ButtonCentre(kEdit);
  std::vector<HMENU> seen;  // the drop-down open after each step
  auto step = [&](HMENU expected, const std::function<void()>& action) {
    action();
    seen.push_back(WaitOpen(expected));
  };
  Shot dropDown;
  RECT lit{}, line{}, exit{};
  size_t menusOpen = 0;
  int hotFrame = 0;  // pixels of the frame a button under the mouse gets
  Drive([&] {
    MoveTo(ButtonCentre(kRun), file);
    testwait::WaitUntil(
        [&] {
          const Shot hot = Capture(wnd_);
          hotFrame = hot.Count(kHotFrame, Button(kFile).left, Button(kFile).top,
                               Button(kFile).right, Button(kFile).bottom);
          return hotFrame > 20;
        },
        2000);
    step(file_, [&] { ClickAt(file); });
    if (HWND popup = WaitPainted(kMenuBorder)) {
      dropDown = Capture(popup);
      SaveShot(popup, "menubar-file-dropdown.bmp");
      SaveShot(wnd_, "menubar-window.bmp");
      RECT wr{};
      GetWindowRect(popup, &wr);
      GetMenuItemRect(nullptr, file_, 0, &lit);
      GetMenuItemRect(nullptr, file_, 2, &line);
      GetMenuItemRect(nullptr, file_, 4, &exit);
      for (RECT* r : {&lit, &line, &exit}) OffsetRect(r, -wr.left, -wr.top);
    }
    step(edit_, [&] { MoveTo(file, edit); });
    // The disabled item and the one without a drop-down are passed over; past either
    // end the bar starts again at the other.
    step(help_, [] { Press(VK_RIGHT); });
    step(file_, [] { Press(VK_RIGHT); });
    step(help_, [] { Press(VK_LEFT); });
    step(edit_, [] { Press(VK_LEFT); });
    // On an item with a sub-menu the right arrow opens that; inside it, it goes on.
    Press(VK_DOWN);
    Press(VK_RIGHT);
    testwait::WaitUntil(
        [&] {
          menusOpen = 0;
          for (HWND p = nullptr; (p = FindWindowExW(nullptr, p, L"#32768", nullptr));)
            menusOpen += IsWindowVisible(p) ? 1 : 0;
          return menusOpen == 2;
        },
        2000);
    step(help_, [] { Press(VK_RIGHT); });
    step(nullptr, [] { Press(VK_ESCAPE); });
    // The disabled item opens nothing; the item without a drop-down sends its command.
    step(nullptr, [&] {
      ClickAt(ButtonCentre(kGone));
      Sleep(400);
    });
    ClickAt(ButtonCentre(kRun));
    // An item chosen with the keyboard sends its command.
    step(file_, [&] { ClickAt(file); });
    step(nullptr, [] { Press(VK_RETURN); });
    Sleep(200);
  });
  EXPECT_EQ(seen, (std::vector<HMENU>{file_, edit_, help_, file_, help_, edit_, help_, nullptr,
                                      nullptr, file_, nullptr}));
  EXPECT_GT(hotFrame, 20) << "the button under the mouse is framed";
  EXPECT_EQ(menusOpen, 2u) << "the right arrow opened the sub-menu";
  EXPECT_EQ(heard_.commands, (std::vector<UINT>{kRunCommand, kOpen}));

  // The drop-down is the skin's: its border from the menu background, the lit first
  // item from the item picture's fourth frame, the separator from its second.
  ASSERT_GT(dropDown.width, 0) << "no drop-down seen";
  EXPECT_EQ(dropDown.At(1, 1), kMenuBorder);
  EXPECT_EQ(dropDown.At(lit.right - 4, (lit.top + lit.bottom) / 2), kItemSelected);
  EXPECT_GT(dropDown.Count(kSeparator, line.left, line.top, line.right, line.bottom), 10);
  EXPECT_GT(dropDown.Count(kPicture, exit.left, exit.top, exit.left + 24, exit.bottom), 200);
  // The items are the program's own strings again once the drop-down has closed.
  MENUITEMINFOW mi{sizeof mi, MIIM_FTYPE};
  GetMenuItemInfoW(file_, 0, TRUE, &mi);
  EXPECT_FALSE(mi.fType & MFT_OWNERDRAW);
}

TEST_F(SkinMenuBar, AltWithAnAcceleratorOpensItsDropDownAndAltAloneLeavesNoMenuMode) {
  const DWORD thread = GetCurrentThreadId();
  HMENU byAlt = nullptr, byDisabledAlt = file_;
  DWORD flagsAfterAlt = ~0u;
  int clicksBefore = 0, charsBefore = 0;
  POINT inside{100, 80};
  ClientToScreen(wnd_, &inside);
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
    GUITHREADINFO gui{sizeof gui};
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
}

TEST_F(SkinMenuBar, NewMenusGoIntoTheBarAndTheSkinGivesTheMenuBackWhenSwitchedOff) {
  const SIZE client = ClientSize(wnd_);
  auto sameClient = [&] {
    return ClientSize(wnd_).cx == client.cx && ClientSize(wnd_).cy == client.cy;
  };
  auto barPixels = [&] {
    const Shot s = Capture(wnd_);
    return s.Count(kBarBody, 0, 0, s.width, s.height) +
           s.Count(kBarInactive, 0, 0, s.width, s.height);
  };
  // A new menu set on the skinned window goes into the bar.
  HMENU other = MakeMenu(CreateMenu(), {{MF_STRING, 601, L"&Alpha"}, {MF_STRING, 602, L"&Beta"}});
  SetMenu(wnd_, other);
  DestroyMenu(bar_);
  Pump(50);
  EXPECT_EQ(GetMenu(wnd_), nullptr);
  ASSERT_EQ(Frame()->MenuBar()->Count(), 2);
  EXPECT_EQ(Frame()->MenuBar()->Button(0)->Caption(), L"&Alpha");
  EXPECT_TRUE(sameClient());
  // An item changed through the menu handle shows on the next paint.
  EnableMenuItem(other, 1, MF_BYPOSITION | MF_GRAYED);
  RedrawWindow(wnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_FALSE(Frame()->MenuBar()->Button(1)->Enabled());

  // Switched off: the window's own bar is back, at the same client size.
  data_->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageW(wnd_, SM_QUERYSKINNED, 0, 0) == 0; }));
  Pump(100);
  EXPECT_EQ(GetMenu(wnd_), other);
  EXPECT_TRUE(sameClient());
  EXPECT_EQ(barPixels(), 0);
  SaveShot(wnd_, "menubar-unskinned.bmp");

  // On again: a plain window is skinned when it is next activated.
  data_->SetActive(true);
  ASSERT_TRUE(PumpUntil([&] { return SkinManager->Enabled(); }));
  DestroyWindow(MakeWindow(WS_OVERLAPPEDWINDOW, 80, 40));
  SetForegroundWindow(wnd_);
  ASSERT_TRUE(
      PumpUntil([&] { return Frame() && Frame()->State() == sfsSkinned && Frame()->MenuBar(); }));
  Pump(100);
  EXPECT_EQ(GetMenu(wnd_), nullptr);
  EXPECT_EQ(Frame()->MenuBar()->MenuHandle(), other);
  EXPECT_TRUE(sameClient());
  EXPECT_GT(barPixels(), 100);

  // Another window active: the bar shows the picture's inactive frame.
  HWND front = MakeWindow(WS_OVERLAPPEDWINDOW, 80, 40);
  Pump(100);
  const Shot inactive = Capture(wnd_);
  EXPECT_GT(inactive.Count(kBarInactive, 0, 0, inactive.width, inactive.height), 100);
  EXPECT_EQ(inactive.Count(kBarBody, 0, 0, inactive.width, inactive.height), 0);
  DestroyWindow(front);

  // The window takes its menu with it when destroyed, as with the system's bar.
  DestroyWindow(wnd_);
  EXPECT_FALSE(IsMenu(other));
}

// The program's own skin: the bar and the drop-down from its pictures (a second skin,
// so that nothing passes only by the test skin's numbers).
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
  const TSkinPicture &bar = data_->MenuBarImage->Bitmap, &bg = data_->MenuBackground->Bitmap,
                     &item = data_->MenuItem->Bitmap;
  const uint32_t body = bar.At(bar.Width / 2, bar.Height / 4) & 0xFFFFFF;  // active frame
  const uint32_t border = bg.At(0, bg.Height / 2) & 0xFFFFFF;
  const uint32_t lit = item.At(item.Width * 7 / 10, item.Height / 2) & 0xFFFFFF;  // frame 4
  Shot window, dropDown;
  Drive([&] {
    AltWith('F');
    WaitOpen(file_);
    dropDown = Capture(WaitPainted(border));
    window = Capture(wnd_);
    SaveShot(wnd_, "menubar-program-skin.bmp");
    Press(VK_ESCAPE);
    WaitOpen(nullptr);
  });
  EXPECT_EQ(window.At(Button(kHelp).right + 20, f->Frame().Title + f->MenuHeight() / 2), body);
  ASSERT_GT(dropDown.width, 0);
  EXPECT_EQ(dropDown.At(0, dropDown.height / 2), border);
  EXPECT_GT(dropDown.Count(lit, 0, 0, dropDown.width, dropDown.height / 3), 100);
}

// A right-to-left window: the items from the right edge, the arrow keys in the bar's
// direction, the drop-downs hanging from the buttons' right edges.
class RightToLeftMenuBar : public SkinMenuBar {
 protected:
  DWORD ExStyle() const override { return WS_EX_LAYOUTRTL; }
};

TEST_F(RightToLeftMenuBar, ItemsStartAtTheRightAndTheArrowsFollowThem) {
  TSkinForm* f = Frame();
  EXPECT_EQ(Button(kFile).right, WindowSize(wnd_).cx - f->Frame().Right - (2 + 8));
  for (int i = 1; i < 5; ++i) EXPECT_EQ(Button(i).right, Button(i - 1).left);
  const Shot s = Capture(wnd_);
  EXPECT_GT(s.Count(kBarText, Button(kFile).left, Button(kFile).top, Button(kFile).right,
                    Button(kFile).bottom),
            5)
      << "the caption is drawn where the button is hit";
  std::vector<HMENU> seen;
  RECT popup{}, wrap{};
  Shot dropDown;
  Drive([&] {
    AltWith('F');
    seen.push_back(WaitOpen(file_));
    HWND menu = WaitPainted(kMenuBorder);
    GetWindowRect(menu, &popup);
    dropDown = Capture(menu);
    GetMenuItemRect(nullptr, file_, 1, &wrap);
    OffsetRect(&wrap, -popup.left, -popup.top);
    SaveShot(wnd_, "menubar-right-to-left.bmp");
    SaveShot(menu, "menubar-right-to-left-dropdown.bmp");
    for (auto [key, next] : {std::pair{VK_LEFT, edit_}, {VK_RIGHT, file_}, {VK_RIGHT, help_}}) {
      Press(key);
      seen.push_back(WaitOpen(next));
    }
    Press(VK_ESCAPE);
    WaitOpen(nullptr);
  });
  EXPECT_EQ(seen, (std::vector<HMENU>{file_, edit_, file_, help_}));
  EXPECT_EQ(popup.right, At(wnd_, Button(kFile).right, 0).x);
  // The drop-down's items mirror the left-to-right layout: the checked "Wrap lines" has
  // its mark in the column at the right end and its caption right-aligned before it.
  ASSERT_GT(dropDown.width, 0) << "no drop-down seen";
  const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
  const uint32_t mark = Rgb(GetRValue(ink), GetGValue(ink), GetBValue(ink));
  const uint32_t text = Rgb(20, 20, 120);
  const int third = (wrap.right - wrap.left) / 3;
  EXPECT_GT(dropDown.Count(mark, wrap.right - 24, wrap.top, wrap.right, wrap.bottom), 5);
  EXPECT_GT(dropDown.Count(text, wrap.right - 2 * third, wrap.top, wrap.right - 20, wrap.bottom),
            5);
  EXPECT_EQ(dropDown.Count(mark, wrap.left, wrap.top, wrap.left + third, wrap.bottom) +
                dropDown.Count(text, wrap.left, wrap.top, wrap.left + third, wrap.bottom),
            0);
}
