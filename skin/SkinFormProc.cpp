// The skinned window's procedure, in three layers: what every skinned window answers,
// what a top-level (or MDI child) window does with its size, activation and system
// commands, and the non-client messages that the skin's frame takes over from the
// system. Also the MDI client's subclass of an MDI frame window.
#include <windowsx.h>

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/SkinMenuBar.h"
#include "skin/widgets/SkinTrackBar.h"

using namespace vpn::skin;

namespace {

bool IsFrameCommand(UINT id) {
  switch (id) {
    case SC_SIZE:
    case SC_MOVE:
    case SC_MINIMIZE:
    case SC_MAXIMIZE:
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
    case SC_CLOSE:
    case SC_RESTORE:
      return true;
    default:
      return false;
  }
}

}  // namespace

LRESULT TSkinForm::WndProc(UINT Msg, WPARAM wParam, LPARAM lParam) {
  // Layer 1: every skinned window.
  switch (Msg) {
    case SM_QUERYSKINNED:
      return 1;
    case CM_LATEWINDOWSCREATED:
      // The controls that were out of sight at the first show have their windows now.
      if (Form && SkinData) SkinChildControls(Form);
      return CallDefault(Msg, wParam, lParam);
    case WM_ERASEBKGND: {
      const LRESULT r = CallDefault(Msg, wParam, lParam);
      if (Form || !SkinData->FaceBrush()) return r;
      RECT c{};
      GetClientRect(Window, &c);
      FillRect(reinterpret_cast<HDC>(wParam), &c, SkinData->FaceBrush());
      return 1;
    }
    case WM_STYLECHANGED:
      if (static_cast<int>(wParam) == GWL_STYLE)
        SavedStyle = reinterpret_cast<const STYLESTRUCT*>(lParam)->styleNew;
      return CallDefault(Msg, wParam, lParam);
    case WM_NCDESTROY: {
      State = sfsDetaching;
      DetachWindow();
      // Out of the chain now, the subclass still hands this last message on.
      const LRESULT r = CallDefault(Msg, wParam, lParam);
      State = sfsDestroyed;
      if (SkinManager) SkinManager->RequestAction(saDispose, 250);
      return r;
    }
    case WM_CTLCOLORBTN: {
      const LRESULT r = CallDefault(Msg, wParam, lParam);
      if (!Form) SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return r;
    }
    case WM_NOTIFY: {
      // A skinned track bar draws its thumb through the custom-draw notifications that
      // it sends to this window.
      const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
      if (hdr && hdr->code == static_cast<UINT>(NM_CUSTOMDRAW))
        if (auto* t = dynamic_cast<TSkinTrackBar*>(TSkinControl::FromWindow(hdr->hwndFrom)))
          return t->CustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(lParam));
      return CallDefault(Msg, wParam, lParam);
    }
    case WM_CTLCOLORSTATIC: {
      // A plain window's texts stand on the skin's face colour. The framework's forms
      // answer from their controls' colours, which follow the form's skinned colour.
      const LRESULT r = CallDefault(Msg, wParam, lParam);
      if (Form || !SkinData->FaceBrush()) return r;
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(SkinData->FaceBrush());
    }
    default:
      break;
  }
  if (!SkinData->SkinControls.Contains(xcMainMenu)) return CallDefault(Msg, wParam, lParam);

  // Layer 2: size, activation and commands of a window that has a frame of its own.
  const bool child = (GetWindowLongPtrW(Window, GWL_STYLE) & WS_CHILD) != 0;
  if (child && WindowKind != wkMdiChild) return CallDefault(Msg, wParam, lParam);
  switch (Msg) {
    case WM_SIZE: {
      const LRESULT r = CallDefault(Msg, wParam, lParam);
      SizeState = wParam == SIZE_MINIMIZED   ? ssMinimized
                  : wParam == SIZE_MAXIMIZED ? ssMaximized
                                             : ssRestored;
      // A maximised MDI child shows the frame window's frame; restored, its own again.
      if (WindowKind == wkMdiChild && SkinManager && SizeState != ssMinimized)
        SkinManager->SetMdiMaximized(SizeState == ssMaximized);
      const bool mdiMax = SkinManager && SkinManager->MdiMaximized;
      if (SizeState != ssMinimized &&
          (WindowKind != wkMdiChild || (!mdiMax && SizeState == ssRestored)) &&
          (State == sfsSkinned || State == sfsReskinning))
        UpdateRegion();
      return r;
    }
    case WM_ACTIVATE:
      Active = LOWORD(wParam) != WA_INACTIVE;
      break;
    case WM_NCACTIVATE:
      Active = wParam != 0;
      break;
    case WM_GETMINMAXINFO: {
      const LRESULT r = CallDefault(Msg, wParam, lParam);
      ReadSizeState();
      if (SizeState == ssMinimized) {
        SetFrameStyle(true);
      } else if (WindowKind != wkMdiChild) {
        SetFrameStyle(false);
      } else if (SizeState == ssRestored) {
        if (SkinManager) SkinManager->SetMdiMaximized(false);
        SetFrameStyle(false);
      } else {
        SetFrameStyle(true);
      }
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
      mmi->ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
      return r;
    }
    case WM_WINDOWPOSCHANGED: {
      ReadSizeState();
      const LRESULT r = CallDefault(Msg, wParam, lParam);
      // A menu set on the window (SetMenu lays its frame out anew) goes into the bar.
      if (GetMenu(Window)) AdoptWindowMenu();
      return r;
    }
    case WM_INITMENUPOPUP: {
      // The program prepares the drop-down first; then its items are the skin's to draw.
      const LRESULT r = CallDefault(Msg, wParam, lParam);
      PrepareDropDown(this, reinterpret_cast<HMENU>(wParam));
      return r;
    }
    case WM_MEASUREITEM:
      if (MeasureDropDownItem(this, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
      return CallDefault(Msg, wParam, lParam);
    case WM_DRAWITEM:
      if (DrawDropDownItem(this, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      return CallDefault(Msg, wParam, lParam);
    case WM_COMMAND:
      // The window's own system menu reports its choice as a command.
      if (HIWORD(wParam) == 0 && lParam == 0 && IsFrameCommand(LOWORD(wParam))) {
        PostMessageW(Window, WM_SYSCOMMAND, LOWORD(wParam), 0);
        return 0;
      }
      return CallDefault(Msg, wParam, lParam);
    case WM_SYSCOMMAND: {
      LRESULT r = 0;
      if (SysCommand(wParam, lParam, r)) return r;
      r = CallDefault(Msg, wParam, lParam);
      // The command may have done something else than its name says (the program's
      // main window minimises the whole program instead of itself).
      ReadSizeState();
      return r;
    }
    case WM_SETTEXT: {
      const LRESULT r = CallDefault(Msg, wParam, lParam);
      // A form's new text is handled by the form's own hook; a plain window's caption
      // is read again and painted over what the system drew.
      if (!FFormHook.Attached()) {
        ReadCaption();
        if (State == sfsSkinned) PaintFrame();
      }
      return r;
    }
    case SM_SKINSTART:
      SkinStart();
      return 0;
    default:
      break;
  }

  // Layer 3: the non-client area is the skin's once the frame has started.
  if ((WindowKind == wkMdiChild && SizeState != ssRestored) || IsIconic(Window) ||
      State == sfsCreated)
    return CallDefault(Msg, wParam, lParam);
  LRESULT r = 0;
  if (NcMessage(Msg, wParam, lParam, r)) return r;
  return CallDefault(Msg, wParam, lParam);
}

void TSkinForm::ReadSizeState() {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(Window, &wp)) return;
  switch (wp.showCmd) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      SizeState = ssMinimized;
      break;
    case SW_SHOWMAXIMIZED:
      SizeState = ssMaximized;
      break;
    default:
      SizeState = ssRestored;
      break;
  }
}

bool TSkinForm::SysCommand(WPARAM wParam, LPARAM lParam, LRESULT& Result) {
  const UINT command = static_cast<UINT>(wParam & 0xFFF0);
  if (command == SC_KEYMENU && !GetCapture() && !MenuLoopOpen() && lParam != ' ' && lParam != '-') {
    // The Alt key alone would put the system's menu mode on a frame it does not draw.
    if (lParam == 0) {
      Result = 1;
      return true;
    }
    // Alt with the accelerator of a bar item opens that item, as a press on it would.
    if (TMenuBtn* b =
            MenuBar ? MenuBar->AcceleratorButton(static_cast<wchar_t>(lParam)) : nullptr) {
      RECT wr{};
      GetWindowRect(Window, &wr);
      PostMessageW(Window, WM_NCLBUTTONDOWN, HTMENU,
                   MAKELPARAM(wr.left + b->Bounds.left + 1, wr.top + b->Bounds.top + 1));
      Result = 1;
      return true;
    }
  }
  const bool mdiChild = WindowKind == wkMdiChild;
  switch (command) {
    case SC_MINIMIZE:
      SizeState = ssMinimized;
      if (mdiChild) SetFrameStyle(true);
      break;
    case SC_MAXIMIZE:
      SizeState = ssMaximized;
      break;
    case SC_RESTORE:
      SizeState = ssRestored;
      if (mdiChild) SetFrameStyle(false);
      break;
    default:
      break;
  }
  return false;
}

void TSkinForm::SkinStart() {
  if (State == sfsCreated) {
    if (WindowKind == wkMdiChild && SkinManager && SkinManager->MdiMaximized) {
      SetFrameStyle(true);
      ForceFrameChange();
    } else if (!IsIconic(Window) && BorderKind != bkSystem) {
      State = sfsStarting;
      FitFrame(false);
      State = sfsSkinned;
      UpdateRegion();
    }
  }
  State = sfsSkinned;
  if (FrameTimer) FrameTimer->SetEnabled(Active);
}

void TSkinForm::SetActive(bool Value) {
  Active = Value;
  if (FrameTimer) FrameTimer->SetEnabled(Value && State == sfsSkinned);
  if (!Value && HotObject) {
    TNCObject* hot = HotObject;
    hot->MouseLeave();
  }
}

bool TSkinForm::NcMessage(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result) {
  // A window that keeps the system's frame keeps all of it.
  if (BorderKind == bkSystem && Msg != WM_NCCALCSIZE) return false;
  switch (Msg) {
    case WM_NCCALCSIZE:
      Result = NcCalcSize(wParam, lParam);
      return true;
    case WM_NCHITTEST:
      Result = NcHitTest(lParam);
      return true;
    case WM_NCPAINT:
      PaintFrame(wParam == 1 ? nullptr : reinterpret_cast<HRGN>(wParam));
      Result = 0;
      return true;
    case WM_NCACTIVATE:
      SetActive(wParam != 0);
      if (!(WindowKind == wkMdiChild && SizeState != ssRestored)) PaintFrame();
      Result = 1;
      return true;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_CONTEXTMENU:
      return NcMouse(Msg, wParam, lParam, Result);
    case SM_PAINTFRAME:
      PaintFrame();
      Result = 0;
      return true;
    default:
      return false;
  }
}

LRESULT TSkinForm::NcCalcSize(WPARAM wParam, LPARAM lParam) {
  const FrameSizes frame{BorderLeft, TitleHeight, BorderRight, BorderBottom};
  const bool systemFrame =
      (WindowKind == wkMdiChild && SizeState != ssRestored) || BorderKind == bkSystem;
  auto clientOf = [&](const RECT& w) {
    TPixelRect c = ClientBoxOf({w.left, w.top, w.right, w.bottom}, frame, MenuHeight);
    // A window smaller than its frame has an empty client area, never an inverted one.
    if (c.Right < c.Left) c.Right = c.Left;
    if (c.Bottom < c.Top) c.Bottom = c.Top;
    return RECT{c.Left, c.Top, c.Right, c.Bottom};
  };
  if (!wParam) {
    auto* r = reinterpret_cast<RECT*>(lParam);
    const RECT window = *r;
    CallDefault(WM_NCCALCSIZE, wParam, lParam);
    if (!systemFrame) *r = clientOf(window);
    return 0;
  }
  auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
  // The proposed window rectangle, before the system turns it into its own client area.
  const RECT window = p->rgrc[0];
  CallDefault(WM_NCCALCSIZE, wParam, lParam);
  if (!systemFrame) p->rgrc[0] = clientOf(window);
  p->rgrc[1] = p->rgrc[0];
  p->rgrc[2] = p->rgrc[0];
  return WVR_VALIDRECTS;
}

LRESULT TSkinForm::NcHitTest(LPARAM lParam) {
  const LRESULT system = CallDefault(WM_NCHITTEST, 0, lParam);
  switch (system) {
    // The client area, its scroll bars and the sizing edges of a sizeable window stay
    // the system's; the rest of the frame is the skin's.
    case HTCLIENT:
    case HTVSCROLL:
    case HTHSCROLL:
    case HTGROWBOX:
    case HTLEFT:
    case HTRIGHT:
    case HTTOP:
    case HTTOPLEFT:
    case HTTOPRIGHT:
    case HTBOTTOM:
    case HTBOTTOMLEFT:
    case HTBOTTOMRIGHT:
      return system;
    default:
      break;
  }
  const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  RECT w{};
  GetWindowRect(Window, &w);
  if (!PtInRect(&w, screen)) return HTNOWHERE;
  switch (FrameRowAt(FrameCoordinates(screen).y, TitleHeight)) {
    case frEdge:
      return HTNOWHERE;
    case frCaption:
      return HTCAPTION;
    default:
      return HTMENU;
  }
}

LRESULT TSkinForm::ClientProc(UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto it_default = [&](UINT m, WPARAM w, LPARAM l) { return FClientHook.CallNext(m, w, l); };
  const bool menus = SkinData && SkinData->SkinControls.Contains(xcMainMenu);
  switch (Msg) {
    case SM_QUERYSKINNED:
      return 1;
    case WM_NCDESTROY:
      UnsubclassMdiClient();
      return it_default(Msg, wParam, lParam);
    case WM_NCCALCSIZE:
      if (menus) {
        // The skin draws no scroll bars on the client's frame.
        const LONG_PTR style = GetWindowLongPtrW(MdiClientWindow, GWL_STYLE);
        if (style & (WS_HSCROLL | WS_VSCROLL))
          SetWindowLongPtrW(MdiClientWindow, GWL_STYLE, style & ~(WS_HSCROLL | WS_VSCROLL));
      }
      return it_default(Msg, wParam, lParam);
    case WM_MDICREATE: {
      SkinData->MenuUpdate = false;
      const LRESULT r = it_default(Msg, wParam, lParam);
      NewMdiChild = reinterpret_cast<HWND>(r);
      // The child is skinned at once: a program need not refresh its frame's menu after
      // creating a child, and the child would keep the system's frame until then.
      if (NewMdiChild && SkinManager) {
        SkinManager->SkinWindow(NewMdiChild);
        PostMessageW(Window, SM_PAINTFRAME, 0, 0);
        NewMdiChild = nullptr;
      }
      SkinData->MenuUpdate = SavedMenuUpdate;
      return r;
    }
    case WM_MDIDESTROY: {
      const LRESULT r = it_default(Msg, wParam, lParam);
      if (menus && SkinManager) {
        BOOL maximised = FALSE;
        SendMessageW(MdiClientWindow, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised));
        SkinManager->SetMdiMaximized(maximised != FALSE);
        if (SkinManager->CountMdiChildren() == 0) SkinData->MenuUpdate = SavedMenuUpdate;
      }
      return r;
    }
    case WM_MDITILE:
    case WM_MDICASCADE:
      if (menus && SkinManager) SkinManager->SetMdiMaximized(false);
      return it_default(Msg, wParam, lParam);
    case WM_MDISETMENU: {
      const LRESULT r = it_default(Msg, wParam, lParam);
      // The frame's new menu goes into its skinned bar.
      if (menus && wParam) AdoptWindowMenu();
      return r;
    }
    case WM_MDIREFRESHMENU: {
      const LRESULT r = it_default(Msg, wParam, lParam);
      if (NewMdiChild && SkinManager) {
        SkinManager->SkinWindow(NewMdiChild);
        PostMessageW(Window, SM_PAINTFRAME, 0, 0);
        NewMdiChild = nullptr;
      }
      return r;
    }
    default:
      return it_default(Msg, wParam, lParam);
  }
}
