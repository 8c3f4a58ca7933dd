// The skinned value controls on real windows under Wine: combo boxes, up-downs,
// progress and track bars drawn from the value test skin (one flat colour per frame),
// driven by real mouse input; and with the control test skin, which has none of their
// pictures, left to the controls' own or plain look.
#include <gtest/gtest.h>
#include <windows.h>
// (after the base declarations)
#include <commctrl.h>

#include <memory>

#include "framework/Framework.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/widgets/SkinComBox.h"
#include "skin/widgets/SkinUpDown.h"
#include "tests/unit/framework/place_control.h"
#include "tests/unit/skin/frame_test_support.h"

using formtest::Place;
using namespace frametest;

namespace {

// The value test skin's colours (make_valueskin.py), index = frame - 1.
constexpr uint32_t kFace = Rgb(200, 220, 180), kShadow = Rgb(70, 90, 110),
                   kDkShadow = Rgb(30, 30, 60);
constexpr uint32_t kCombo[] = {Rgb(230, 120, 20), Rgb(20, 120, 230), Rgb(140, 140, 100),
                               Rgb(230, 20, 120)};
constexpr uint32_t kComboBand = Rgb(40, 20, 0);
constexpr uint32_t kSunk[] = {Rgb(0, 60, 120), Rgb(120, 0, 60), Rgb(60, 60, 60), Rgb(0, 120, 60)};
constexpr uint32_t kArrow[] = {Rgb(255, 255, 255), Rgb(255, 255, 0), Rgb(0, 0, 0),
                               Rgb(0, 255, 255)};
constexpr uint32_t kUpDown[] = {Rgb(200, 0, 0),   Rgb(0, 200, 0),   Rgb(0, 0, 200),
                                Rgb(200, 200, 0), Rgb(200, 0, 200), Rgb(0, 200, 200),
                                Rgb(100, 50, 0),  Rgb(0, 50, 100)};
constexpr uint32_t kBarEmpty = Rgb(220, 230, 240), kBarEmptyEnd = Rgb(20, 30, 40);
constexpr uint32_t kBarFill = Rgb(40, 180, 90), kBarFillEnd = Rgb(10, 60, 30);
constexpr uint32_t kThumbH = Rgb(250, 100, 0), kThumbV = Rgb(0, 100, 250);
// The control test skin's block-look progress bar.
constexpr uint32_t kBlockBar = Rgb(235, 225, 200), kBlockEnd = Rgb(90, 60, 30),
                   kChunk = Rgb(160, 40, 200);

// A screen point of a window's client area.
POINT ScreenOf(HWND w, int x, int y) {
  POINT p{x, y};
  ClientToScreen(w, &p);
  return p;
}
SIZE Client(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return {r.right, r.bottom};
}
// Waits until the control's client point shows the colour (controls without a border:
// the window and the client area are the same).
bool Shows(HWND w, int x, int y, uint32_t colour) {
  return WaitForPixel(w, x, y, colour, 2000);
}
RECT ThumbOf(HWND track) {
  RECT r{};
  SendMessageW(track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
  return r;
}

class SkinValueControls : public ::testing::Test {
 protected:
  void Load(const char* skin) {
    data_.reset(LoadTestSkin(skin));
    ASSERT_TRUE(data_) << "test skin " << skin << " missing";
    Mouse({2, 2});
  }
  void TearDown() override {
    if (parent_ && IsWindow(parent_)) DestroyWindow(parent_);
    form_.reset();
    DropSkin(data_);
  }
  void MakeParent(int w, int h) {
    parent_ = CreateWindowExW(0, TestWindowClass(L"ValueTestWindow"), L"Value controls",
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 60, 60, w,
                              h, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  HWND Child(const wchar_t* cls, DWORD style, int x, int y, int w, int h, DWORD exStyle = 0,
             HWND parent = nullptr) {
    return CreateWindowExW(exStyle, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                           parent ? parent : parent_, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  HWND Combo(int x, int y, DWORD exStyle = 0) {
    HWND c = Child(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, x, y, 140, 120, exStyle);
    SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Server one"));
    SendMessageW(c, CB_SETCURSEL, 0, 0);
    return c;
  }
  void ShowSkinned(HWND w) {
    ASSERT_TRUE(ShowUntilSkinned(w));
    SetFocus(w);
    Pump(150);
  }
  std::unique_ptr<TSkinData> data_;
  HWND parent_ = nullptr;
  std::unique_ptr<TForm> form_;
};

// Where a combo box's parts are, as the skin lays them out.
struct ComboSpots {
  int w, h, s;
  explicit ComboSpots(HWND c)
      : w(Client(c).cx), h(Client(c).cy), s(GetSystemMetrics(SM_CXHSCROLL)) {}
  POINT Ring() const { return {1, h / 2}; }
  POINT ButtonBody() const { return {w - 3, 2}; }
  POINT ButtonBand() const { return {w - s - 2, 2}; }
  POINT Arrow() const { return {w - s - 2 + (s - 7) / 2 + 3, (h - 4) / 2 + 1}; }
};

}  // namespace

TEST_F(SkinValueControls, EachControlIsDrawnFromItsPicturesInTheRightFrame) {
  Load("testskin-v.skin");
  MakeParent(420, 330);
  HWND combo = Combo(10, 10);
  HWND rtl = Combo(10, 50, WS_EX_LEFTSCROLLBAR);
  HWND off = Combo(10, 90);
  EnableWindow(off, FALSE);
  HWND bar = Child(PROGRESS_CLASSW, 0, 170, 10, 200, 16);
  HWND upright = Child(PROGRESS_CLASSW, PBS_VERTICAL, 170, 40, 16, 25);
  HWND track = Child(TRACKBAR_CLASSW, TBS_HORZ, 170, 70, 200, 30);
  HWND vtrack = Child(TRACKBAR_CLASSW, TBS_VERT, 380, 10, 30, 150);
  HWND spin = Child(UPDOWN_CLASSW, 0, 10, 140, 20, 30);
  HWND hspin = Child(UPDOWN_CLASSW, UDS_HORZ, 40, 140, 30, 20);
  HWND edit = Child(L"EDIT", WS_CLIPCHILDREN, 90, 140, 80, 24, WS_EX_CLIENTEDGE);
  const SIZE ec = Client(edit);
  HWND buddy = Child(UPDOWN_CLASSW, 0, ec.cx - 16, 0, 16, ec.cy, 0, edit);
  SendMessageW(bar, PBM_SETPOS, 50, 0);
  SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SendMessageW(track, TBM_SETPOS, TRUE, 5);
  ShowSkinned(parent_);

  // A combo box at rest: the frame ring, the button with its band on the left and the
  // arrow glyph, each in frame 1.
  const ComboSpots c(combo);
  EXPECT_TRUE(Shows(combo, c.Ring().x, c.Ring().y, kSunk[0]));
  Shot s = Capture(combo);
  EXPECT_EQ(s.At(c.ButtonBody().x, c.ButtonBody().y), kCombo[0]);
  EXPECT_EQ(s.At(c.ButtonBand().x, c.ButtonBand().y), kComboBand);
  EXPECT_EQ(s.At(c.Arrow().x, c.Arrow().y), kArrow[0]);
  // Focused: frame 4. Disabled: frame 3.
  SetFocus(combo);
  EXPECT_TRUE(Shows(combo, c.ButtonBody().x, c.ButtonBody().y, kCombo[3]));
  EXPECT_EQ(Capture(combo).At(c.Ring().x, c.Ring().y), kSunk[3]);
  EXPECT_TRUE(Shows(off, c.ButtonBody().x, c.ButtonBody().y, kCombo[2]));
  EXPECT_EQ(Capture(off).At(c.Arrow().x, c.Arrow().y), kArrow[2]);

  // A button picture of the simple look: the box framed in the shadow colour and the
  // button picture in the last thumb's width, no frame picture.
  data_->ComboButton->Style = 1;
  RedrawWindow(combo, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_TRUE(Shows(combo, 0, c.h / 2, kShadow));
  EXPECT_EQ(Capture(combo).At(c.w - 3, c.h / 2), kCombo[3]);
  EXPECT_NE(Capture(combo).At(1, c.h / 2), kSunk[3]);
  data_->ComboButton->Style = 0;

  // Right to left: the button on the left, from the mirrored picture (band on its
  // right side), still in frame 1; the right side is only the frame ring.
  EXPECT_TRUE(Shows(rtl, 2, 2, kCombo[0]));
  s = Capture(rtl);
  EXPECT_EQ(s.At(c.s + 1, 2), kComboBand);
  EXPECT_EQ(s.At(c.w - 1, c.h / 2), kSunk[0]);
  EXPECT_NE(s.At(c.ButtonBody().x, c.ButtonBody().y), kCombo[0]);

  // The progress bar: filled to the position, each part with its own ends.
  EXPECT_TRUE(Shows(bar, 50, 8, kBarFill));
  s = Capture(bar);
  EXPECT_EQ(s.At(1, 8), kBarFillEnd);
  EXPECT_EQ(s.At(150, 8), kBarEmpty);
  EXPECT_EQ(s.At(198, 8), kBarEmptyEnd);
  // At 0, and with an upper limit of 0, only the empty bar.
  SendMessageW(bar, PBM_SETPOS, 0, 0);
  EXPECT_TRUE(Shows(bar, 50, 8, kBarEmpty));
  EXPECT_EQ(Capture(bar).At(1, 8), kBarEmptyEnd);
  SendMessageW(bar, PBM_SETPOS, 50, 0);
  EXPECT_TRUE(Shows(bar, 50, 8, kBarFill));
  SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(-100), 0);
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(-50), 0);
  EXPECT_TRUE(Shows(bar, 50, 8, kBarEmpty));
  // A bar that fills upwards keeps its own look (the skin's pictures fill sideways).
  Pump(50);
  s = Capture(upright);
  EXPECT_EQ(s.Count(kBarEmpty, 0, 0, s.width, s.height), 0);
  // A range that does not start at 0 fills from its lower limit.
  SendMessageW(bar, PBM_SETRANGE32, 100, 200);
  SendMessageW(bar, PBM_SETPOS, 150, 0);
  EXPECT_TRUE(Shows(bar, 90, 8, kBarFill));
  EXPECT_EQ(Capture(bar).At(110, 8), kBarEmpty);

  // Track bars: frame 2 of the thumb picture of their orientation, in the thumb's place.
  RECT t = ThumbOf(track);
  EXPECT_TRUE(Shows(track, (t.left + t.right) / 2, (t.top + t.bottom) / 2, kThumbH));
  t = ThumbOf(vtrack);
  EXPECT_TRUE(Shows(vtrack, (t.left + t.right) / 2, (t.top + t.bottom) / 2, kThumbV));

  // Up-downs: the first half from frames 1-4, the second from 5-8, in both orientations;
  // inside an edit the face stands a pixel in.
  EXPECT_TRUE(Shows(spin, 2, 2, kUpDown[0]));
  EXPECT_EQ(Capture(spin).At(2, 17), kUpDown[4]);
  EXPECT_TRUE(Shows(hspin, 2, 2, kUpDown[0]));
  EXPECT_EQ(Capture(hspin).At(17, 2), kUpDown[4]);
  auto* inner = dynamic_cast<TSkinUpDown*>(TSkinControl::FromWindow(buddy));
  ASSERT_NE(inner, nullptr) << "the edit skins the up-down inside it";
  EXPECT_TRUE(inner->Buddy());
  EXPECT_TRUE(Shows(buddy, 2, 2, kUpDown[0]));
  EXPECT_EQ(Capture(buddy).At(0, 0), kFace);
  SaveShot(parent_, "value-controls-skinned.bmp");
}

// Boxes laid out with the button on the left, a drop-down list and one with an edit field:
// whatever side the system keeps its own button on, the box shows the skin's button on
// the left, the whole item right of it, nothing of a system button on the right, and a
// click on the left button opens the list.
TEST_F(SkinValueControls, ALeftButtonBoxShowsItsItemRightOfTheButtonWhichOpensTheList) {
  Load("testskin-v.skin");
  MakeParent(330, 240);
  HWND list = Combo(10, 10, WS_EX_LEFTSCROLLBAR);
  HWND edit = Child(L"COMBOBOX", CBS_DROPDOWN | WS_VSCROLL, 170, 10, 140, 120, WS_EX_LEFTSCROLLBAR);
  SendMessageW(edit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Server one"));
  SendMessageW(edit, CB_SETCURSEL, 0, 0);
  const auto editField = [&] {
    RECT r{};
    GetWindowRect(FindWindowExW(edit, nullptr, L"Edit", nullptr), &r);
    MapWindowPoints(nullptr, edit, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT home = editField();
  ShowSkinned(parent_);
  const COLORREF sys = GetSysColor(COLOR_WINDOW);
  const uint32_t window = Rgb(GetRValue(sys), GetGValue(sys), GetBValue(sys));

  for (HWND box : {list, edit}) {
    SCOPED_TRACE(box == list ? "drop-down list" : "edit field");
    const ComboSpots c(box);
    EXPECT_TRUE(Shows(box, 2, 2, kCombo[0]));
    Pump(100);
    Shot s = Capture(box);
    EXPECT_EQ(s.At(c.s + 1, 2), kComboBand);
    // Where the system would put its button there is only the face's background.
    const int top = 3, bottom = c.h - 3;
    EXPECT_EQ(s.Count(window, c.w - c.s - 4, top, c.w - 3, bottom), (c.s + 1) * (bottom - top));
    // The item's text lies right of the button, whole.
    int first = -1, last = -1;
    for (int x = c.s + 4; x < c.w - 3; ++x) {
      if (s.Count(window, x, top, x + 1, bottom) == bottom - top) continue;
      if (first < 0) first = x;
      last = x;
    }
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, L"Server one", 10, &extent);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    EXPECT_GT(first, c.s + 4);
    EXPECT_GE(last - first + 1, extent.cx - 4);
    EXPECT_LE(last - first + 1, extent.cx);

    // A click on the left button opens the list.
    const POINT button = ScreenOf(box, c.s / 2, c.h / 2);
    Mouse(button, MOUSEEVENTF_LEFTDOWN);
    Mouse(button, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0) != 0; }));
    SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    Pump(50);
  }
  // A drop-down list also opens from a click on its text.
  const POINT text = ScreenOf(list, ComboSpots(list).w / 2, ComboSpots(list).h / 2);
  Mouse(text, MOUSEEVENTF_LEFTDOWN);
  Mouse(text, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(PumpUntil([&] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0; }));
  SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
  SaveShot(parent_, "value-combo-left.bmp");

  // Skin off: the edit field goes back where the box had put it.
  data_->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return !SkinManager->FindSkinForm(parent_); }, 3000));
  const RECT back = editField();
  EXPECT_TRUE(EqualRect(&back, &home)) << back.left << "," << back.right;
}

TEST_F(SkinValueControls, HotAndPressedFramesFollowTheMouseButADisabledUpDownShowsFrameThree) {
  Load("testskin-v.skin");
  MakeParent(260, 140);
  HWND spin = Child(UPDOWN_CLASSW, 0, 20, 20, 20, 40);
  HWND combo = Combo(70, 20);
  SendMessageW(spin, UDM_SETRANGE32, 0, 100);
  SendMessageW(spin, UDM_SETPOS32, 0, 50);
  ShowSkinned(parent_);
  const POINT upper = ScreenOf(spin, 10, 8), lower = ScreenOf(spin, 10, 32);

  // Hot over the upper half: frame 4 there, the lower half at rest (its frame 1 = 5).
  Mouse(upper);
  EXPECT_TRUE(Shows(spin, 2, 2, kUpDown[3]));
  EXPECT_EQ(Capture(spin).At(2, 22), kUpDown[4]);
  // Over the lower half: the hot frame moves with the mouse.
  Mouse(lower);
  EXPECT_TRUE(Shows(spin, 2, 22, kUpDown[7]));
  EXPECT_EQ(Capture(spin).At(2, 2), kUpDown[0]);
  // Pressed on the lower half: frame 2 of the lower half (6), and the value steps down.
  Mouse(lower, MOUSEEVENTF_LEFTDOWN);
  EXPECT_TRUE(Shows(spin, 2, 22, kUpDown[5]));
  Mouse(lower, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(Shows(spin, 2, 22, kUpDown[7]));
  EXPECT_LT(SendMessageW(spin, UDM_GETPOS32, 0, 0), 50);

  // A combo box under the mouse shows its hot frame until the mouse leaves it.
  const POINT inCombo = ScreenOf(combo, 20, 8);
  Mouse(inCombo);
  const ComboSpots c(combo);
  EXPECT_TRUE(Shows(combo, c.ButtonBody().x, c.ButtonBody().y, kCombo[3]));
  Mouse({upper.x, upper.y + 60});
  EXPECT_TRUE(Shows(combo, c.ButtonBody().x, c.ButtonBody().y, kCombo[0]));

  // Disabled: frame 3 in both halves wherever the mouse is.
  EnableWindow(spin, FALSE);
  for (POINT p : {lower, upper, POINT{upper.x + 100, upper.y}, lower}) {
    Mouse(p);
    EXPECT_TRUE(Shows(spin, 2, 2, kUpDown[2]));
    EXPECT_EQ(Capture(spin).At(2, 22), kUpDown[6]);
  }
}

TEST_F(SkinValueControls, ASkinWithoutTheirPicturesLeavesPartsToTheControls) {
  Load("testskin-c.skin");
  MakeParent(420, 200);
  HWND combo = Combo(10, 10);
  HWND spin = Child(UPDOWN_CLASSW, 0, 10, 50, 20, 30);
  HWND blocks = Child(PROGRESS_CLASSW, 0, 170, 10, 200, 16);
  HWND full = Child(PROGRESS_CLASSW, 0, 170, 40, 200, 16);
  HWND track = Child(TRACKBAR_CLASSW, TBS_HORZ, 170, 70, 200, 30);
  SendMessageW(blocks, PBM_SETPOS, 50, 0);
  SendMessageW(full, PBM_SETPOS, 100, 0);
  ShowSkinned(parent_);

  // The combo box has its skin control, but without button and frame pictures it keeps
  // the look the system gives it: no face colour of the skin anywhere on it.
  EXPECT_NE(dynamic_cast<TSkinComBox*>(TSkinControl::FromWindow(combo)), nullptr);
  Pump(100);
  const ComboSpots c(combo);
  Shot s = Capture(combo);
  EXPECT_EQ(s.Count(kFace, 0, 0, s.width, s.height), 0);
  const COLORREF sys = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(s.At(c.w - 2 - c.s / 2, 5), Rgb(GetRValue(sys), GetGValue(sys), GetBValue(sys)));

  // The up-down's plain look: outlined halves in the face colour; the half under the
  // mouse turns to the shadow colour.
  EXPECT_TRUE(Shows(spin, 0, 0, kDkShadow));
  EXPECT_EQ(Capture(spin).At(3, 3), kFace);
  EXPECT_EQ(Capture(spin).At(3, 18), kFace);
  Mouse(ScreenOf(spin, 10, 24));
  EXPECT_TRUE(Shows(spin, 3, 18, kShadow));
  EXPECT_EQ(Capture(spin).At(3, 3), kFace);
  Mouse({2, 2});
  EXPECT_TRUE(Shows(spin, 3, 18, kFace));

  // The block look: chunks from after the bar's left end over the filled width, the
  // chunks' own gaps showing the bar; a full bar keeps its right end.
  EXPECT_TRUE(Shows(blocks, 10, 8, kChunk));
  s = Capture(blocks);
  EXPECT_EQ(s.At(1, 8), kBlockEnd);
  EXPECT_EQ(s.At(6, 8), kBlockBar);  // the first chunk's gap column
  EXPECT_EQ(s.At(10, 2), kBlockBar);
  EXPECT_EQ(s.At(150, 8), kBlockBar);
  EXPECT_TRUE(Shows(full, 190, 8, kChunk));
  EXPECT_EQ(Capture(full).At(198, 8), kBlockEnd);

  // Without thumb pictures the thumb is a box of the face colour outlined in the shadow.
  const RECT t = ThumbOf(track);
  EXPECT_TRUE(Shows(track, t.left, t.top, kShadow));
  EXPECT_EQ(Capture(track).At((t.left + t.right) / 2, (t.top + t.bottom) / 2), kFace);
  SaveShot(parent_, "value-controls-plain-look.bmp");
}

namespace {

class TValueForm : public TForm {
 public:
  explicit TValueForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetClientSize(360, 170);
  }
};

}  // namespace

TEST_F(SkinValueControls, FrameworkValueControlsTakeTheSkinAndGiveItBack) {
  Load("testskin-v.skin");
  form_ = std::make_unique<TValueForm>(Application);
  form_->AfterConstruction();
  TForm* f = form_.get();
  auto* combo = Place<TComboBox>(f, "Combo1", 10, 10, 150, 21);
  combo->SetStyle(csDropDownList);
  combo->Items()->Add("L2TP");
  combo->SetItemIndex(0);
  auto* bar = Place<TProgressBar>(f, "Progress1", 10, 50, 200, 16);
  bar->SetPosition(25);
  auto* track = Place<TTrackBar>(f, "Track1", 10, 80, 200, 32);
  track->SetPosition(3);
  auto* edit = Place<TEdit>(f, "Edit1", 230, 10, 60, 22);
  auto* updown = Place<TUpDown>(f, "UpDown1", 290, 10, 17, 22);
  updown->SetAssociate(edit);
  auto* memo = Place<TMemo>(f, "Memo1", 230, 50, 120, 60);
  memo->Lines()->Add("memo");
  f->Show();
  ShowSkinned(f->Handle());

  const ComboSpots c(combo->Handle());
  EXPECT_TRUE(Shows(combo->Handle(), c.ButtonBand().x, c.ButtonBand().y, kComboBand));
  EXPECT_TRUE(Shows(bar->Handle(), 20, 8, kBarFill));
  EXPECT_EQ(Capture(bar->Handle()).At(100, 8), kBarEmpty);
  RECT t = ThumbOf(track->Handle());
  EXPECT_TRUE(Shows(track->Handle(), (t.left + t.right) / 2, (t.top + t.bottom) / 2, kThumbH));
  EXPECT_TRUE(Shows(updown->Handle(), 3, 3, kUpDown[0]));
  EXPECT_TRUE(Shows(memo->Handle(), 0, 0, kShadow));  // an edit's flat border
  // The framework's controls keep working under the skin.
  track->SetPosition(8);
  t = ThumbOf(track->Handle());
  EXPECT_TRUE(Shows(track->Handle(), (t.left + t.right) / 2, (t.top + t.bottom) / 2, kThumbH));
  bar->SetPosition(90);
  EXPECT_TRUE(Shows(bar->Handle(), 150, 8, kBarFill));
  SaveShot(f->Handle(), "value-form-skinned.bmp");

  // Skin off: the controls paint themselves again.
  data_->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return !SkinManager->FindSkinForm(f->Handle()); }, 3000));
  Pump(150);
  for (TWinControl* w : std::initializer_list<TWinControl*>{combo, bar, track, updown})
    EXPECT_EQ(SendMessageW(w->Handle(), SM_QUERYSKINNED, 0, 0), 0);
  Shot plain = Capture(bar->Handle());
  EXPECT_EQ(plain.Count(kBarFill, 0, 0, plain.width, plain.height), 0);
  EXPECT_NE(Capture(combo->Handle()).At(c.ButtonBand().x, c.ButtonBand().y), kComboBand);
  SaveShot(f->Handle(), "value-form-unskinned.bmp");
}
