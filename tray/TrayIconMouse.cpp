// The tray icon's mouse: the shell's callbacks turned into the component's events, with
// the three timers that tell a click from a double click, notice the pointer leaving and
// animate the icon; and the popup menu.
#include <memory>

#include "framework/Controls.h"
#include "tray/TrayIcon.h"

namespace {

TShiftState KeyShiftState() {
  TShiftState s = 0;
  if (GetAsyncKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetAsyncKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetAsyncKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  return s;
}

}  // namespace

void TTrayIcon::Click() {
  if (OnClick) OnClick(this);
}

void TTrayIcon::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TTrayIcon::Cycle(int NextIndex) {
  if (OnCycle) OnCycle(this, NextIndex);
}

void TTrayIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TTrayIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TTrayIcon::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TTrayIcon::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TTrayIcon::MouseExit() {
  if (OnMouseExit) OnMouseExit(this);
}

void TTrayIcon::TrayCallback(UINT Event) {
  std::shared_ptr<bool> alive = FAlive;
  auto raise = [&](auto&& f) {
    if (*alive) GuardedCall(f);  // a throwing handler reaches the default handler
    return *alive;
  };
  auto balloon = [&](TNotifyEvent& e) {
    if (e) raise([&] { e(this); });
  };
  switch (Event) {
    case NIN_BALLOONSHOW:
      balloon(OnBalloonHintShow);
      return;
    case NIN_BALLOONHIDE:
      balloon(OnBalloonHintHide);
      return;
    case NIN_BALLOONTIMEOUT:
      balloon(OnBalloonHintTimeout);
      return;
    case NIN_BALLOONUSERCLICK:
      balloon(OnBalloonHintClick);
      return;
    default:
      break;
  }
  if (!FEnabled) return;

  // Position and keys as they are now, not as the message says.
  POINT p{};
  GetCursorPos(&p);
  TShiftState shift = KeyShiftState();
  switch (Event) {
    case WM_MOUSEMOVE:
      if (FWantEnterExitEvents && FPointerOutside) {
        if (!raise([&] { MouseEnter(); })) return;
        FPointerOutside = false;
      }
      if (!raise([&] { MouseMove(shift, p.x, p.y); })) return;
      FLastPointerPos = p;
      break;
    case WM_LBUTTONDOWN:
      if (OnDblClick) {
        FClickTicker->SetInterval(GetDoubleClickTime());
        FClickTicker->SetEnabled(true);
      }
      if (!raise([&] { MouseDown(mbLeft, shift | ssLeft, p.x, p.y); })) return;
      FClickArmed = true;
      if (FLeftPopup) raise([&] { PopupAtCursor(); });
      break;
    case WM_LBUTTONUP:
      if (FClickArmed) FClickReady = true;
      if (FClickArmed && !FClickTicker->Enabled()) {
        FClickArmed = false;
        FClickReady = false;
        if (!raise([&] { Click(); })) return;
      }
      FClickArmed = false;
      raise([&] { MouseUp(mbLeft, shift | ssLeft, p.x, p.y); });
      break;
    case WM_LBUTTONDBLCLK:
      FClickReady = false;
      FDoubleClicked = true;
      if (!raise([&] { DblClick(); })) return;
      raise([&] { DefaultItemClick(); });
      break;
    case WM_RBUTTONDOWN:
      if (!raise([&] { MouseDown(mbRight, shift | ssRight, p.x, p.y); })) return;
      raise([&] { PopupAtCursor(); });
      break;
    case WM_RBUTTONUP:
      if (FCallbackStyle == 0) raise([&] { MouseUp(mbRight, shift | ssRight, p.x, p.y); });
      break;
    case WM_MBUTTONDOWN:
      raise([&] { MouseDown(mbMiddle, shift | ssMiddle, p.x, p.y); });
      break;
    case WM_MBUTTONUP:
      raise([&] { MouseUp(mbMiddle, shift | ssMiddle, p.x, p.y); });
      break;
    case WM_CONTEXTMENU:
    case NIN_SELECT:
    case NIN_KEYSELECT:
      if (FCallbackStyle == 1) raise([&] { MouseUp(mbRight, shift | ssRight, p.x, p.y); });
      break;
    default:
      break;
  }
}

void TTrayIcon::DefaultItemClick() {
  if (!FPopupMenu || !FPopupMenu->AutoPopup() || FLeftPopup) return;
  TMenuItem* root = FPopupMenu->Items();
  for (int i = 0; i < root->Count(); ++i)
    if (root->Items(i)->Default()) {
      root->Items(i)->Click();
      return;
    }
}

void TTrayIcon::ClickStep() {
  FClickTicker->SetEnabled(false);
  if (!FDoubleClicked && FClickReady) {
    FClickReady = false;
    std::shared_ptr<bool> alive = FAlive;
    GuardedCall([&] { Click(); });
    if (!*alive) return;
  }
  FDoubleClicked = false;
}

void TTrayIcon::LeaveCheck() {
  if (FPointerOutside) return;
  POINT p{};
  if (!GetCursorPos(&p)) return;
  if (p.x != FLastPointerPos.x || p.y != FLastPointerPos.y) {
    FPointerOutside = true;
    GuardedCall([&] { MouseExit(); });
  }
}

void TTrayIcon::CycleStep() {
  if (!FIconList) return;
  std::shared_ptr<bool> alive = FAlive;
  int count = FIconList->Count();
  if (FIconIndex >= 0 && FIconIndex < count) FIconList->GetIcon(FIconIndex, FIcon);
  int next = FIconIndex < count - 1 ? FIconIndex + 1 : 0;
  GuardedCall([&] { Cycle(next); });
  if (!*alive) return;
  SetIconIndex(next);
}

void TTrayIcon::PopupAtCursor() {
  POINT p{};
  if (!FPopupMenu || !FPopupMenu->AutoPopup() || !GetCursorPos(&p)) return;
  std::shared_ptr<bool> alive = FAlive;
  // The menu closes properly only when the program is in the foreground.
  SetForegroundWindow(Application->Handle());
  Application->ProcessMessages();
  if (!*alive || !FPopupMenu) return;
  FPopupMenu->SetPopupComponent(this);
  FPopupMenu->Popup(p.x, p.y);
  if (!*alive) return;
  // Lets the shell notice that the menu is gone.
  if (TWinControl* owner = OwnerControl(); owner && owner->HandleAllocated())
    PostMessageA(owner->Handle(), WM_NULL, 0, 0);
}
