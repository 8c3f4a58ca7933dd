// The value controls and the memo on real windows: what the program sets and what the
// user does both end up in the control, and survive the window being made again.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/Framework.h"
#include "tests/unit/framework/place_control.h"

using formtest::Place;

namespace {

class TValueForm : public TForm {
 public:
  explicit TValueForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsSingle);
    SetClientSize(320, 220);
  }
};

std::unique_ptr<TValueForm> NewForm() {
  auto form = std::make_unique<TValueForm>(Application);
  form->AfterConstruction();
  return form;
}

LONG_PTR StyleOf(TWinControl* c) {
  return GetWindowLongPtrW(c->Handle(), GWL_STYLE);
}

}  // namespace

TEST(ValueControls, MemoLinesFollowTheProgramAndTheUser) {
  auto form = NewForm();
  auto* memo = Place<TMemo>(form.get(), "Memo1", 10, 10, 200, 80);
  memo->Lines()->Add("first");
  memo->Lines()->Add("第二行");
  EXPECT_EQ(memo->Text(), "first\r\n第二行");

  // Typing at the end reaches Lines and OnChange.
  int changes = 0;
  memo->OnChange = [&](TObject*) { ++changes; };
  SendMessageW(memo->Handle(), EM_SETSEL, 100, 100);
  SendMessageW(memo->Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\r\nthird"));
  EXPECT_GE(changes, 1);
  ASSERT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ((*memo->Lines())[2], "third");

  // A new window (scroll bars added) keeps what was typed; the text sets the lines too.
  memo->SetScrollBars(ssVertical);
  EXPECT_TRUE(StyleOf(memo) & WS_VSCROLL);
  EXPECT_EQ(memo->Text(), "first\r\n第二行\r\nthird");
  memo->SetText("one\r\ntwo");
  EXPECT_EQ(memo->Lines()->Count(), 2);
  memo->Lines()->Delete(0);
  EXPECT_EQ(memo->Text(), "two");
}

TEST(ValueControls, ProgressAndTrackBarsKeepTheirValuesInRange) {
  auto form = NewForm();
  auto* bar = Place<TProgressBar>(form.get(), "Progress1", 10, 10, 200, 16);
  bar->SetRange(0, 50);
  bar->SetPosition(80);  // before the window exists
  EXPECT_EQ(bar->Position(), 50);
  EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETPOS, 0, 0), 50);
  EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETRANGE, FALSE, 0), 50);
  bar->SetRange(40, 10);  // swapped ends are put right, the position follows
  EXPECT_EQ(bar->Min(), 10);
  EXPECT_EQ(bar->Position(), 40);
  bar->SetSmooth(true);  // a new window with the same values
  EXPECT_TRUE(StyleOf(bar) & PBS_SMOOTH);
  EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETPOS, 0, 0), 40);
  bar->SetStep(7);
  bar->StepIt();
  EXPECT_EQ(bar->Position(), 40);

  auto* track = Place<TTrackBar>(form.get(), "Track1", 10, 40, 200, 40);
  track->SetRange(0, 20);
  int changes = 0;
  track->OnChange = [&](TObject*) { ++changes; };
  form->Show();
  // The user moves the slider with the keys: the window tells its parent, the control
  // reports the change.
  track->SetFocus();
  SendMessageW(track->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
  SendMessageW(track->Handle(), WM_KEYUP, VK_RIGHT, 0xC0000001);
  EXPECT_EQ(track->Position(), 1);
  EXPECT_GE(changes, 1);
  track->SetPosition(99);
  EXPECT_EQ(track->Position(), 20);
  track->SetOrientation(trVertical);
  EXPECT_TRUE(StyleOf(track) & TBS_VERT);
  EXPECT_EQ(track->Position(), 20);
}

TEST(ValueControls, UpDownStepsItsPartnerEdit) {
  auto form = NewForm();
  auto* edit = Place<TEdit>(form.get(), "Edit1", 10, 10, 80, 22);
  auto* updown = Place<TUpDown>(form.get(), "UpDown1", 90, 10, 17, 22);
  updown->SetRange(0, 3);
  updown->SetPosition(2);
  updown->SetAssociate(edit);
  int clicks = 0;
  updown->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  EXPECT_EQ(WindowClassName(updown->Handle()), L"TUpDown");
  EXPECT_EQ(edit->Text(), "2");

  // A click on the upper half steps up, shown in the edit; at the top it stays.
  auto click = [&](int y) {
    SendMessageW(updown->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, y));
    SendMessageW(updown->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, y));
    Application->ProcessMessages();
  };
  click(3);
  EXPECT_EQ(updown->Position(), 3);
  EXPECT_EQ(edit->Text(), "3");
  EXPECT_EQ(clicks, 1);
  click(3);
  EXPECT_EQ(updown->Position(), 3);
  click(18);
  EXPECT_EQ(edit->Text(), "2");
  // Horizontal, on a new window: the position is kept.
  updown->SetOrientation(udHorizontal);
  EXPECT_EQ(updown->Position(), 2);
}
