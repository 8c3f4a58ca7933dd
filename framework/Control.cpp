#include "framework/Controls.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>
// clang-format on

#include <algorithm>
#include <map>

#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "framework/Menus.h"

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
  FFont.OnChange = [this](TObject*) {
    if (!FSettingParentFont) FParentFont = false;
    FontChanged();
  };
}

TControl::~TControl() {
  if (FParent) FParent->RemoveControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  RECT old = BoundsRect();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  BoundsChanged(old);
}

void TControl::BoundsChanged(const RECT& old) {
  if (FParent && FParent->HandleAllocated() && FVisible) {
    InvalidateRect(FParent->Handle(), &old, TRUE);
    RECT now = BoundsRect();
    InvalidateRect(FParent->Handle(), &now, TRUE);
  }
}

void TControl::SetVisible(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  VisibleChanged();
}

void TControl::VisibleChanged() {
  if (FParent && FParent->HandleAllocated()) {
    RECT r = BoundsRect();
    InvalidateRect(FParent->Handle(), &r, TRUE);
  }
}

bool TControl::Showing() const {
  if (!FVisible) return false;
  return FParent ? FParent->Showing() : true;
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == FEnabled) return;
  FEnabled = enabled;
  EnabledChanged();
}

void TControl::SetText(const std::string& text) {
  if (text == GetText()) return;
  FText = text;
  TextChanged();
}

void TControl::SetParentFont(bool on) {
  FParentFont = on;
  if (on) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent) return;
  FSettingParentFont = true;
  FFont.Assign(*FParent->Font());
  FSettingParentFont = false;
}

void TControl::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  ColorChanged();
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (FPopupMenu == menu) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  if (parent == this) throw Exception("A control cannot be its own parent");
  if (FParent) FParent->RemoveControl(this);
  if (parent) parent->InsertControl(this);
  ParentFontChanged();
}

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->FParent) c = c->FParent;
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  if (WindowProc)
    WindowProc(m);
  else
    WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONUP:
      // Windowless controls get their mouse messages from the parent.
      if (!Windowed() && FEnabled) Click();
      break;
    default:
      break;
  }
  DefaultHandler(Message);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::Invalidate() {
  if (FParent && FParent->HandleAllocated()) {
    RECT r = BoundsRect();
    InvalidateRect(FParent->Handle(), &r, TRUE);
  }
}

void TControl::Repaint() {
  Invalidate();
  if (FParent && FParent->HandleAllocated()) UpdateWindow(FParent->Handle());
}

POINT TControl::ClientToScreen(POINT p) const {
  POINT o = FormOffset();
  p.x += o.x;
  p.y += o.y;
  if (TForm* f = ParentForm(); f && f != this && f->HandleAllocated())
    ::ClientToScreen(f->Handle(), &p);
  return p;
}

POINT TControl::ScreenToClient(POINT p) const {
  if (TForm* f = ParentForm(); f && f != this && f->HandleAllocated())
    ::ScreenToClient(f->Handle(), &p);
  POINT o = FormOffset();
  p.x -= o.x;
  p.y -= o.y;
  return p;
}

POINT TControl::FormOffset() const {
  POINT p{0, 0};
  for (const TControl* c = this; c->FParent; c = c->FParent) {
    p.x += c->FLeft;
    p.y += c->FTop;
  }
  return p;
}

bool TControl::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "Cursor") {
    SetCursor(StringToCursor(value));
  } else if (name == "ShowHint") {
    SetShowHint(LayoutBool(value));
  } else if (name == "Hint") {
    SetHint(value);
  } else if (name == "Color") {
    SetColor(StringToColor(value));
  } else if (name == "PopupMenu") {
    auto* menu = Owner() ? dynamic_cast<TPopupMenu*>(Owner()->FindComponent(value)) : nullptr;
    if (!menu) throw Exception("No popup menu named " + value);
    SetPopupMenu(menu);
  } else {
    return TComponent::SetLayoutProperty(name, value);
  }
  return true;
}

bool TControl::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnClick") return AssignLayoutEvent(OnClick, handler, event);
  return TComponent::SetLayoutEvent(event, handler);
}
