// The mouse on the skinned frame: caption buttons that light up, press and act, the
// system menu, double clicks on the frame, and the timer that notices the mouse
// leaving a button.
#include <windowsx.h>

#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/SkinMenuBar.h"

using namespace vpn::skin;

void TNCObject::MouseDown() {
  if (Form->HotObject && Form->HotObject != this) Form->HotObject->MouseLeave();
  if (!Visible) return;
  Form->HotObject = this;
  State = nsPressed;
  Paint();
}

void TNCObject::MouseUp() {
  if (!Visible) return;
  State = nsHot;
  Paint();
}

void TNCObject::MouseMove() {
  if (Form->HotObject && Form->HotObject != this) Form->HotObject->MouseLeave();
  if (Form->HotObject == this || !Visible) return;
  Form->HotObject = this;
  State = nsHot;
  Paint();
}

void TNCObject::MouseLeave() {
  if (!Visible) return;
  if (Form->HotObject == this) Form->HotObject = nullptr;
  State = nsNormal;
  Paint();
}

void TWinSysButton::Paint() {
  Form->PaintSysButton(this);
}

TNCObject* TSkinForm::ObjectAt(POINT Frame) const {
  for (const auto& b : SysButtons)
    if (b->Visible && b->Element->Action >= baClose && PtInRect(&b->Bounds, Frame)) return b.get();
  return nullptr;
}

SysButtonWindow TSkinForm::ButtonConditions() const {
  SysButtonWindow w;
  w.border = BorderKind;
  w.sysMenu = (FrameIcons & fiSystemMenu) != 0;
  w.maxBox = (FrameIcons & fiMaximize) != 0;
  w.minBox = (FrameIcons & fiMinimize) != 0;
  w.maximised = SizeState == ssMaximized;
  w.active = Active;
  w.mdiMaxChildInMenuBar = MdiChildMaximisedInBar();
  return w;
}

bool TSkinForm::MdiChildMaximisedInBar() const {
  if (WindowKind != wkMdiFrame || !MdiClientWindow || !MenuBar) return false;
  BOOL maximised = FALSE;
  HWND child = reinterpret_cast<HWND>(
      SendMessageW(MdiClientWindow, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised)));
  return child && maximised;
}

bool TSkinForm::NcMouse(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result) {
  const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const POINT frame = FrameCoordinates(screen);
  Result = 0;
  switch (Msg) {
    case WM_NCMOUSEMOVE: {
      if (!Active) return false;
      TNCObject* o = ObjectAt(frame);
      if (!o) o = MenuButtonAt(frame);
      if (o) {
        o->MouseMove();
        return true;
      }
      if (HotObject) HotObject->MouseLeave();
      return false;
    }
    case WM_NCLBUTTONDOWN: {
      if (!Active) SetForegroundWindow(Window);
      if (TNCObject* o = ObjectAt(frame)) {
        o->MouseDown();
        return true;
      }
      if (TMenuBtn* b = MenuButtonAt(frame)) {
        b->MouseDown();
        OpenMenuButton(b);
        return true;
      }
      // A maximised window is not dragged by its caption.
      if (SizeState == ssMaximized && Active && wParam == HTCAPTION) {
        Result = CallDefault(Msg, HTMENU, lParam);
        return true;
      }
      return false;
    }
    case WM_NCLBUTTONUP: {
      if (TMenuBtn* b = MenuButtonAt(frame)) {
        if (b == HotObject) b->MouseUp();
        return true;
      }
      TNCObject* o = ObjectAt(frame);
      if (!o) return false;
      if (o == HotObject) {
        o->MouseUp();
        ClickAction(static_cast<TWinSysButton*>(o), screen);
      }
      return true;
    }
    case WM_NCLBUTTONDBLCLK: {
      // The menu bar's row is not the caption: a double click there is a press.
      if (MenuBar && frame.y >= TitleHeight && frame.y < TitleHeight + MenuHeight) {
        if (TMenuBtn* m = MenuButtonAt(frame)) {
          m->MouseDown();
          OpenMenuButton(m);
        }
        return true;
      }
      auto* b = static_cast<TWinSysButton*>(ObjectAt(frame));
      if (b && ShowsWindowIcon(b->Element->Action)) {
        // A double click on the window's icon closes the window.
        if (FrameTimer) FrameTimer->SetEnabled(false);
        PostMessageW(Window, WM_CLOSE, 0, 0);
        return true;
      }
      if (SizeState != ssRestored) {
        SizeState = ssRestored;
        PostMessageW(Window, WM_SYSCOMMAND, SC_RESTORE, 0);
      } else if (FrameIcons & fiMaximize) {
        SizeState = ssMaximized;
        HotObject = nullptr;
        PostMessageW(Window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
      }
      return true;
    }
    case WM_NCRBUTTONDOWN:
      if (wParam != HTCAPTION || WindowKind == wkMdiChild) return false;
      ShowSystemMenu(screen, false);
      return true;
    case WM_NCRBUTTONUP:
      // The system would answer the release on its caption with its own menu.
      return wParam == HTCAPTION && WindowKind != wkMdiChild;
    case WM_CONTEXTMENU:
      return lParam != -1 && WindowKind != wkMdiChild && NcHitTest(lParam) == HTCAPTION;
    default:
      return false;
  }
}

void TSkinForm::ClickAction(TWinSysButton* Button, POINT Screen) {
  const int action = Button->Element->Action;
  switch (CaptionCommandOf(action)) {
    case ccClose:
      if (FrameTimer) FrameTimer->SetEnabled(false);
      PostMessageW(Window, WM_CLOSE, 0, 0);
      return;
    case ccMaximizeOrRestore:
      PostMessageW(Window, WM_SYSCOMMAND, SizeState == ssMaximized ? SC_RESTORE : SC_MAXIMIZE, 0);
      return;
    case ccMinimizeOrRestore:
      PostMessageW(Window, WM_SYSCOMMAND, SizeState == ssMinimized ? SC_RESTORE : SC_MINIMIZE, 0);
      return;
    case ccSystemMenu: {
      const DWORD now = GetTickCount();
      if (LastClickTime && now - LastClickTime < DoubleClickTime) {
        LastClickTime = 0;
        if (FrameTimer) FrameTimer->SetEnabled(false);
        PostMessageW(Window, WM_CLOSE, 0, 0);
        return;
      }
      LastClickTime = now;
      ShowSystemMenu(POINT{Screen.x + 1, Screen.y + 1}, true);
      return;
    }
    case ccChildMinimize:
    case ccChildRestore:
    case ccChildClose: {
      if (WindowKind != wkMdiFrame || !MdiClientWindow) return;
      HWND child = reinterpret_cast<HWND>(SendMessageW(MdiClientWindow, WM_MDIGETACTIVE, 0, 0));
      if (!child) return;
      const TCaptionCommand c = CaptionCommandOf(action);
      const WPARAM command = c == ccChildMinimize  ? SC_MINIMIZE
                             : c == ccChildRestore ? SC_RESTORE
                                                   : SC_CLOSE;
      SendMessageW(child, WM_SYSCOMMAND, command, 0);
      return;
    }
    case ccProgram:
      // Buttons the program defines for itself: the window hears of the click with a
      // message of its own, which the skin passes on to the window's procedure.
      PostMessageW(Window, SM_CAPTIONBUTTON, static_cast<WPARAM>(action), 0);
      return;
  }
}

void TSkinForm::ShowSystemMenu(POINT Screen, bool FromButton) {
  const bool iconic = IsIconic(Window) != FALSE;
  HMENU own = nullptr;
  // The skin's own system menu answers a right click on the caption always, and the
  // icon's click when the skin skins system menus; otherwise the window's own menu.
  if (FromButton && !(SkinData->SkinControls.Contains(xcSystemMenu) && WindowKind != wkMdiChild))
    own = GetSystemMenu(Window, FALSE);
  if (own) {
    TrackPopupMenu(own, TPM_RIGHTBUTTON, Screen.x, Screen.y, 0, Window, nullptr);
    return;
  }
  if (!SysPopup) return;
  for (int i = 0; i < SysPopup->Items()->Count(); ++i) {
    TMenuItem* item = SysPopup->Items()->Items(i);
    switch (item->Tag()) {
      case 0:
        item->SetEnabled(iconic || SizeState != ssRestored);
        break;
      case 1:
        item->SetEnabled(SizeState != ssMaximized);
        break;
      case 2:
        item->SetEnabled(!iconic && SizeState != ssMinimized);
        break;
      default:
        break;
    }
  }
  SysPopup->Popup(Screen.x, Screen.y);
}

TMenuBtn* TSkinForm::MenuButtonAt(POINT Frame) const {
  return MenuBar ? MenuBar->ButtonAt(Frame) : nullptr;
}

void TSkinForm::FrameTimerTick() {
  // An open drop-down keeps its button lit.
  if (!HotObject || MenuLoopOpen()) return;
  POINT p{};
  GetCursorPos(&p);
  const POINT frame = FrameCoordinates(p);
  if (!PtInRect(&HotObject->Bounds, frame)) HotObject->MouseLeave();
}
