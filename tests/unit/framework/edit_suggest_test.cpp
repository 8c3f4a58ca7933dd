// Suggestions under an edit, typed and chosen as a user does: characters and keys reach
// the edit's window, a click reaches the list's.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/EditSuggest.h"
#include "framework/Framework.h"
#include "tests/unit/framework/place_control.h"

using formtest::Place;

namespace {

class TSuggestForm : public TForm {
 public:
  explicit TSuggestForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsSingle);
    SetClientSize(300, 200);
  }
};

void Type(TEdit* edit, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(edit->Handle(), WM_CHAR, c, 1);
}

// A key as the message loop hands it over: the key, then its character where it has one.
void Press(TEdit* edit, UINT vk) {
  SendMessageW(edit->Handle(), WM_KEYDOWN, vk, 1);
  if (vk == VK_RETURN || vk == VK_ESCAPE) SendMessageW(edit->Handle(), WM_CHAR, vk, 1);
}

using Texts = std::vector<std::string>;

}  // namespace

TEST(EditSuggest, TypingOffersTheChoicesThatHoldTheTextAndKeysOrAClickTakeOne) {
  auto form = std::make_unique<TSuggestForm>(Application);
  form->AfterConstruction();
  auto* edit = Place<TEdit>(form.get(), "Server", 10, 10, 120, 20);
  auto* other = Place<TEdit>(form.get(), "Other", 10, 40, 120, 20);
  int enters = 0, escapes = 0;
  edit->OnKeyPress = [&](TObject*, char& key) {
    enters += key == '\r';
    escapes += key == '\x1b';
  };
  TEditSuggest suggest(edit);
  suggest.SetChoices({{"vpn1.example", "电信线路"},
                      {"hk.vpn", "联通线路"},
                      {"VPN2.example", "电信线路"},
                      {"other", ""}});
  Texts chosen;
  suggest.OnChoose = [&](const TEditSuggest::TChoice& c) { chosen.push_back(c.Text); };
  edit->OnChange = [&](TObject*) { suggest.TextChanged(); };
  form->Show();
  edit->SetFocus();
  ASSERT_EQ(GetFocus(), edit->Handle());

  // Those that begin with the text first, then those that hold it; nothing highlighted.
  Type(edit, L"vP");
  ASSERT_TRUE(suggest.Shown());
  EXPECT_EQ(suggest.ShownTexts(), (Texts{"vpn1.example", "VPN2.example", "hk.vpn"}));
  EXPECT_EQ(suggest.Highlighted(), -1);
  // Under the edit, without taking the focus or the window's activation.
  RECT er{}, lr{};
  GetWindowRect(edit->Handle(), &er);
  GetWindowRect(suggest.ListWindow(), &lr);
  EXPECT_EQ(lr.top, er.bottom);
  EXPECT_EQ(lr.left, er.left);
  EXPECT_GE(lr.right - lr.left, er.right - er.left);
  EXPECT_EQ(GetFocus(), edit->Handle());
  EXPECT_EQ(GetActiveWindow(), form->Handle());

  // Down twice, Enter: the second choice; Enter went to the list, not to the edit.
  Press(edit, VK_DOWN);
  Press(edit, VK_DOWN);
  EXPECT_EQ(suggest.Highlighted(), 1);
  Press(edit, VK_RETURN);
  EXPECT_EQ(edit->Text(), "VPN2.example");
  EXPECT_EQ(chosen, (Texts{"VPN2.example"}));
  EXPECT_FALSE(suggest.Shown());
  EXPECT_EQ(enters, 0);
  // With the list closed Enter is the edit's again.
  Press(edit, VK_RETURN);
  EXPECT_EQ(enters, 1);

  // A text no choice holds, and the one choice typed out in full, show nothing.
  Type(edit, L"x");
  EXPECT_FALSE(suggest.Shown());
  edit->SetText("");
  Type(edit, L"OTHER");
  EXPECT_FALSE(suggest.Shown());

  // Down opens the list for an empty text with every choice; Enter with nothing
  // highlighted closes it and is the edit's; Escape closes it and is the list's.
  edit->SetText("");
  Press(edit, VK_DOWN);
  EXPECT_EQ(suggest.ShownTexts().size(), 4u);
  Press(edit, VK_UP);
  EXPECT_EQ(suggest.Highlighted(), 3);
  Press(edit, VK_ESCAPE);
  EXPECT_FALSE(suggest.Shown());
  EXPECT_EQ(escapes, 0);
  Type(edit, L"e");
  ASSERT_TRUE(suggest.Shown());
  Press(edit, VK_RETURN);
  EXPECT_FALSE(suggest.Shown());
  EXPECT_EQ(enters, 2);

  // A click on a row takes it; the edit keeps the focus.
  edit->SetText("");
  Type(edit, L"hk");
  ASSERT_EQ(suggest.ShownTexts(), (Texts{"hk.vpn"}));
  const int row = int(SendMessageW(suggest.ListWindow(), LB_GETITEMHEIGHT, 0, 0));
  SendMessageW(suggest.ListWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, row / 2));
  EXPECT_EQ(edit->Text(), "hk.vpn");
  EXPECT_EQ(chosen.back(), "hk.vpn");
  EXPECT_EQ(GetFocus(), edit->Handle());

  // Leaving the edit closes the list; a text set while the edit has no focus opens none.
  edit->SetText("");
  Type(edit, L"vpn");
  ASSERT_TRUE(suggest.Shown());
  other->SetFocus();
  EXPECT_FALSE(suggest.Shown());
  edit->SetText("vpn");
  EXPECT_FALSE(suggest.Shown());
  form->Hide();
}
