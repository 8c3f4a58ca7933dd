// The skinned controls on real windows under Wine, with the control test skin (flat
// colours per frame): push buttons driven by real mouse input and keys, check and radio
// glyphs, the flat edit border, the status bar, and framework forms whose controls give
// back their own look and colour when the skin goes off and take the skin again.
#include <gtest/gtest.h>
#include <windows.h>
// (after the base declarations)
#include <commctrl.h>

#include <memory>
#include <vector>

#include "framework/Framework.h"
#include "skin/SkinChildControls.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/widgets/SkinButton.h"
#include "skin/widgets/SkinCheckBox.h"
#include "tests/unit/framework/place_control.h"
#include "tests/unit/skin/frame_test_support.h"

using namespace frametest;

namespace {

// The control test skin's colours.
constexpr uint32_t kFace = Rgb(200, 220, 180);
constexpr uint32_t kButtonBody[] = {
    0, Rgb(10, 200, 10), Rgb(200, 10, 10), Rgb(120, 120, 120), Rgb(10, 10, 200), Rgb(200, 200, 10)};
constexpr uint32_t kButtonEdge1 = Rgb(0, 90, 0);
constexpr uint32_t kCheck[] = {0, Rgb(0, 150, 150), Rgb(150, 0, 150), Rgb(150, 150, 0),
                               Rgb(0, 0, 0)};
constexpr uint32_t kRadio[] = {0, Rgb(30, 60, 90), Rgb(90, 60, 30), Rgb(60, 90, 30),
                               Rgb(30, 90, 60)};
constexpr uint32_t kShadow = Rgb(70, 90, 110);
constexpr uint32_t kStatusEdge = Rgb(40, 80, 120), kStatusBody = Rgb(250, 250, 210);
constexpr uint32_t kStatusText = Rgb(128, 0, 64);

POINT Centre(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A plain top-level window that counts the commands its children send.
std::vector<WPARAM> gCommands;
// A button that its own click disables, as Connect does.
HWND gDisableOnClick = nullptr;
LRESULT CALLBACK ParentProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    gCommands.push_back(LOWORD(wp));
    if (reinterpret_cast<HWND>(lp) == gDisableOnClick) EnableWindow(gDisableOnClick, FALSE);
  }
  return DefWindowProcW(w, msg, wp, lp);
}
class SkinControls : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.reset(LoadTestSkin("testskin-c.skin"));
    ASSERT_TRUE(data_) << "test skin testskin-c.skin missing";
    gCommands.clear();
    gDisableOnClick = nullptr;
    Mouse({2, 2});
  }
  void TearDown() override {
    if (parent_ && IsWindow(parent_)) DestroyWindow(parent_);
    form_.reset();
    DropSkin(data_);
  }
  // The parent is made hidden, gets its children, and is skinned when shown.
  void MakeParent(int w, int h) {
    parent_ = CreateWindowExW(0, TestWindowClass(L"ControlTestWindow", ParentProc), L"Controls",
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 80, 80, w, h, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h,
             int id, DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  }
  void ShowSkinned(HWND w) {
    ASSERT_TRUE(ShowUntilSkinned(w));
    Pump(100);
  }
  std::unique_ptr<TSkinData> data_;
  HWND parent_ = nullptr;
  std::unique_ptr<TForm> form_;
};

}  // namespace

TEST_F(SkinControls, PushButtonsShowTheirStatesAndClickOnlyWhenReleasedOnThem) {
  MakeParent(300, 160);
  HWND one = Child(L"BUTTON", L"One", BS_PUSHBUTTON, 10, 10, 64, 27, 101);
  HWND two = Child(L"BUTTON", L"Two", BS_PUSHBUTTON, 100, 10, 64, 27, 102);
  HWND off = Child(L"BUTTON", L"Off", BS_PUSHBUTTON | WS_DISABLED, 190, 10, 64, 27, 103);
  ShowSkinned(parent_);
  for (HWND b : {one, two, off}) EXPECT_EQ(SendMessageW(b, SM_QUERYSKINNED, 0, 0), 1);

  // At rest, frame 1 stretched over the button with its edge; the magenta corner shows
  // the face colour behind it. The disabled button shows frame 3.
  EXPECT_TRUE(WaitForPixel(one, 5, 5, kButtonBody[1]));
  Shot s = Capture(one);
  EXPECT_EQ(s.At(1, 13), kButtonEdge1);
  EXPECT_EQ(s.At(0, 0), kFace);
  EXPECT_TRUE(WaitForPixel(off, 5, 5, kButtonBody[3]));

  // Moving over one button makes it hot, moving on to the other leaves only that one hot.
  Mouse(Centre(one));
  EXPECT_TRUE(WaitForPixel(one, 5, 5, kButtonBody[4]));
  Mouse(Centre(two));
  EXPECT_TRUE(WaitForPixel(two, 5, 5, kButtonBody[4]));
  EXPECT_TRUE(WaitForPixel(one, 5, 5, kButtonBody[1]));
  auto* hot = dynamic_cast<TSkinButton*>(TSkinControl::FromWindow(two));
  ASSERT_NE(hot, nullptr);
  EXPECT_EQ(SkinManager->FindSkinForm(parent_)->Controls().Hot(), hot);
  // Moving over the disabled button changes nothing there.
  Mouse(Centre(off));
  EXPECT_TRUE(WaitForPixel(two, 5, 5, kButtonBody[1]));
  EXPECT_EQ(Capture(off).At(5, 5), kButtonBody[3]);

  // Pressed shows frame 2; released outside the button, nothing is clicked.
  Mouse(Centre(one));
  Mouse(Centre(one), MOUSEEVENTF_LEFTDOWN);
  EXPECT_TRUE(WaitForPixel(one, 5, 5, kButtonBody[2]));
  Mouse({Centre(one).x, Centre(one).y + 80});
  Mouse({Centre(one).x, Centre(one).y + 80}, MOUSEEVENTF_LEFTUP);
  Pump(100);
  EXPECT_TRUE(gCommands.empty());
  EXPECT_TRUE(WaitForPixel(one, 5, 5, kButtonBody[4]));  // it kept the focus

  // Pressed and released on it: one click, reported to the parent with the button's id;
  // the button is drawn once for the press and once for the release.
  Mouse(Centre(one));
  Pump(50);
  const int paints = TSkinControl::FromWindow(one)->Paints();
  Mouse(Centre(one), MOUSEEVENTF_LEFTDOWN);
  Mouse(Centre(one), MOUSEEVENTF_LEFTUP);
  Pump(50);
  EXPECT_EQ(gCommands, std::vector<WPARAM>{101});
  EXPECT_EQ(TSkinControl::FromWindow(one)->Paints() - paints, 2);

  // The space key on the focused button presses it and clicks on release.
  Mouse({2, 2});
  SetFocus(two);
  EXPECT_TRUE(WaitForPixel(two, 5, 5, kButtonBody[4]));
  EXPECT_TRUE(WaitForPixel(one, 5, 5, kButtonBody[1]));
  SendMessageW(two, WM_KEYDOWN, VK_SPACE, 0x00390001);
  EXPECT_TRUE(WaitForPixel(two, 5, 5, kButtonBody[2]));
  SendMessageW(two, WM_KEYUP, VK_SPACE, 0xC0390001);
  Pump(50);
  EXPECT_EQ(gCommands, (std::vector<WPARAM>{101, 102}));
  EXPECT_TRUE(WaitForPixel(two, 5, 5, kButtonBody[4]));
}

TEST_F(SkinControls, CheckAndRadioGlyphsFollowTheirStateAndEditsGetAFlatBorder) {
  MakeParent(300, 160);
  HWND check = Child(L"BUTTON", L"Check", BS_AUTOCHECKBOX, 10, 10, 90, 17, 201);
  HWND radio = Child(L"BUTTON", L"Radio", BS_AUTORADIOBUTTON, 10, 40, 90, 17, 202);
  HWND edit = Child(L"EDIT", L"text", 0, 120, 10, 100, 22, 203, WS_EX_CLIENTEDGE);
  HWND bare = Child(L"EDIT", L"bare", 0, 120, 40, 100, 20, 204);
  ShowSkinned(parent_);

  // The glyph sits one pixel in (13-pixel box, 11-pixel glyph), vertically centred.
  const int cx = 1 + 5, cy = 3 + 5;
  EXPECT_TRUE(WaitForPixel(check, cx, cy, kCheck[1]));
  SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(WaitForPixel(check, cx, cy, kCheck[2]));
  EnableWindow(check, FALSE);
  EXPECT_TRUE(WaitForPixel(check, cx, cy, kCheck[4]));
  SendMessageW(check, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_TRUE(WaitForPixel(check, cx, cy, kCheck[3]));
  EnableWindow(check, TRUE);
  EXPECT_TRUE(WaitForPixel(check, cx, cy, kCheck[1]));
  // A click by the mouse checks it and shows the checked glyph.
  Mouse(Centre(check));
  Mouse(Centre(check), MOUSEEVENTF_LEFTDOWN);
  Mouse(Centre(check), MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(WaitForPixel(check, cx, cy, kCheck[2]));

  // Radio glyphs: 9 pixels, two in, four down.
  const int rx = 2 + 4, ry = 4 + 4;
  EXPECT_TRUE(WaitForPixel(radio, rx, ry, kRadio[1]));
  SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(WaitForPixel(radio, rx, ry, kRadio[2]));
  EnableWindow(radio, FALSE);
  EXPECT_TRUE(WaitForPixel(radio, rx, ry, kRadio[4]));

  // The edit's border: the skin's shadow outside, white inside. An edit without a border
  // keeps its look.
  EXPECT_TRUE(WaitForPixel(edit, 0, 0, kShadow));
  EXPECT_EQ(Capture(edit).At(1, 5), Rgb(255, 255, 255));
  Pump(100);
  EXPECT_NE(Capture(bare).At(0, 0), kShadow);
  EXPECT_NE(Capture(bare).At(0, 10), kShadow);
}

// The system's controls may draw themselves for an enabled change; the skin then does not
// draw the control a second time, and one the system did not draw is drawn at the next
// pump: once either way, with the skin's look.
TEST_F(SkinControls, AnEnabledChangeDrawsEachControlOnceWithTheSkinsLook) {
  // The program's controls are the common controls' themed ones (its manifest asks for
  // them): these draw themselves at once for an enabled change.
  wchar_t manifest[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, manifest);
  wcscat_s(manifest, L"skin-controls-themed.manifest");
  {
    const char text[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
        "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
        "processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>"
        "</dependentAssembly></dependency></assembly>";
    HANDLE f = CreateFileW(manifest, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, text, sizeof text - 1, &written, nullptr);
    CloseHandle(f);
  }
  ACTCTXW context{sizeof context};
  context.lpSource = manifest;
  HANDLE themed = CreateActCtxW(&context);
  ASSERT_NE(themed, INVALID_HANDLE_VALUE);
  ULONG_PTR cookie = 0;
  ASSERT_TRUE(ActivateActCtx(themed, &cookie));
  MakeParent(300, 160);
  HWND push = Child(L"BUTTON", L"Push", BS_PUSHBUTTON, 10, 10, 64, 27, 301);
  HWND check = Child(L"BUTTON", L"Check", BS_AUTOCHECKBOX, 10, 50, 90, 17, 302);
  HWND edit = Child(L"EDIT", L"text", 0, 120, 10, 100, 22, 303, WS_EX_CLIENTEDGE);
  DeactivateActCtx(0, cookie);
  ReleaseActCtx(themed);
  ShowSkinned(parent_);
  for (HWND w : {push, check, edit}) {
    const TSkinControl* skinned = TSkinControl::FromWindow(w);
    ASSERT_NE(skinned, nullptr);
    // One drawing of the whole control, frame and client area, draws the skin once.
    const int start = skinned->Paints();
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    const int once = skinned->Paints() - start;
    EXPECT_EQ(once, 1) << "window " << w;
    for (BOOL enable : {FALSE, TRUE}) {
      const int before = skinned->Paints();
      EnableWindow(w, enable);
      Pump(50);
      EXPECT_EQ(skinned->Paints() - before, once) << "window " << w << " enable " << enable;
    }
  }
  EnableWindow(check, FALSE);
  EXPECT_TRUE(WaitForPixel(check, 1 + 5, 3 + 5, kCheck[3]));
  // A click that disables its (focused) button: drawn once for the press, then once for
  // the release, the lost focus and the disabled look together.
  Mouse(Centre(push));
  SetFocus(push);
  Pump(50);
  gDisableOnClick = push;
  const int beforeClick = TSkinControl::FromWindow(push)->Paints();
  Mouse(Centre(push), MOUSEEVENTF_LEFTDOWN);
  Mouse(Centre(push), MOUSEEVENTF_LEFTUP);
  Pump(50);
  EXPECT_EQ(gCommands, std::vector<WPARAM>{301});
  EXPECT_FALSE(IsWindowEnabled(push));
  EXPECT_EQ(TSkinControl::FromWindow(push)->Paints() - beforeClick, 2);
  EXPECT_TRUE(WaitForPixel(push, 5, 5, kButtonBody[3]));
  EXPECT_TRUE(WaitForPixel(edit, 0, 0, kShadow));
}

namespace {

class TControlForm : public TForm {
 public:
  explicit TControlForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetClientSize(320, 200);
  }
};

template <class T>
T* Place(TForm* form, const char* name, int l, int t, int w, int h, intptr_t tag = 0) {
  T* c = formtest::Place<T>(form, name, l, t, w, h);
  c->SetTag(tag);
  return c;
}

}  // namespace

TEST_F(SkinControls, FormControlsGiveBackTheirLookWhenTheSkinGoesOffAndTakeItAgain) {
  form_ = std::make_unique<TControlForm>(Application);
  form_->AfterConstruction();
  TForm* f = form_.get();
  auto* button = Place<TButton>(f, "Button1", 10, 10, 64, 27);
  button->SetCaption("Go");
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  auto* check = Place<TCheckBox>(f, "CheckBox1", 10, 50, 90, 17);
  check->SetCaption("Remember");
  auto* plain = Place<TCheckBox>(f, "CheckBox2", 10, 80, 90, 17, 199);
  plain->SetCaption("Plain");
  auto* edit = Place<TEdit>(f, "Edit1", 120, 10, 120, 21);
  auto* secret = Place<TMaskEdit>(f, "Edit2", 250, 10, 60, 21);
  secret->SetPasswordChar('*');
  secret->SetText("hunter2");
  edit->SetText("plain text");
  auto* status = Place<TStatusBar>(f, "StatusBar1", 0, 175, 320, 25);
  status->SetSimpleText("Ready and waiting");
  auto* panel = Place<TPanel>(f, "Panel1", 120, 50, 150, 60);
  auto* inner = Place<TButton>(f, "Button2", 10, 10, 64, 27);
  inner->SetParent(panel);
  button->SetFocus();
  const TColor checkColour = check->Color(), panelColour = panel->Color();
  f->Show();
  ShowSkinned(f->Handle());
  const TColor face = static_cast<TColor>(RGB(200, 220, 180));

  // Attached through WindowProc: skinned, recoloured, painted from the skin.
  EXPECT_EQ(button->Perform(SM_QUERYSKINNED), 1);
  EXPECT_EQ(SendMessageW(inner->Handle(), SM_QUERYSKINNED, 0, 0), 1);  // walked into the panel
  EXPECT_EQ(SendMessageW(plain->Handle(), SM_QUERYSKINNED, 0, 0), 0);  // its tag keeps it plain
  EXPECT_EQ(check->Color(), face);
  EXPECT_EQ(panel->Color(), face);
  EXPECT_EQ(plain->Color(), checkColour);
  EXPECT_TRUE(WaitForPixel(button->Handle(), 5, 5, kButtonBody[4]));  // focused
  EXPECT_TRUE(WaitForPixel(check->Handle(), 6, 8, kCheck[1]));
  EXPECT_TRUE(WaitForPixel(edit->Handle(), 0, 0, kShadow));
  // The skin keeps an edit's text as its caption, but never a password edit's, neither
  // when it takes the edit nor when the text changes later; the window alone holds it.
  ASSERT_NE(TSkinControl::FromWindow(secret->Handle()), nullptr);
  EXPECT_EQ(TSkinControl::FromWindow(edit->Handle())->Caption(), L"plain text");
  EXPECT_EQ(TSkinControl::FromWindow(secret->Handle())->Caption(), L"");
  secret->SetText("changed-secret");
  EXPECT_EQ(TSkinControl::FromWindow(secret->Handle())->Caption(), L"");
  EXPECT_EQ(secret->Text(), "changed-secret");
  // The panel as the bar lays it out, its picture's corner at the panel's corner.
  auto Panel = [&] {
    RECT r{};
    SendMessageW(status->Handle(), SB_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r;
  };
  EXPECT_TRUE(WaitForPixel(status->Handle(), Panel().left, Panel().top, kStatusEdge));
  Shot bar = Capture(status->Handle());
  EXPECT_EQ(bar.At(100, 12), kStatusBody);
  EXPECT_GT(bar.Count(kStatusText, 0, 0, bar.width, bar.height), 10);

  // A click goes to the control's OnClick; the check box toggles with its glyph.
  Mouse(Centre(button->Handle()));
  Mouse(Centre(button->Handle()), MOUSEEVENTF_LEFTDOWN);
  Mouse(Centre(button->Handle()), MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(clicks, 1);
  check->SetChecked(true);
  EXPECT_TRUE(WaitForPixel(check->Handle(), 6, 8, kCheck[2]));
  check->SetEnabled(false);
  EXPECT_TRUE(WaitForPixel(check->Handle(), 6, 8, kCheck[4]));
  check->SetEnabled(true);

  // Skin off: every control has its own procedure, look and colour again.
  data_->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return !SkinManager->FindSkinForm(f->Handle()); }, 3000));
  Pump(100);
  EXPECT_EQ(button->Perform(SM_QUERYSKINNED), 0);
  EXPECT_EQ(SendMessageW(status->Handle(), SM_QUERYSKINNED, 0, 0), 0);
  EXPECT_EQ(check->Color(), checkColour);
  EXPECT_EQ(panel->Color(), panelColour);
  EXPECT_NE(Capture(button->Handle()).At(5, 5), kButtonBody[4]);
  EXPECT_NE(Capture(status->Handle()).At(Panel().left, Panel().top), kStatusEdge);
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 2);

  // Skin on again: the same controls take it again, once each.
  data_->SetActive(true);
  ASSERT_TRUE(PumpUntil(
      [&] {
        TSkinForm* sf = SkinManager->FindSkinForm(f->Handle());
        return sf && sf->State() == sfsSkinned;
      },
      3000));
  Pump(100);
  EXPECT_EQ(button->Perform(SM_QUERYSKINNED), 1);
  EXPECT_EQ(check->Color(), face);
  EXPECT_TRUE(WaitForPixel(status->Handle(), Panel().left, Panel().top, kStatusEdge));
  EXPECT_TRUE(WaitForPixel(check->Handle(), 6, 8, kCheck[2]));
  Mouse(Centre(button->Handle()));
  Mouse(Centre(button->Handle()), MOUSEEVENTF_LEFTDOWN);
  Mouse(Centre(button->Handle()), MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(clicks, 3);
}

namespace {

// A control class another library might bring: a push button by kind, but listed in the
// skin data's class-name mappings as a panel.
class TLMDSimplePanel : public TButton {
 public:
  using TButton::TButton;
};

}  // namespace

TEST_F(SkinControls, TheApplicationAndTheClassMappingsChooseSkinControls) {
  // The application gives the second check box a push button's skin; every other control
  // goes the usual way.
  std::vector<std::string> asked;
  data_->SetOnSkinControl([&](TComponent* sender, TSkinData*, TControl*, TControl* control,
                              const std::string& cls, TComponent*& skinned) {
    asked.push_back(cls);
    if (control->Name() == "Odd") skinned = new TSkinButton(sender);
  });
  form_ = std::make_unique<TControlForm>(Application);
  form_->AfterConstruction();
  TForm* f = form_.get();
  auto* odd = Place<TCheckBox>(f, "Odd", 10, 10, 64, 27);
  auto* normal = Place<TCheckBox>(f, "Normal", 10, 50, 90, 17);
  auto* mapped = Place<TLMDSimplePanel>(f, "Mapped", 10, 80, 64, 27);
  const TColor mappedColour = mapped->Color();
  f->Show();
  ShowSkinned(f->Handle());

  EXPECT_EQ(asked, (std::vector<std::string>{"TCHECKBOX", "TCHECKBOX", "TLMDSIMPLEPANEL"}));
  EXPECT_NE(dynamic_cast<TSkinButton*>(TSkinControl::FromWindow(odd->Handle())), nullptr);
  EXPECT_TRUE(PumpUntil([&] {
    const uint32_t p = Capture(odd->Handle()).At(5, 5);
    return p == kButtonBody[1] || p == kButtonBody[4];
  }));
  EXPECT_NE(dynamic_cast<TSkinCheckBox*>(TSkinControl::FromWindow(normal->Handle())), nullptr);
  // The mapping wins over the push-button rule: only recoloured, painted by itself.
  EXPECT_EQ(TSkinControl::FromWindow(mapped->Handle()), nullptr);
  EXPECT_EQ(mapped->Perform(SM_QUERYSKINNED), 0);
  EXPECT_EQ(mapped->Color(), static_cast<TColor>(RGB(200, 220, 180)));
  EXPECT_NE(mappedColour, mapped->Color());
  data_->SetOnSkinControl(nullptr);
}
