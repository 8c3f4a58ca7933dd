// Framework tab controls on a skinned form, with the control test skin: the control walk
// gives a page control the skin's tab look on the side it puts its tabs (and its own
// look back once the skin goes off), and a tab set its row of skinned tabs.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "framework/Framework.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/widgets/SkinTab.h"
#include "tests/unit/skin/frame_test_support.h"

using namespace frametest;

namespace {

// The control test skin's tab pictures: the outer edge and body of a normal tab and of
// the focused one; the sheet border's edge towards the tabs.
constexpr uint32_t kEdge = Rgb(200, 40, 40), kBody = Rgb(240, 200, 80);
constexpr uint32_t kFocusEdge = Rgb(40, 160, 40), kFocusBody = Rgb(230, 160, 60);
constexpr uint32_t kSheetEdge = Rgb(0, 200, 200);

class TTabForm : public TForm {
 public:
  explicit TTabForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsSingle);
    SetClientSize(320, 200);
  }
};

// The mean row of a colour's pixels in a shot, -1 when it has none.
double MeanRow(const Shot& s, uint32_t colour) {
  long n = 0, sum = 0;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if (s.At(x, y) == colour) ++n, sum += y;
  return n ? double(sum) / n : -1;
}

}  // namespace

TEST(SkinTab, APageControlOnAFormWearsTheTabPicturesOnItsSide) {
  std::unique_ptr<TSkinData> data(LoadTestSkin("testskin-c.skin"));
  ASSERT_TRUE(data) << "test skin testskin-c.skin missing";
  auto form = std::make_unique<TTabForm>(Application);
  form->AfterConstruction();
  auto* pages = new TPageControl(form.get());
  pages->SetName("PageControl1");
  pages->SetParent(form.get());
  pages->SetBounds(10, 10, 300, 180);
  pages->SetTabPosition(tpBottom);
  for (const char* name : {"First", "Second", "Third"}) {
    auto* sheet = new TTabSheet(form.get());
    sheet->SetName(name);
    sheet->SetParent(pages);
    sheet->SetCaption(name);
  }
  form->Show();
  SetForegroundWindow(form->Handle());
  ASSERT_TRUE(PumpUntil([&] {
    TSkinForm* f = SkinManager->FindSkinForm(form->Handle());
    return f && f->State() == sfsSkinned;
  }));
  HWND tab = pages->Handle();
  auto* skin = dynamic_cast<TSkinTab*>(TSkinControl::FromWindow(tab));
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->TabSide(), vpn::skin::tsBottom);

  // The tabs below the sheet, upside down: their outer edge under their body; the
  // focused first tab in its own frame; the sheet's border edge above the tabs.
  ASSERT_TRUE(PumpUntil([&] { return Capture(tab).Count(kBody, 0, 0, 300, 180) > 50; }));
  Shot s = Capture(tab);
  EXPECT_GT(MeanRow(s, kEdge), MeanRow(s, kBody));
  EXPECT_GT(MeanRow(s, kFocusEdge), MeanRow(s, kFocusBody));
  EXPECT_LT(MeanRow(s, kSheetEdge), MeanRow(s, kBody));
  SaveShot(form->Handle(), "skin-page-control.bmp");
  // The page on the sheet wears the skin's face colour.
  const HWND page = pages->ActivePage()->Handle();
  EXPECT_EQ(Capture(page).At(20, 20), Rgb(200, 220, 180));

  // Choosing another page moves the focused frame there and keeps the skin's tabs.
  pages->SetActivePageIndex(2);
  Pump(100);
  RECT third{};
  SendMessageW(tab, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&third));
  ASSERT_TRUE(PumpUntil([&] {
    return Capture(tab).Count(kFocusBody, third.left, third.top, third.right, third.bottom) > 20;
  }));

  // Skin off: the control draws its own tabs, nothing of the pictures stays.
  data->SetActive(false);
  ASSERT_TRUE(PumpUntil([&] { return !SkinManager->FindSkinForm(form->Handle()); }, 3000));
  Pump(100);
  EXPECT_EQ(SendMessageW(tab, SM_QUERYSKINNED, 0, 0), 0);
  s = Capture(tab);
  EXPECT_EQ(s.Count(kBody, 0, 0, s.width, s.height) + s.Count(kEdge, 0, 0, s.width, s.height), 0);

  form.reset();
  DropSkin(data);
}

TEST(SkinTab, ATabSetDrawsItsTabsHangingFromTheTabPictures) {
  std::unique_ptr<TSkinData> data(LoadTestSkin("testskin-c.skin"));
  ASSERT_TRUE(data) << "test skin testskin-c.skin missing";
  auto form = std::make_unique<TTabForm>(Application);
  form->AfterConstruction();
  auto* tabs = new TTabSet(form.get());
  tabs->SetName("TabSet1");
  tabs->SetParent(form.get());
  tabs->SetBounds(10, 150, 300, 24);
  tabs->SetTabs({"One", "Two", "Three"});
  form->Show();
  SetForegroundWindow(form->Handle());
  ASSERT_TRUE(PumpUntil([&] {
    TSkinForm* f = SkinManager->FindSkinForm(form->Handle());
    return f && f->State() == sfsSkinned;
  }));
  HWND w = tabs->Handle();
  EXPECT_EQ(SendMessageW(w, SM_QUERYSKINNED, 0, 0), 1);

  // Every tab from the picture upside down, the chosen one in the focused frame; the
  // face colour around them.
  const RECT one = tabs->ItemRect(0), two = tabs->ItemRect(1);
  ASSERT_TRUE(PumpUntil(
      [&] { return Capture(w).Count(kFocusBody, one.left, one.top, one.right, one.bottom) > 20; }));
  Shot s = Capture(w);
  EXPECT_GT(s.Count(kBody, two.left, two.top, two.right, two.bottom), 20);
  EXPECT_GT(MeanRow(s, kEdge), MeanRow(s, kBody));
  EXPECT_EQ(s.At(s.width - 2, s.height / 2), Rgb(200, 220, 180));

  // Choosing the second tab moves the focused frame there.
  tabs->SelectTab(1);
  ASSERT_TRUE(PumpUntil(
      [&] { return Capture(w).Count(kFocusBody, two.left, two.top, two.right, two.bottom) > 20; }));
  EXPECT_EQ(Capture(w).Count(kFocusBody, one.left, one.top, one.right, one.bottom), 0);
  SaveShot(form->Handle(), "skin-tab-set.bmp");

  form.reset();
  DropSkin(data);
}
