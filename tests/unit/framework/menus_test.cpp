// Menus that share a sub-menu, and the keys of owner-drawn items.
#include <gtest/gtest.h>

#include <memory>

#include "framework/Framework.h"

namespace {

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const char* caption) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

int MenuCharPosition(HMENU menu, wchar_t key) {
  const LRESULT r = SendMessageW(Application->Handle(), WM_MENUCHAR, key, LPARAM(menu));
  return HIWORD(r) == MNC_EXECUTE ? int(LOWORD(r)) : -1;
}

}  // namespace

TEST(Menus, ALinkShowsTheSourcesSubMenuWhichOutlivesTheLinkingMenu) {
  TComponent owner(nullptr);
  auto* tray = new TPopupMenu(&owner);
  TMenuItem* settings = AddItem(&owner, tray->Items(), "设置(&S)");
  AddItem(&owner, settings, "帐户注册(&R)");
  AddItem(&owner, settings, "帐户查询(&Q)");
  HMENU shared = GetSubMenu(tray->Handle(), 0);
  ASSERT_NE(shared, nullptr);

  auto system = std::make_unique<TPopupMenu>(nullptr);
  AddItem(system.get(), system->Items(), " Close ");
  auto* link = new TMenuItem(system.get());
  link->SetCaption("设置(&S)");
  link->SetSubMenuOf(settings);
  system->Items()->Insert(0, link);
  EXPECT_EQ(GetSubMenu(system->Handle(), 0), shared);
  // An item added to the source is in both menus at once.
  AddItem(&owner, settings, "关于(&A)");
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(system->Handle(), 0)), 3);

  // The linking menu goes; the tray's sub-menu and its items stay whole.
  system.reset();
  ASSERT_TRUE(IsMenu(shared));
  EXPECT_EQ(GetSubMenu(tray->Handle(), 0), shared);
  EXPECT_EQ(GetMenuItemCount(shared), 3);

  // The source going away ends a link instead of leaving it on a freed menu.
  auto other = std::make_unique<TPopupMenu>(nullptr);
  auto* link2 = new TMenuItem(other.get());
  link2->SetSubMenuOf(settings);
  other->Items()->Add(link2);
  ASSERT_EQ(GetSubMenu(other->Handle(), 0), shared);
  delete settings;
  EXPECT_EQ(link2->SubMenuOf(), nullptr);
  EXPECT_EQ(GetSubMenu(other->Handle(), 0), nullptr);
}

TEST(Menus, TheApplicationWindowFindsAnOwnerDrawnItemByItsKey) {
  TComponent owner(nullptr);
  auto* menu = new TPopupMenu(&owner);
  menu->SetOwnerDraw(true);
  TMenuItem* hidden = AddItem(&owner, menu->Items(), "隐藏(&Q)");
  hidden->SetVisible(false);
  AddItem(&owner, menu->Items(), "帐户注册(&R)");
  AddItem(&owner, menu->Items(), "-");
  AddItem(&owner, menu->Items(), "A && B (&Q)");
  TMenuItem* off = AddItem(&owner, menu->Items(), "关于(&A)");
  off->SetEnabled(false);
  HMENU h = menu->Handle();
  // Positions count the items the menu holds; "&&" is no key; either case of the letter.
  EXPECT_EQ(MenuCharPosition(h, L'r'), 0);
  EXPECT_EQ(MenuCharPosition(h, L'Q'), 2);
  EXPECT_EQ(MenuCharPosition(h, L'q'), 2);
  EXPECT_EQ(MenuCharPosition(h, L'B'), -1);
  EXPECT_EQ(MenuCharPosition(h, L'a'), -1) << "a disabled item was chosen";
  EXPECT_EQ(MenuCharPosition(h, L'z'), -1);
  // A menu the program did not make is left to the system.
  HMENU foreign = CreatePopupMenu();
  AppendMenuW(foreign, MF_STRING, 1, L"&Z");
  EXPECT_EQ(MenuCharPosition(foreign, L'z'), -1);
  DestroyMenu(foreign);
}
