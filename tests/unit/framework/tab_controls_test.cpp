// The tab and page controls on real windows: tabs chosen with the mouse, the page that
// goes with them, a change refused, captions and positions.
#include <gtest/gtest.h>
#include <windows.h>
// (the common controls' header needs the base declarations first)
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Framework.h"
#include "tests/unit/framework/place_control.h"

using formtest::Place;

namespace {

class TTabForm : public TForm {
 public:
  explicit TTabForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsSingle);
    SetClientSize(360, 240);
  }
};

// A left click on tab `index`, as the mouse gives it.
void ClickTab(HWND tab, int index) {
  RECT r{};
  ASSERT_TRUE(SendMessageW(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(tab, WM_LBUTTONUP, 0, at);
  Application->ProcessMessages();
}

std::wstring TabText(HWND tab, int index) {
  wchar_t text[80] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 80;
  SendMessageW(tab, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

}  // namespace

TEST(PageControl, ShowsThePageOfTheChosenTabAndFollowsItsPagesCaptions) {
  auto form = std::make_unique<TTabForm>(Application);
  form->AfterConstruction();
  auto* pages = Place<TPageControl>(form.get(), form.get(), "PageControl1", 10, 10, 340, 220);
  std::vector<TTabSheet*> sheets;
  for (const char* name : {"General", "Network", "Advanced"}) {
    auto* sheet = Place<TTabSheet>(pages, form.get(), name, 0, 0, 10, 10);
    sheet->SetCaption(name);
    sheets.push_back(sheet);
  }
  auto* button = Place<TButton>(sheets[1], form.get(), "Button1", 10, 10, 80, 25);
  std::vector<int> changes;
  pages->OnChange = [&](TObject*) { changes.push_back(pages->TabIndex()); };
  form->Show();
  HWND tab = pages->Handle();

  // One tab per page, in order, the first page shown over the whole sheet.
  ASSERT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(TabText(tab, 2), L"Advanced");
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  const RECT inside = pages->DisplayRect();
  RECT sheet{};
  GetWindowRect(sheets[0]->Handle(), &sheet);
  MapWindowPoints(nullptr, tab, reinterpret_cast<POINT*>(&sheet), 2);
  EXPECT_EQ(sheet.left, inside.left);
  EXPECT_EQ(sheet.bottom, inside.bottom);
  EXPECT_TRUE(IsWindowVisible(sheets[0]->Handle()));
  EXPECT_FALSE(IsWindowVisible(button->Handle()));

  // The user picks the second tab: its page (with its button) shows, the first hides.
  ClickTab(tab, 1);
  EXPECT_EQ(changes, std::vector<int>{1});
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_TRUE(IsWindowVisible(button->Handle()));
  EXPECT_FALSE(IsWindowVisible(sheets[0]->Handle()));

  // A handler may refuse the change: the tab and the page stay.
  pages->OnChanging = [](TObject*, bool& allow) { allow = false; };
  ClickTab(tab, 2);
  EXPECT_EQ(pages->TabIndex(), 1);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_EQ(changes.size(), 1u);
  pages->OnChanging = nullptr;

  // A page's new caption is its tab's text; a page that goes takes its tab along and
  // the page after it shows.
  sheets[2]->SetCaption("Expert");
  EXPECT_EQ(TabText(tab, 2), L"Expert");
  delete sheets[1];
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(pages->TabIndex(), 1);
  EXPECT_TRUE(IsWindowVisible(sheets[2]->Handle()));
}

TEST(TabControl, TakesItsTabsFromTheLayoutAndKeepsThemWhenItsSideChanges) {
  auto form = std::make_unique<TTabForm>(Application);
  form->AfterConstruction();
  auto* tabs = Place<TTabControl>(form.get(), form.get(), "TabControl1", 10, 10, 300, 200);
  ASSERT_TRUE(tabs->SetLayoutProperty("Tabs", "One\nTwo\nThree"));
  ASSERT_TRUE(tabs->SetLayoutProperty("TabIndex", "2"));
  EXPECT_THROW(tabs->SetLayoutProperty("TabPosition", "tpMiddle"), Exception);
  form->Show();
  EXPECT_EQ(SendMessageW(tabs->Handle(), TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(tabs->TabIndex(), 2);

  // Tabs on the right are the system's vertical tabs on the right, in columns; the
  // window is made again with the same tabs and the same choice.
  int changed = 0;
  tabs->OnChange = [&](TObject*) { ++changed; };
  ASSERT_TRUE(tabs->SetLayoutProperty("TabPosition", "tpRight"));
  const LONG_PTR style = GetWindowLongPtrW(tabs->Handle(), GWL_STYLE);
  EXPECT_EQ(style & (TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE),
            TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE);
  EXPECT_EQ(SendMessageW(tabs->Handle(), TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(TabText(tabs->Handle(), 0), L"One");
  EXPECT_EQ(tabs->TabIndex(), 2);
  RECT first{};
  SendMessageW(tabs->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  EXPECT_GT(first.left, 200);  // the column stands at the right edge
  ClickTab(tabs->Handle(), 0);
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(changed, 1);
}

TEST(TabSet, ChoosesTabsByMouseAndArrowKeysAsWideAsTheirTexts) {
  auto form = std::make_unique<TTabForm>(Application);
  form->AfterConstruction();
  auto* tabs = Place<TTabSet>(form.get(), form.get(), "TabSet1", 10, 200, 340, 22);
  ASSERT_TRUE(tabs->SetLayoutProperty("Tabs", "Sheet\nA much longer sheet name\nEnd"));
  std::vector<int> changes;
  tabs->OnChange = [&](TObject*) { changes.push_back(tabs->TabIndex()); };
  form->Show();
  HWND w = tabs->Handle();

  // Side by side from the left, the long text's tab the widest; the first one chosen.
  const RECT a = tabs->ItemRect(0), b = tabs->ItemRect(1), c = tabs->ItemRect(2);
  EXPECT_EQ(a.right, b.left);
  EXPECT_EQ(b.right, c.left);
  EXPECT_GT(b.right - b.left, 2 * (a.right - a.left));
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(tabs->ItemRect(3).right, 0);
  EXPECT_EQ(tabs->ItemAtPos({c.right + 5, 5}), -1);

  // A click on the third tab chooses it; the left arrow key the one before.
  const LPARAM at = MAKELPARAM((c.left + c.right) / 2, 8);
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(w, WM_LBUTTONUP, 0, at);
  Application->ProcessMessages();
  EXPECT_EQ(changes, std::vector<int>{2});
  EXPECT_EQ(GetFocus(), w);
  PostMessageW(w, WM_KEYDOWN, VK_LEFT, 0);
  Application->ProcessMessages();
  EXPECT_EQ(changes, (std::vector<int>{2, 1}));
  // Past the last tab, or refused by a handler, nothing changes.
  PostMessageW(w, WM_KEYDOWN, VK_RIGHT, 0);
  PostMessageW(w, WM_KEYDOWN, VK_RIGHT, 0);
  Application->ProcessMessages();
  EXPECT_EQ(tabs->TabIndex(), 2);
  tabs->OnChanging = [](TObject*, bool& allow) { allow = false; };
  tabs->SelectTab(0);
  EXPECT_EQ(tabs->TabIndex(), 2);
  EXPECT_EQ(changes, (std::vector<int>{2, 1, 2}));
}
