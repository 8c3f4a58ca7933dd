// Skinned menus with the small test skin: the open popup window and its items are read
// back from the screen while the menu's own loop runs (a timer of this thread looks at
// the menu, moves the selection with the arrow key as a user would, and closes it).
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "app/Unit_FrmMain.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/SkinMenus.h"
#include "tests/unit/skin/frame_test_support.h"

using namespace frametest;

namespace {

// The test skin's menu pictures (testskin/make_testskin.py).
constexpr uint32_t kMenuBorder = Rgb(90, 40, 120), kMenuBody = Rgb(240, 230, 200);
constexpr uint32_t kItem = Rgb(250, 250, 250), kItemSelected = Rgb(255, 140, 20);
constexpr uint32_t kSeparator = Rgb(0, 160, 0), kSeparatorEnd = Rgb(0, 90, 0);
constexpr uint32_t kMenuText = Rgb(20, 20, 120), kSelectedText = Rgb(255, 255, 255);

// What the timer saw of the open menu.
struct OpenMenu {
  int step = 0;
  bool closed = false;
  HWND window = nullptr;
  LRESULT skinned = 0;
  bool framed = false;
  Shot shot;
  std::vector<RECT> items;  // window coordinates
  // The menu printed into a memory surface (as the system does for menu animations).
  std::vector<COLORREF> printed;
  int printedWidth = 0;
  COLORREF PrintedAt(int x, int y) const { return printed[size_t(y) * printedWidth + x]; }
};
OpenMenu gMenu;
const char* gShotName = "skinned-popup-menu.bmp";

void CALLBACK WatchMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND w = FindWindowW(L"#32768", nullptr);
  if (!w || !IsWindowVisible(w)) return;
  switch (gMenu.step++) {
    case 0:
      // The first item is selected as with the arrow key of the keyboard.
      PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);
      return;
    case 1:
      return;  // the selection is painted
    default: {
      KillTimer(nullptr, id);
      gMenu.window = w;
      gMenu.skinned = SendMessageW(w, SM_QUERYSKINNED, 0, 0);
      gMenu.framed = SkinManager && SkinManager->IsPopupFramed(w);
      gMenu.shot = Capture(w);
      SaveShot(w, gShotName);
      HDC screen = GetDC(nullptr);
      HDC mem = CreateCompatibleDC(screen);
      HBITMAP bmp = CreateCompatibleBitmap(screen, gMenu.shot.width, gMenu.shot.height);
      HGDIOBJ old = SelectObject(mem, bmp);
      SendMessageW(w, WM_PRINT, reinterpret_cast<WPARAM>(mem),
                   PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
      gMenu.printedWidth = gMenu.shot.width;
      for (int y = 0; y < gMenu.shot.height; ++y)
        for (int x = 0; x < gMenu.shot.width; ++x) gMenu.printed.push_back(GetPixel(mem, x, y));
      SelectObject(mem, old);
      DeleteObject(bmp);
      DeleteDC(mem);
      ReleaseDC(nullptr, screen);
      RECT wr{};
      GetWindowRect(w, &wr);
      HMENU m = reinterpret_cast<HMENU>(SendMessageW(w, 0x01E1, 0, 0));  // MN_GETHMENU
      for (int i = 0; i < GetMenuItemCount(m); ++i) {
        RECT r{};
        GetMenuItemRect(nullptr, m, static_cast<UINT>(i), &r);
        OffsetRect(&r, -wr.left, -wr.top);
        gMenu.items.push_back(r);
      }
      EndMenu();
    }
  }
}

// Opens the menu through Show and returns once it has been looked at and closed.
template <typename F>
void LookAtMenu(const char* ShotName, const F& Show) {
  gMenu = OpenMenu{};
  gShotName = ShotName;
  SetTimer(nullptr, 0, 60, WatchMenu);
  Show();
  gMenu.closed = true;
}

int CountIn(const Shot& s, uint32_t colour, const RECT& r) {
  return s.Count(colour, r.left, r.top, r.right, r.bottom);
}

class SkinMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.reset(LoadTestSkin("testskin-a.skin"));
    ASSERT_TRUE(data_);
    ASSERT_TRUE(SkinManager && SkinManager->Enabled());
  }
  void TearDown() override {
    for (HWND w : windows_)
      if (IsWindow(w)) DestroyWindow(w);
    DropSkin(data_);
  }
  TMenuItem* Add(TPopupMenu* m, const char* caption) {
    auto* item = new TMenuItem(m);
    item->SetCaption(caption);
    m->Items()->Add(item);
    return item;
  }
  std::unique_ptr<TSkinData> data_;
  std::vector<HWND> windows_;
};

}  // namespace

TEST_F(SkinMenu, PopupMenuIsFramedFromTheBackgroundAndItsItemsFromTheItemPicture) {
  HWND owner = MakeWindow(WS_OVERLAPPEDWINDOW, 200, 100);
  windows_.push_back(owner);
  TPopupMenu menu(nullptr);
  TMenuItem* open = Add(&menu, "&Open");
  open->SetDefault(true);
  Add(&menu, "Check")->SetChecked(true);
  Add(&menu, "-");
  TMenuItem* off = Add(&menu, "Disabled");
  off->SetEnabled(false);
  off->SetShortCutText("Ctrl+D");
  SkinPopupMenu(&menu, data_.get());

  LookAtMenu("skinned-popup-menu.bmp", [&] { menu.Popup(300, 200); });
  ASSERT_TRUE(gMenu.window) << "the menu never showed";
  EXPECT_EQ(gMenu.skinned, 1);
  EXPECT_TRUE(gMenu.framed);
  const Shot& s = gMenu.shot;
  ASSERT_EQ(gMenu.items.size(), 4u);

  // Border band from MenuBackground on all four sides.
  EXPECT_EQ(s.At(1, 1), kMenuBorder);
  EXPECT_EQ(s.At(s.width - 2, s.height / 2), kMenuBorder);
  EXPECT_EQ(s.At(s.width / 2, s.height - 2), kMenuBorder);
  EXPECT_EQ(s.At(1, s.height / 2), kMenuBorder);

  // The selected first item: MenuItem frame 4, text in the highlight-text colour; the
  // others: frame 1 and the menu-text colour. The pictures' transparent corners show
  // the menu's own background.
  const RECT sel = gMenu.items[0], normal = gMenu.items[1];
  EXPECT_EQ(s.At(sel.right - 4, (sel.top + sel.bottom) / 2), kItemSelected);
  EXPECT_EQ(s.At(sel.left, sel.top), kMenuBody) << "transparent corner";
  EXPECT_GT(CountIn(s, kSelectedText, sel), 5);
  EXPECT_EQ(CountIn(s, kItem, sel), 0);
  EXPECT_EQ(s.At(normal.right - 4, (normal.top + normal.bottom) / 2), kItem);
  EXPECT_GT(CountIn(s, kMenuText, normal), 5);
  EXPECT_EQ(CountIn(s, kItemSelected, normal), 0);

  // The check mark of the checked item sits in its icon column, in the button text
  // colour (dark), not in the text colour.
  const RECT column{normal.left + 3, normal.top + 1, normal.left + 3 + 16, normal.bottom - 1};
  const uint32_t ink = GetSysColor(COLOR_BTNTEXT);
  const uint32_t inkRgb = Rgb(GetRValue(ink), GetGValue(ink), GetBValue(ink));
  EXPECT_GT(CountIn(s, inkRgb, column), 4);

  // The separator: the bottom rows of frame 2, its ends kept, its middle stretched.
  const RECT line = gMenu.items[2];
  EXPECT_GT(CountIn(s, kSeparator, line), (line.right - line.left) - 10);
  EXPECT_EQ(CountIn(s, kSeparatorEnd, line) % 2, 0);
  EXPECT_GT(CountIn(s, kSeparatorEnd, line), 0);
  EXPECT_EQ(CountIn(s, kItem, line), 0) << "no item picture behind a separator";

  // The disabled item: shadow-coloured text, no menu-text colour.
  const RECT dis = gMenu.items[3];
  EXPECT_EQ(CountIn(s, kMenuText, dis), 0);
  EXPECT_GT(CountIn(s, kItem, dis), 20);

  // Printed, the menu shows the same border and items.
  EXPECT_EQ(gMenu.PrintedAt(1, 1), RGB(90, 40, 120));
  EXPECT_EQ(gMenu.PrintedAt(s.width / 2, s.height - 2), RGB(90, 40, 120));
  EXPECT_EQ(gMenu.PrintedAt(normal.right - 4, (normal.top + normal.bottom) / 2),
            RGB(250, 250, 250));

  // The frame object went with the window.
  EXPECT_TRUE(SkinManager->PopupFrames().empty());
  EXPECT_FALSE(IsWindow(gMenu.window));
}

TEST_F(SkinMenu, DefaultItemIsBoldAndTheShortcutIsDrawnAtTheRight) {
  TPopupMenu menu(nullptr);
  TMenuItem* plain = Add(&menu, "Connect");
  TMenuItem* bold = Add(&menu, "Connect");
  bold->SetDefault(true);
  TMenuItem* keys = Add(&menu, "Connect");
  keys->SetShortCutText("Shift+F4");
  HDC screen = GetDC(nullptr);
  const int w = 160, h = 20;
  auto paint = [&](TMenuItem* item, int& textPixels, int& rightPixels) {
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    PaintMenuItem(mem, RECT{0, 0, w, h}, item, nullptr, false, data_.get(), nullptr);
    textPixels = rightPixels = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (GetPixel(mem, x, y) == RGB(20, 20, 120)) (x < w / 2 ? textPixels : rightPixels)++;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
  };
  int plainText, plainRight, boldText, boldRight, keysText, keysRight;
  paint(plain, plainText, plainRight);
  paint(bold, boldText, boldRight);
  paint(keys, keysText, keysRight);
  ReleaseDC(nullptr, screen);
  EXPECT_GT(plainText, 10);
  EXPECT_GT(boldText, plainText + plainText / 5) << "the default item's caption is bold";
  EXPECT_EQ(plainRight, 0);
  EXPECT_GT(keysRight, 10) << "the shortcut at the right";

  // The measure makes room for the shortcut and the bold caption.
  int wPlain = 0, hPlain = 0, wBold = 0, hBold = 0, wKeys = 0, hKeys = 0;
  TWindowDC dc(nullptr);
  TSkinItemMeasure measure{data_.get(), nullptr};
  measure(plain, dc.Get(), wPlain, hPlain);
  measure(bold, dc.Get(), wBold, hBold);
  measure(keys, dc.Get(), wKeys, hKeys);
  EXPECT_GT(wBold, wPlain);
  EXPECT_GT(wKeys, wPlain + 30);
  EXPECT_GE(hPlain, 18);
}

TEST_F(SkinMenu, SkinningEndsWithTheMenusOwnLookAndKeepsAProgramsOwnDrawing) {
  TComponent owner(nullptr);
  auto* menu = new TPopupMenu(&owner);
  auto* kept = new TPopupMenu(&owner);
  kept->SetTag(data_->DisableTag());
  TMenuItem* parent = Add(menu, "More");
  auto* child = new TMenuItem(menu);
  child->SetCaption("Child");
  parent->Add(child);
  TMenuItem* own = Add(menu, "Own");
  int ownPaints = 0;
  own->OnAdvancedDrawItem = [&](TObject*, HDC, const RECT&, UINT) { ++ownPaints; };
  Add(kept, "Kept");

  auto ownerDrawn = [](HMENU m, int i) {
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(m, static_cast<UINT>(i), TRUE, &mi);
    return (mi.fType & MFT_OWNERDRAW) != 0;
  };
  SkinFormPopupMenus(&owner, data_.get(), true);
  EXPECT_TRUE(menu->OwnerDraw());
  EXPECT_FALSE(kept->OwnerDraw()) << "the disable tag keeps the system's look";
  EXPECT_TRUE(ownerDrawn(menu->Handle(), 0));
  EXPECT_TRUE(ownerDrawn(parent->Handle(), 0)) << "sub-menus too";
  ASSERT_TRUE(child->OnAdvancedDrawItem);
  EXPECT_TRUE(child->OnAdvancedDrawItem.target<TSkinItemPainter>());
  ASSERT_TRUE(own->OnAdvancedDrawItem);
  own->OnAdvancedDrawItem(own, nullptr, RECT{}, 0);
  EXPECT_EQ(ownPaints, 1) << "a program's own drawing stays";

  SkinFormPopupMenus(&owner, nullptr, false);
  EXPECT_FALSE(menu->OwnerDraw());
  EXPECT_FALSE(ownerDrawn(menu->Handle(), 0));
  EXPECT_FALSE(ownerDrawn(parent->Handle(), 0));
  EXPECT_FALSE(child->OnAdvancedDrawItem);
  EXPECT_FALSE(child->OnMeasureItem);
  ASSERT_TRUE(own->OnAdvancedDrawItem);
  own->OnAdvancedDrawItem(own, nullptr, RECT{}, 0);
  EXPECT_EQ(ownPaints, 2);
}

TEST_F(SkinMenu, SystemMenuOfASkinnedWindowIsDrawnFromTheSkinWithItsGlyphs) {
  HWND w = MakeWindow(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 200, 100);
  windows_.push_back(w);
  ASSERT_TRUE(PumpUntil([&] {
    TSkinForm* f = SkinManager->FindSkinForm(w);
    return f && f->State() == sfsSkinned;
  }));
  LookAtMenu("skinned-system-menu.bmp", [&] {
    PostMessageW(w, WM_NCRBUTTONDOWN, HTCAPTION, ScreenParam(w, 60, 12));
    PumpUntil([] { return gMenu.window != nullptr && !IsWindow(gMenu.window); }, 4000);
  });
  ASSERT_TRUE(gMenu.window) << "the system menu never showed";
  EXPECT_TRUE(gMenu.framed);
  const Shot& s = gMenu.shot;
  // Restore, Minimize, separator, Close.
  ASSERT_EQ(gMenu.items.size(), 4u);
  EXPECT_EQ(s.At(1, 1), kMenuBorder);
  // The arrow key selects the first entry (Restore, disabled: the window is restored).
  const RECT restore = gMenu.items[0], minimise = gMenu.items[1], close = gMenu.items[3];
  EXPECT_EQ(s.At(restore.right - 4, (restore.top + restore.bottom) / 2), kItemSelected);
  const RECT restoreText{restore.left + 24, restore.top, restore.right, restore.bottom};
  EXPECT_EQ(CountIn(s, kSelectedText, restoreText), 0) << "a disabled entry keeps its grey text";
  EXPECT_EQ(s.At(minimise.right - 4, (minimise.top + minimise.bottom) / 2), kItem);
  EXPECT_GT(CountIn(s, kMenuText, minimise), 5);
  EXPECT_GT(CountIn(s, kSeparator, gMenu.items[2]), 10);
  // The close glyph (black on the transparent white of the glyph strip) in its column.
  const RECT glyph{close.left + 3, close.top, close.left + 3 + 16, close.bottom};
  EXPECT_GT(CountIn(s, Rgb(0, 0, 0), glyph), 8);
  EXPECT_EQ(CountIn(s, Rgb(255, 255, 255), glyph), 0) << "the glyph's white is transparent";
}

// The program's main window with its own skin: the tray menu and the system menu are
// drawn from the default skin's menu pictures, and switching the skin off gives the
// menus their system look back.
class MainWindowMenus : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TFrmMain>(Application);
    form_->AfterConstruction();
    form_->Show();
    wnd_ = form_->Handle();
    ASSERT_TRUE(PumpUntil([&] {
      TSkinForm* f = SkinManager ? SkinManager->FindSkinForm(wnd_) : nullptr;
      return f && f->State() == sfsSkinned;
    }));
    TSkinData* d = form_->SkinData1;
    ASSERT_TRUE(d->MenuBackground && d->MenuItem);
    const TSkinPicture& bg = d->MenuBackground->Bitmap;
    border_ = bg.At(0, bg.Height / 2);
    body_ = bg.At(bg.Width / 2, bg.Height / 2);
    const TSkinPicture& item = d->MenuItem->Bitmap;
    selected_ = item.At(item.Width / 5 * 3 + item.Width / 10, item.Height / 2);
    ASSERT_NE(border_, body_);
    ASSERT_NE(selected_, body_);
  }
  void TearDown() override {
    form_.reset();
    delete SkinManager;
    SkinManager = nullptr;
  }
  std::unique_ptr<TFrmMain> form_;
  HWND wnd_ = nullptr;
  uint32_t border_ = 0, body_ = 0, selected_ = 0;
};

TEST_F(MainWindowMenus, TrayMenuAndSystemMenuAreDrawnFromTheSkin) {
  LookAtMenu("main-tray-menu.bmp", [&] { form_->PopupMenu1->Popup(500, 300); });
  ASSERT_TRUE(gMenu.window) << "the tray menu never showed";
  // Connect, disconnect, reconnect after a drop, the settings sub-menu, a separator, exit.
  ASSERT_EQ(gMenu.items.size(), 6u);
  const Shot tray = gMenu.shot;
  const std::vector<RECT> trayItems = gMenu.items;
  EXPECT_EQ(tray.At(0, tray.height / 2), border_);
  EXPECT_EQ(tray.At(tray.width - 1, tray.height / 2), border_);
  const RECT connect = trayItems[0], disconnect = trayItems[1];
  EXPECT_GT(CountIn(tray, selected_, connect), (connect.right - connect.left) * 4)
      << "the selected item from the item picture's fourth frame";
  EXPECT_EQ(CountIn(tray, selected_, disconnect), 0);
  EXPECT_GT(CountIn(tray, body_, disconnect), (disconnect.right - disconnect.left) * 4)
      << "a normal item shows the menu's background through its transparent frame";

  LookAtMenu("main-system-menu.bmp", [&] {
    PostMessageW(wnd_, WM_NCRBUTTONDOWN, HTCAPTION, ScreenParam(wnd_, 200, 15));
    PumpUntil([] { return gMenu.window != nullptr && !IsWindow(gMenu.window); }, 4000);
  });
  ASSERT_TRUE(gMenu.window) << "the system menu never showed";
  ASSERT_EQ(gMenu.items.size(), 4u);
  const Shot& sys = gMenu.shot;
  EXPECT_EQ(sys.At(0, sys.height / 2), border_);
  EXPECT_GT(CountIn(sys, selected_, gMenu.items[0]), 20);
  EXPECT_EQ(CountIn(sys, selected_, gMenu.items[3]), 0);

  // The skin switched off: the tray menu is the system's again, and on again, the
  // skin's.
  form_->SkinData1->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageW(wnd_, SM_QUERYSKINNED, 0, 0) == 0; }));
  EXPECT_FALSE(form_->PopupMenu1->OwnerDraw());
  EXPECT_FALSE(form_->PopupMenu2->OwnerDraw());
  LookAtMenu("main-tray-menu-unskinned.bmp", [&] { form_->PopupMenu1->Popup(500, 300); });
  ASSERT_TRUE(gMenu.window);
  EXPECT_FALSE(gMenu.framed);
  EXPECT_EQ(CountIn(gMenu.shot, selected_, gMenu.items[0]), 0);
  EXPECT_NE(gMenu.shot.At(0, gMenu.shot.height / 2), border_);
  form_->SkinData1->SetActive(true);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageW(wnd_, SM_QUERYSKINNED, 0, 0) == 1; }));
  EXPECT_TRUE(form_->PopupMenu1->OwnerDraw());
  EXPECT_TRUE(form_->PopupMenu2->OwnerDraw());
}

namespace {
WNDPROC gUnder = nullptr, gBase = nullptr;
int gOnTop = 0;
// The menu window's own procedure stands in: it answers one message of its own.
LRESULT CALLBACK Base(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_USER + 8) return 42;
  return CallWindowProcW(gBase, w, m, wp, lp);
}
LRESULT CALLBACK OnTop(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_USER + 7) ++gOnTop;
  return CallWindowProcW(gUnder, w, m, wp, lp);
}
}  // namespace

TEST_F(SkinMenu, FrameLetGoUnderAnotherSubclassKeepsTheWindowsOwnProcedure) {
  SkinManager->SetEnabled(false);  // the stand-in window gets no skinned frame of its own
  HWND w = MakeWindow(WS_POPUP, 50, 50);
  windows_.push_back(w);
  gBase = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Base)));
  const LONG_PTR own = GetWindowLongPtrW(w, GWLP_WNDPROC);
  auto* frame = new TSkinPopupFrame();
  frame->Attach(w, data_.get());
  EXPECT_EQ(SendMessageW(w, SM_QUERYSKINNED, 0, 0), 1);
  gUnder = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OnTop)));
  frame->Release();
  // The frame no longer answers; the window's own procedure still does.
  EXPECT_EQ(SendMessageW(w, SM_QUERYSKINNED, 0, 0), 0);
  EXPECT_EQ(SendMessageW(w, WM_USER + 8, 0, 0), 42);
  SendMessageW(w, WM_USER + 7, 0, 0);
  EXPECT_EQ(gOnTop, 1);
  // Released on its own, a frame puts the window's procedure back.
  SetWindowLongPtrW(w, GWLP_WNDPROC, own);
  frame = new TSkinPopupFrame();
  frame->Attach(w, data_.get());
  EXPECT_NE(GetWindowLongPtrW(w, GWLP_WNDPROC), own);
  frame->Release();
  EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), own);
}
