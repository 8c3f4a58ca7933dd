// The program's main window under its own skin, in the test's process: the system menu,
// switching the skin off and on, a second skin loaded at run time, the program's
// message boxes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/Unit_FrmMain.h"
#include "skin/SkinChildControls.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "tests/unit/skin/frame_test_support.h"

using namespace frametest;

namespace {

constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

std::vector<std::wstring> gMenuItems;
std::vector<UINT> gMenuStates;
size_t gPopupsRecorded = 0;

// Runs inside the menu's own loop: reads the open menu and closes it.
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu || !IsWindowVisible(menu)) return;
  KillTimer(nullptr, id);
  gPopupsRecorded = SkinManager->PopupFrames().size();
  HMENU m = reinterpret_cast<HMENU>(SendMessageW(menu, kGetMenuHandle, 0, 0));
  for (int i = 0; i < GetMenuItemCount(m); ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(m, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    gMenuItems.push_back(text);
    gMenuStates.push_back(GetMenuState(m, static_cast<UINT>(i), MF_BYPOSITION));
  }
  EndMenu();
}

struct BoxSeen {
  LRESULT skinned = 0;
  bool region = false;
};
BoxSeen gBox;

// Looks at the message box of this thread and answers it.
BOOL CALLBACK LookAtBox(HWND w, LPARAM) {
  wchar_t cls[16] = {};
  GetClassNameW(w, cls, 16);
  if (std::wstring(cls) != L"#32770") return TRUE;
  gBox.skinned = SendMessageW(w, SM_QUERYSKINNED, 0, 0);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  gBox.region = GetWindowRgn(w, rgn) != ERROR && !PtInRegion(rgn, 0, 0);
  DeleteObject(rgn);
  PostMessageW(w, WM_COMMAND, IDOK, 0);
  return FALSE;
}

// Runs inside the message box's loop.
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR id, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), LookAtBox, 0);
  KillTimer(nullptr, id);
}

class MainWindowFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TFrmMain>(Application);
    form_->AfterConstruction();
    form_->Show();
    wnd_ = form_->Handle();
    ASSERT_TRUE(Skinned());
  }
  void TearDown() override {
    form_.reset();
    delete SkinManager;
    SkinManager = nullptr;
  }
  bool Skinned() {
    return PumpUntil([&] {
      TSkinForm* f = SkinManager ? SkinManager->FindSkinForm(wnd_) : nullptr;
      return f && f->State() == sfsSkinned;
    });
  }
  // The frame sizes the skin in use gives.
  vpn::skin::FrameSizes Frame() {
    TSkinForm* f = SkinManager->FindSkinForm(wnd_);
    return f->Frame();
  }
  // The frame of the skin's button picture that a push button shows (its top-left corner
  // is copied unscaled; the key colour shows the face colour), 0 when none.
  int ButtonFrameShown(TButton* button) {
    const TDataSkinButton& b = *form_->SkinData1->Buttons;
    const TColor c = form_->SkinData1->Colours.ButtonFace;
    const uint32_t face = Rgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    const Shot s = Capture(button->Handle());
    const int fw = b.Bitmap.Width / b.FrameCount, corner = std::min(b.LeftWidth, b.TopHeight);
    for (int k = 1; k <= b.FrameCount; ++k) {
      bool same = true;
      for (int y = 0; y < corner && same; ++y)
        for (int x = 0; x < corner && same; ++x) {
          uint32_t want = b.Bitmap.At((k - 1) * fw + x, y);
          if (want == 0xFF00FF) want = face;
          same = s.At(x, y) == want;
        }
      if (same) return k;
    }
    return 0;
  }
  // Left and right end of the caption's background picture on the screen.
  std::pair<int, int> CaptionBox(uint32_t colour) {
    const Shot s = Capture(wnd_);
    int left = s.width, right = -1;
    for (int y = 0; y < Frame().Title; ++y)
      for (int x = 0; x < s.width; ++x)
        if (s.At(x, y) == colour) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
    return {left, right};
  }
  std::unique_ptr<TFrmMain> form_;
  HWND wnd_ = nullptr;
};

}  // namespace

TEST_F(MainWindowFrame, RightClickOnTheCaptionOpensTheSystemMenu) {
  gMenuItems.clear();
  gMenuStates.clear();
  SetTimer(nullptr, 0, 50, ReadOpenMenu);
  PostMessageW(wnd_, WM_NCRBUTTONDOWN, HTCAPTION, ScreenParam(wnd_, 200, 15));
  ASSERT_TRUE(PumpUntil([] { return !gMenuItems.empty(); }));
  // No maximise entry: the window has no maximise box. The main window adds its settings.
  EXPECT_EQ(gMenuItems, (std::vector<std::wstring>{L" Restore ", L" Minimize ", L"", L"设置(&S)",
                                                   L"", L" Close \tShift+F4"}));
  EXPECT_TRUE(gMenuStates[0] & MF_GRAYED) << "the window is not minimised or maximised";
  EXPECT_FALSE(gMenuStates[1] & MF_GRAYED);
  EXPECT_TRUE(gMenuStates[2] & MF_SEPARATOR);
  EXPECT_TRUE(gMenuStates[3] & MF_POPUP);
  EXPECT_FALSE(gMenuStates[5] & MF_GRAYED);
  // The manager knew the menu's window while it was open, and forgot it after.
  EXPECT_EQ(gPopupsRecorded, 1u);
  EXPECT_TRUE(SkinManager->PopupFrames().empty());
}

TEST_F(MainWindowFrame, ControlsAreGivenTheirSkinKindAndANewCaptionIsPainted) {
  TSkinForm* f = SkinManager->FindSkinForm(wnd_);
  auto kind = [&](TComponent* c) { return f->Controls().KindOf(c); };
  EXPECT_EQ(kind(form_->Button1), vpn::skin::skButton);
  EXPECT_EQ(kind(form_->IPAddrTxt), vpn::skin::skEdit);
  EXPECT_EQ(kind(form_->PasswordTxt), vpn::skin::skEdit);
  EXPECT_EQ(kind(form_->CheckBox1), vpn::skin::skCheckBox);
  EXPECT_EQ(kind(form_->StatusBar1), vpn::skin::skStatusBar);
  EXPECT_EQ(kind(form_->AreaTxt), vpn::skin::skComBox);
  EXPECT_EQ(kind(form_->WebBrowser1), vpn::skin::skNone);

  // The system draws its own caption over the frame on a new text; the frame is painted
  // again over it.
  const int paints = f->FramePaints();
  form_->SetCaption("Caption changed");
  EXPECT_EQ(f->Caption(), L"Caption changed");
  EXPECT_TRUE(PumpUntil([&] { return f->FramePaints() > paints; }));
}

TEST_F(MainWindowFrame, SkinOffRestoresThePlainWindowAndOffOnAtOnceKeepsIt) {
  TSkinData* d = form_->SkinData1;
  const vpn::skin::FrameSizes frame = Frame();
  EXPECT_EQ(WindowSize(wnd_).cx, 351 + frame.Left + frame.Right);
  EXPECT_EQ(WindowSize(wnd_).cy, 239 + frame.Title + frame.Bottom);
  TSkinForm* before = SkinManager->FindSkinForm(wnd_);
  const int runs = SkinManager->ActionsRun();
  d->SetActive(false);
  d->SetActive(true);
  Pump(500);
  EXPECT_EQ(SkinManager->ActionsRun(), runs + 1);
  EXPECT_EQ(SkinManager->FindSkinForm(wnd_), before) << "the frame was never taken off";

  // The controls wear the skin: the buttons its picture (the disabled one frame 3), the
  // check box the skin's face colour.
  const TColor ownCheckColour = clBtnFace;
  EXPECT_TRUE(PumpUntil([&] { return ButtonFrameShown(form_->Button2) == 3; }));
  EXPECT_NE(ButtonFrameShown(form_->Button1), 0);
  EXPECT_EQ(form_->CheckBox1->Color(), d->Colours.ButtonFace);

  d->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageW(wnd_, SM_QUERYSKINNED, 0, 0) == 0; }));
  // Every control has its own look and colour back.
  for (HWND c : {form_->Button1->Handle(), form_->CheckBox1->Handle(), form_->StatusBar1->Handle(),
                 form_->IPAddrTxt->Handle()})
    EXPECT_EQ(SendMessageW(c, SM_QUERYSKINNED, 0, 0), 0);
  EXPECT_TRUE(PumpUntil([&] {
    return ButtonFrameShown(form_->Button1) == 0 && ButtonFrameShown(form_->Button2) == 0;
  })) << ButtonFrameShown(form_->Button1)
      << " " << ButtonFrameShown(form_->Button2);
  EXPECT_EQ(form_->CheckBox1->Color(), ownCheckColour);
  EXPECT_EQ(ClientSize(wnd_).cx, 351);
  EXPECT_EQ(ClientSize(wnd_).cy, 239);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(wnd_, rgn), ERROR);
  const LONG style = GetWindowLongW(wnd_, GWL_STYLE);
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_EQ(form_->Color(), clBtnFace);

  d->SetActive(true);
  ASSERT_TRUE(Skinned());
  // And the skin taken again, by the same controls.
  EXPECT_EQ(SendMessageW(form_->Button1->Handle(), SM_QUERYSKINNED, 0, 0), 1);
  EXPECT_TRUE(PumpUntil([&] { return ButtonFrameShown(form_->Button2) == 3; }));
  EXPECT_NE(ButtonFrameShown(form_->Button1), 0);
  EXPECT_EQ(form_->CheckBox1->Color(), d->Colours.ButtonFace);
  EXPECT_EQ(ClientSize(wnd_).cx, 351);
  EXPECT_EQ(WindowSize(wnd_).cy, 239 + frame.Title + frame.Bottom);
  EXPECT_NE(GetWindowRgn(wnd_, rgn), ERROR);
  DeleteObject(rgn);
}

TEST_F(MainWindowFrame, SkinLoadedAtRunTimeRelaysTheFrame) {
  TSkinData* d = form_->SkinData1;
  constexpr uint32_t kTextBack = Rgb(0, 110, 110);
  // The right-aligned caption of the second test skin ends its clip (50) before the
  // title's right edge.
  d->SetSkinFile(TestSkinPath("testskin-b.skin"));
  ASSERT_FALSE(d->SkinNotLoaded);
  ASSERT_TRUE(PumpUntil([&] { return WindowSize(wnd_).cx == 351 + 11; }, 2000));
  EXPECT_EQ(WindowSize(wnd_).cy, 239 + 29);
  EXPECT_EQ(ClientSize(wnd_).cx, 351);
  EXPECT_EQ(ClientSize(wnd_).cy, 239);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(wnd_, rgn), ERROR);
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(PtInRegion(rgn, 2, 0));
  DeleteObject(rgn);
  ASSERT_TRUE(WaitForPixel(wnd_, 3, 100, Rgb(200, 30, 30)));
  SaveShot(wnd_, "frame-testskin-b.bmp");
  auto [left, right] = CaptionBox(kTextBack);
  EXPECT_EQ(right, 362 - 5 - 50 - 2);  // the picture's last column is magenta
  EXPECT_GT(left, 362 / 2);

  // The first test skin centres it.
  d->SetSkinFile(TestSkinPath("testskin-a.skin"));
  ASSERT_TRUE(PumpUntil([&] {
    auto box = CaptionBox(kTextBack);
    return box.first < 362 / 2 && box.second > 362 / 2;
  }));
  SaveShot(wnd_, "frame-testskin-a.bmp");
  std::tie(left, right) = CaptionBox(kTextBack);
  EXPECT_NEAR((left + right + 1) / 2, 6 + (362 - 11) / 2, 1);
}

TEST_F(MainWindowFrame, TheProgramsMessageBoxesWearTheMainSkin) {
  gBox = {};
  SetTimer(nullptr, 0, 400, AnswerBox);
  MessageBoxW(wnd_, L"A failure the user reads.", L"Morlu", MB_OK | MB_ICONERROR);
  EXPECT_EQ(gBox.skinned, 1);
  EXPECT_TRUE(gBox.region) << "the box has the skin's outline";
  // Gone with its window on the manager's next tick.
  EXPECT_TRUE(PumpUntil([] { return SkinManager->SkinForms().size() == 1; }, 1000));
}
