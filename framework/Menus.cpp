#include "framework/Menus.h"

#include <algorithm>
#include <map>

#include "framework/Forms.h"
#include "framework/Gbk.h"

namespace {
std::map<UINT, TMenuItem*>& Commands() {
  static std::map<UINT, TMenuItem*> commands;
  return commands;
}
UINT gNextCommand = 1;
}  // namespace

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {
  // Command identifiers stay below 0xF000, where the system commands begin.
  do {
    FCommand = gNextCommand;
    gNextCommand = gNextCommand >= 0xEFFF ? 1 : gNextCommand + 1;
  } while (Commands().count(FCommand));
  Commands()[FCommand] = this;
}

TMenuItem::~TMenuItem() {
  SetDestroying();
  Commands().erase(FCommand);
  // The system would destroy the sub-menus along with this menu: they belong to their
  // own items (one may be shown here through a link), which destroy them themselves.
  if (FHandle)
    while (GetMenuItemCount(FHandle.Get()) > 0) RemoveMenu(FHandle.Get(), 0, MF_BYPOSITION);
  SetSubMenuOf(nullptr);
  for (TMenuItem* child : std::vector<TMenuItem*>(FItems)) {
    child->FParent = nullptr;
    // Children that nobody owns belong to this item.
    if (!child->Owner()) delete child;
  }
  FItems.clear();
  if (FParent) FParent->Remove(this);
}

void TMenuItem::SetCaption(const std::string& caption) {
  if (caption == FCaption) return;
  FCaption = caption;
  Changed();
}
void TMenuItem::SetShortCutText(const std::string& text) {
  if (text == FShortCutText) return;
  FShortCutText = text;
  Changed();
}
void TMenuItem::SetEnabled(bool on) {
  if (on == FEnabled) return;
  FEnabled = on;
  Changed();
}
void TMenuItem::SetVisible(bool on) {
  if (on == FVisible) return;
  FVisible = on;
  Changed();
}
void TMenuItem::SetDefault(bool on) {
  if (on == FDefault) return;
  FDefault = on;
  Changed();
}
void TMenuItem::SetChecked(bool on) {
  if (on == FChecked) return;
  FChecked = on;
  Changed();
}

void TMenuItem::SetSubMenuOf(TMenuItem* Source) {
  if (Source == FLinked || Source == this) return;
  if (FLinked) FLinked->RemoveFreeNotification(this);
  FLinked = Source;
  if (FLinked) FLinked->FreeNotification(this);
  if (!HasState(csDestroying)) Changed();
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLinked) {
    FLinked = nullptr;
    if (!HasState(csDestroying)) Changed();
  }
}

void TMenuItem::SetRadioItem(bool on) {
  if (on == FRadioItem) return;
  FRadioItem = on;
  Changed();
}

void TMenuItem::Add(TMenuItem* item) {
  Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  if (item->FParent) item->FParent->Remove(item);
  index = std::clamp(index, 0, Count());
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  item->FParent = nullptr;
  if (!HasState(csDestroying)) Changed();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TPopupMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->FParent) i = i->FParent;
  return i->FMenu;
}

void TMenuItem::Changed() {
  // The system menus are rebuilt in place, so a handle given out stays valid.
  Rebuild();
  if (FParent) FParent->Changed();
}

HMENU TMenuItem::Handle() {
  if (!FHandle) {
    FHandle.Reset(CreatePopupMenu());
    Rebuild();
  }
  return FHandle.Get();
}

void TMenuItem::Rebuild() {
  if (!FHandle) return;
  HMENU menu = FHandle.Get();
  while (GetMenuItemCount(menu) > 0) RemoveMenu(menu, 0, MF_BYPOSITION);
  for (TMenuItem* child : FItems)
    if (child->FVisible) child->AppendTo(menu);
}

void TMenuItem::RebuildAll() {
  Rebuild();
  for (TMenuItem* child : FItems) child->RebuildAll();
}

void TMenuItem::AppendTo(HMENU menu) {
  TPopupMenu* root = GetParentMenu();
  bool ownerDraw = root && root->OwnerDraw();
  // The system shows what follows a tab right-aligned: the shortcut.
  std::wstring text = GbkToWide(FShortCutText.empty() ? FCaption : FCaption + "\t" + FShortCutText);
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
  mi.wID = FCommand;
  mi.dwItemData = reinterpret_cast<ULONG_PTR>(this);
  if (IsLine()) {
    mi.fType = MFT_SEPARATOR;
  } else {
    mi.fMask |= MIIM_STRING;
    mi.dwTypeData = text.data();
  }
  if (ownerDraw) mi.fType |= MFT_OWNERDRAW;
  if (FRadioItem) mi.fType |= MFT_RADIOCHECK;
  mi.fState = (FEnabled ? MFS_ENABLED : MFS_DISABLED) | (FChecked ? MFS_CHECKED : 0) |
              (FDefault ? MFS_DEFAULT : 0);
  if (!FItems.empty()) {
    mi.fMask |= MIIM_SUBMENU;
    mi.hSubMenu = Handle();
  } else if (FLinked) {
    mi.fMask |= MIIM_SUBMENU;
    mi.hSubMenu = FLinked->Handle();
  }
  InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mi);
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FindCommand(UINT command) {
  auto it = Commands().find(command);
  return it == Commands().end() ? nullptr : it->second;
}

bool TMenuItem::DispatchCommand(UINT command) {
  TMenuItem* item = FindCommand(command);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenuItem::DispatchOwnerDraw(TMessage& m) {
  if (m.Msg == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
    TMenuItem* item = FindCommand(mis->itemID);
    if (!item || !item->OnMeasureItem) return false;
    TWindowDC dc(nullptr);
    int w = static_cast<int>(mis->itemWidth), h = static_cast<int>(mis->itemHeight);
    item->OnMeasureItem(item, dc.Get(), w, h);
    mis->itemWidth = static_cast<UINT>(w);
    mis->itemHeight = static_cast<UINT>(h);
    m.Result = TRUE;
    return true;
  }
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
  TMenuItem* item = FindCommand(dis->itemID);
  if (!item || !item->OnAdvancedDrawItem) return false;
  item->OnAdvancedDrawItem(item, dis->hDC, dis->rcItem, dis->itemState);
  m.Result = TRUE;
  return true;
}

bool TMenuItem::DispatchMenuChar(TMessage& m) {
  const HMENU menu = reinterpret_cast<HMENU>(m.LParam);
  const wchar_t typed = static_cast<wchar_t>(LOWORD(m.WParam));
  TMenuItem* shown = nullptr;
  for (const auto& [command, item] : Commands())
    if (item->FHandle && item->FHandle.Get() == menu) shown = item;
  if (!shown || !typed) return false;
  // Positions count the items the menu holds: the visible ones.
  int position = 0;
  for (TMenuItem* child : shown->FItems) {
    if (!child->FVisible) continue;
    const std::wstring caption = GbkToWide(child->FCaption);
    for (size_t i = caption.find(L'&'); i != std::wstring::npos && i + 1 < caption.size();
         i = caption.find(L'&', i + 2)) {
      if (caption[i + 1] == L'&') continue;
      if (child->FEnabled && CharUpperW(reinterpret_cast<LPWSTR>(uintptr_t(caption[i + 1]))) ==
                                 CharUpperW(reinterpret_cast<LPWSTR>(uintptr_t(typed)))) {
        m.Result = MAKELRESULT(position, MNC_EXECUTE);
        return true;
      }
      break;
    }
    ++position;
  }
  return false;
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner) {
  FItems = new TMenuItem(nullptr);
  FItems->FMenu = this;
}

TPopupMenu::~TPopupMenu() {
  delete FItems;
}

void TPopupMenu::SetOwnerDraw(bool on) {
  if (on == FOwnerDraw) return;
  FOwnerDraw = on;
  FItems->RebuildAll();
}

void TPopupMenu::SetPopupComponent(TComponent* c) {
  if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = c;
  if (c) c->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  HMENU menu = Handle();
  UINT command = static_cast<UINT>(TrackPopupMenuEx(
      menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, X, Y, Application->Handle(), nullptr));
  if (command) TMenuItem::DispatchCommand(command);
}

bool TMenuItem::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "Default") {
    SetDefault(LayoutBool(value));
  } else if (name == "Checked") {
    SetChecked(LayoutBool(value));
  } else if (name == "RadioItem") {
    SetRadioItem(LayoutBool(value));
  } else if (name == "Enabled") {
    SetEnabled(LayoutBool(value));
  } else if (name == "Visible") {
    SetVisible(LayoutBool(value));
  } else {
    return TComponent::SetLayoutProperty(name, value);
  }
  return true;
}

bool TMenuItem::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnClick") return AssignLayoutEvent(OnClick, handler, event);
  return TComponent::SetLayoutEvent(event, handler);
}

bool TPopupMenu::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "AutoPopup") {
    SetAutoPopup(LayoutBool(value));
    return true;
  }
  if (name == "OwnerDraw") {
    SetOwnerDraw(LayoutBool(value));
    return true;
  }
  return TComponent::SetLayoutProperty(name, value);
}

bool TPopupMenu::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnPopup") return AssignLayoutEvent(OnPopup, handler, event);
  return TComponent::SetLayoutEvent(event, handler);
}
