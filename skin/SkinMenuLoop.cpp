// The open drop-down of a skinned menu bar: the popup menu runs its own loop inside
// TrackPopupMenuEx; a message filter of the thread watches that loop and closes the
// drop-down when the mouse moves onto another bar button or the left and right arrow
// keys leave it, and the bar then opens the next one. The drop-down's items are made
// owner-drawn while it is shown and painted like the skin's popup menus.
#include <windows.h>
// (after windows.h)
#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/Controls.h"
#include "framework/Gbk.h"
#include "framework/Menus.h"
#include "skin/CaptionButtons.h"
#include "skin/SkinData.h"
#include "skin/SkinManager.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinMenus.h"

namespace {

struct TMenuLoop {
  HHOOK FilterHook = nullptr;
  TSkinForm* Form = nullptr;  // whose drop-down is open
  int OpenIndex = -1;         // the bar button whose drop-down is open
  int Target = -1;            // the button to open once the open drop-down has closed
  POINT LastMousePos{};
  // Items the skin made owner-drawn, latest last: the system made them as strings or
  // separators, and gets them back that way when the drop-down closes.
  std::vector<std::pair<HMENU, UINT>> OwnerDrawn;
};
TMenuLoop Loop;

BOOL CALLBACK CollectPopup(HWND w, LPARAM list) {
  wchar_t cls[16] = {};
  if (IsWindowVisible(w) && GetClassNameW(w, cls, 16) && lstrcmpW(cls, L"#32768") == 0)
    reinterpret_cast<std::vector<HMENU>*>(list)->push_back(
        reinterpret_cast<HMENU>(SendMessageW(w, 0x01E1, 0, 0)));  // MN_GETHMENU
  return TRUE;
}

// The menus shown in the thread's popup windows now.
std::vector<HMENU> OpenMenus() {
  std::vector<HMENU> menus;
  EnumThreadWindows(GetCurrentThreadId(), CollectPopup, reinterpret_cast<LPARAM>(&menus));
  menus.erase(std::remove(menus.begin(), menus.end(), nullptr), menus.end());
  return menus;
}

int HighlightedItem(HMENU Menu) {
  const int n = GetMenuItemCount(Menu);
  for (int i = 0; i < n; ++i)
    if (GetMenuState(Menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) return i;
  return -1;
}

// The right arrow goes on to the next bar button unless it opens the sub-menu of the
// item lit in the innermost open menu.
bool RightOpensSubMenu() {
  const std::vector<HMENU> open = OpenMenus();
  for (HMENU m : open) {
    const int lit = HighlightedItem(m);
    HMENU sub = lit >= 0 ? GetSubMenu(m, lit) : nullptr;
    const bool inner = !sub || std::find(open.begin(), open.end(), sub) == open.end();
    if (inner) return sub != nullptr;
  }
  return false;
}

void SwitchTo(int Target) {
  if (Target < 0 || Target == Loop.OpenIndex) return;
  Loop.Target = Target;
  EndMenu();
}

// A message of the drop-down's loop; true when the loop is to skip it.
bool FilterMessage(const MSG& m) {
  TSkinForm* f = Loop.Form;
  TSkinMenuBar* bar = f ? f->MenuBar() : nullptr;
  if (!bar) return false;
  switch (m.message) {
    case WM_KEYDOWN: {
      // On a right-to-left bar the next button lies to the left; the drop-downs
      // themselves keep their left-to-right layout, sub-menus opening to the right.
      const WPARAM key = m.wParam;
      // Left leaves from the drop-down's own items, not from one of its sub-menus.
      if (key == VK_LEFT && OpenMenus().size() <= 1) {
        SwitchTo(bar->NextOpening(Loop.OpenIndex, bar->RightToLeft() ? 1 : -1));
        return true;
      }
      if (key == VK_RIGHT && !RightOpensSubMenu()) {
        SwitchTo(bar->NextOpening(Loop.OpenIndex, bar->RightToLeft() ? -1 : 1));
        return true;
      }
      return false;
    }
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: {
      if (m.pt.x == Loop.LastMousePos.x && m.pt.y == Loop.LastMousePos.y) return false;
      Loop.LastMousePos = m.pt;
      TMenuBtn* b = bar->ButtonAt(f->FrameCoordinates(m.pt));
      if (b && b->Opens()) SwitchTo(b->Index());
      return false;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
      TMenuBtn* b = bar->ButtonAt(f->FrameCoordinates(m.pt));
      if (!b) return false;
      // A press on the open button closes its drop-down; the press is used up, so it
      // does not open it again once the menu has gone.
      if (b->Opens() && b->Index() != Loop.OpenIndex)
        SwitchTo(b->Index());
      else
        EndMenu();
      return true;
    }
    default:
      return false;
  }
}

LRESULT CALLBACK MenuFilterProc(int Code, WPARAM wParam, LPARAM lParam) {
  const LRESULT next = CallNextHookEx(Loop.FilterHook, Code, wParam, lParam);
  if (next || Code != MSGF_MENU || !lParam) return next;
  // Nothing may travel through the menu's own loop: a failure is reported, and the loop
  // gets the message.
  bool skip = false;
  GuardedCall([&] { skip = FilterMessage(*reinterpret_cast<const MSG*>(lParam)); });
  return skip ? 1 : 0;
}

void MarkOwnerDrawn(HMENU Menu) {
  const int n = GetMenuItemCount(Menu);
  for (int i = 0; i < n; ++i) {
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoW(Menu, static_cast<UINT>(i), TRUE, &mi)) continue;
    // A program's own drawing stays its own; pictures as items stay the system's.
    if (mi.fType & (MFT_OWNERDRAW | MFT_BITMAP)) continue;
    mi.fType |= MFT_OWNERDRAW;
    if (SetMenuItemInfoW(Menu, static_cast<UINT>(i), TRUE, &mi))
      Loop.OwnerDrawn.emplace_back(Menu, static_cast<UINT>(i));
  }
}

void UnmarkOwnerDrawn() {
  for (const auto& [menu, pos] : Loop.OwnerDrawn) {
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoW(menu, pos, TRUE, &mi)) continue;
    mi.fType &= ~static_cast<UINT>(MFT_OWNERDRAW);
    SetMenuItemInfoW(menu, pos, TRUE, &mi);
  }
  Loop.OwnerDrawn.clear();
}

UINT ItemId(HMENU Menu, UINT Pos) {
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_ID;
  return GetMenuItemInfoW(Menu, Pos, TRUE, &mi) ? mi.wID : 0;
}

// The skin's item with that identifier: in Menu when given, else the one marked last
// (the system measures a menu's items right after it was prepared).
bool FindMarked(HMENU Menu, UINT Id, HMENU& Found, UINT& Pos) {
  for (auto it = Loop.OwnerDrawn.rbegin(); it != Loop.OwnerDrawn.rend(); ++it) {
    if (Menu && it->first != Menu) continue;
    if (ItemId(it->first, it->second) != Id) continue;
    Found = it->first;
    Pos = it->second;
    return true;
  }
  return false;
}

// What the system keeps of one item, as a menu item of the framework (for the skin's
// item painting), with the item's picture as the only entry of an image list.
struct TItemCopy {
  TMenuItem Item{nullptr};
  TImageListHandle Images;
};

void CopyItem(HMENU Menu, UINT Pos, TItemCopy& Copy) {
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_BITMAP;
  GetMenuItemInfoW(Menu, Pos, TRUE, &mi);
  wchar_t text[256] = {};
  GetMenuStringW(Menu, Pos, text, 256, MF_BYPOSITION);
  std::wstring caption = text, keys;
  if (const size_t tab = caption.find(L'\t'); tab != std::wstring::npos) {
    keys = caption.substr(tab + 1);
    caption.erase(tab);
  }
  TMenuItem& item = Copy.Item;
  item.SetCaption((mi.fType & MFT_SEPARATOR) || caption.empty() ? "-" : WideToGbk(caption));
  item.SetShortCutText(WideToGbk(keys));
  item.SetEnabled(!(mi.fState & (MFS_GRAYED | MFS_DISABLED)));
  item.SetChecked((mi.fState & MFS_CHECKED) != 0);
  item.SetDefault((mi.fState & MFS_DEFAULT) != 0);
  // The predefined pictures (close, restore and such) are small numbers, not bitmaps.
  BITMAP bm{};
  if (reinterpret_cast<uintptr_t>(mi.hbmpItem) > 0xFF && GetObjectW(mi.hbmpItem, sizeof bm, &bm) &&
      bm.bmWidth > 0 && bm.bmHeight > 0) {
    Copy.Images.Reset(ImageList_Create(bm.bmWidth, bm.bmHeight, ILC_COLOR32, 1, 0));
    if (Copy.Images && ImageList_Add(Copy.Images.Get(), mi.hbmpItem, nullptr) == 0)
      item.SetTag(0);
    else
      item.SetTag(-1);
  } else {
    item.SetTag(-1);
  }
}

}  // namespace

bool MenuLoopOpen() {
  return Loop.Form != nullptr;
}

TSkinForm* MenuLoopForm() {
  return Loop.Form;
}

void EndMenuLoopOf(TSkinForm* Form) {
  if (Form && Loop.Form == Form) {
    Loop.Target = -1;
    EndMenu();
  }
}

void PrepareDropDown(TSkinForm* Form, HMENU Menu) {
  if (Form && Loop.Form == Form && Menu && IsMenu(Menu)) MarkOwnerDrawn(Menu);
}

bool MeasureDropDownItem(TSkinForm* Form, MEASUREITEMSTRUCT* Measure) {
  if (!Form || Loop.Form != Form || !Measure || Measure->CtlType != ODT_MENU) return false;
  HMENU menu = nullptr;
  UINT pos = 0;
  if (!FindMarked(nullptr, Measure->itemID, menu, pos)) return false;
  TItemCopy copy;
  CopyItem(menu, pos, copy);
  TWindowDC dc(Form->Window());
  int width = 0, height = 0;
  TSkinItemMeasure(Form->SkinData(), copy.Images.Get())(&copy.Item, dc.Get(), width, height);
  Measure->itemWidth = static_cast<UINT>(std::max(width, 0));
  Measure->itemHeight = static_cast<UINT>(std::max(height, 0));
  return true;
}

bool DrawDropDownItem(TSkinForm* Form, const DRAWITEMSTRUCT* Draw) {
  if (!Form || Loop.Form != Form || !Draw || Draw->CtlType != ODT_MENU) return false;
  HMENU menu = reinterpret_cast<HMENU>(Draw->hwndItem);
  UINT pos = 0;
  if (!FindMarked(menu, Draw->itemID, menu, pos)) return false;
  if (Form->SkinData()->SkinNotLoaded) return true;
  // The popup window painted last and still unaware of its menu shows this one.
  if (PendingPopup && !PendingPopup->MenuHandle()) {
    PendingPopup->SetMenuHandle(menu);
    PendingPopup = nullptr;
  }
  TItemCopy copy;
  CopyItem(menu, pos, copy);
  // The drop-downs of a right-to-left bar are right-to-left menus.
  const bool rtl =
      (Form->MenuBar() && Form->MenuBar()->RightToLeft()) || MenuItemRightOrder(menu, pos, true);
  PaintMenuItem(Draw->hDC, Draw->rcItem, &copy.Item, menu, (Draw->itemState & ODS_SELECTED) != 0,
                Form->SkinData(), copy.Images.Get(), rtl);
  return true;
}

bool TSkinForm::OpenMenuButton(TMenuBtn* Button) {
  TSkinMenuBar* bar = FMenuBar.get();
  if (!bar || !Button || !Button->Enabled()) return false;
  if (!Button->SubMenu()) {
    PostMessageW(FWindow, WM_COMMAND, MAKEWPARAM(Button->Command(), 0), 0);
    return false;
  }
  if (Loop.Form) return false;  // one drop-down at a time
  Loop = TMenuLoop{};
  Loop.Form = this;
  Loop.FilterHook = SetWindowsHookExW(WH_MSGFILTER, MenuFilterProc, nullptr, GetCurrentThreadId());
  int index = Button->Index();
  while (index >= 0 && FMenuBar.get() == bar && index < bar->Count()) {
    TMenuBtn* b = bar->Button(index);
    if (!b->Opens()) break;
    Loop.OpenIndex = index;
    Loop.Target = -1;
    if (TNCObject* hot = FButtons->Hot(); hot && hot != b) hot->MouseLeave();
    FButtons->SetHot(b);
    b->SetState(vpn::skin::nsPressed);
    b->Paint();
    RECT wr{};
    GetWindowRect(FWindow, &wr);
    TPMPARAMS exclude{};
    exclude.cbSize = sizeof exclude;
    const RECT& at = b->Bounds();
    exclude.rcExclude =
        RECT{wr.left + at.left, wr.top + at.top, wr.left + at.right, wr.top + at.bottom};
    GetCursorPos(&Loop.LastMousePos);
    HMENU sub = b->SubMenu();
    // The drop-down opens with its first item lit, so the arrow keys start from there.
    PostMessageW(FWindow, WM_KEYDOWN, VK_DOWN, 0);
    // The window hears of the drop-down (WM_INITMENUPOPUP) as with the system's bar, so
    // a program can check and enable its items first.
    // A right-to-left bar hangs its drop-downs from the buttons' right edges.
    const bool rtl = bar->RightToLeft();
    const BOOL shown = TrackPopupMenuEx(
        sub, (rtl ? TPM_RIGHTALIGN : TPM_LEFTALIGN) | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_VERTICAL,
        rtl ? exclude.rcExclude.right : exclude.rcExclude.left, exclude.rcExclude.bottom, FWindow,
        &exclude);
    if (!shown) {
      MSG stray;
      PeekMessageW(&stray, FWindow, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
    }
    UnmarkOwnerDrawn();
    if (FMenuBar.get() != bar) break;  // the skin let go of the window meanwhile
    if (index < bar->Count()) {
      TMenuBtn* was = bar->Button(index);
      FButtons->ForgetHot(was);
      was->SetState(vpn::skin::nsNormal);
      was->Paint();
    }
    index = shown ? Loop.Target : -1;
  }
  if (Loop.FilterHook) UnhookWindowsHookEx(Loop.FilterHook);
  Loop = TMenuLoop{};
  return true;
}
