// The skinned window's procedure, in three layers: what every skinned window answers,
// what a top-level (or MDI child) window does with its size, activation and system
// commands, and the non-client messages that the skin's frame takes over from the
// system.
#include <windowsx.h>

#include "framework/Forms.h"
#include "skin/CaptionButtons.h"
#include "skin/SkinChildControls.h"
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
  LRESULT r = 0;
  if (EveryWindowMessage(Msg, wParam, lParam, r)) return r;
  if (!FSkinData->SkinControls().Contains(xcMainMenu)) return CallDefault(Msg, wParam, lParam);
  // A child window that is not an MDI child has no frame of its own.
  const bool child = (GetWindowLongPtrW(FWindow, GWL_STYLE) & WS_CHILD) != 0;
  if (child && FWindowKind != wkMdiChild) return CallDefault(Msg, wParam, lParam);
  if (FramedWindowMessage(Msg, wParam, lParam, r)) return r;
  // The non-client area is the skin's once the frame has started.
  if ((FWindowKind == wkMdiChild && FSizeState != ssRestored) || IsIconic(FWindow) ||
      FState == sfsCreated)
    return CallDefault(Msg, wParam, lParam);
  if (NcMessage(Msg, wParam, lParam, r)) return r;
  return CallDefault(Msg, wParam, lParam);
}

// What every skinned window answers.
bool TSkinForm::EveryWindowMessage(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result) {
  switch (Msg) {
    case SM_QUERYSKINNED:
      Result = 1;
      return true;
    case CM_LATEWINDOWSCREATED:
      // The controls that were out of sight at the first show have their windows now.
      if (FForm && FSkinData) FControls->SkinControlsOf(FForm);
      return false;
    case WM_ERASEBKGND:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      Result = CallDefault(Msg, wParam, lParam);
      // The framework's forms answer from their controls' colours, which follow the
      // form's skinned colour.
      if (!FForm) PlainWindowColours(Msg, reinterpret_cast<HDC>(wParam), Result);
      return true;
    case WM_STYLECHANGED:
      if (static_cast<int>(wParam) == GWL_STYLE)
        FSavedStyle = reinterpret_cast<const STYLESTRUCT*>(lParam)->styleNew;
      return false;
    case WM_NCDESTROY:
      Result = OnNcDestroy(Msg, wParam, lParam);
      return true;
    case WM_NOTIFY: {
      // A skinned track bar draws its thumb through the custom-draw notifications that
      // it sends to this window.
      const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
      auto* bar = hdr && hdr->code == static_cast<UINT>(NM_CUSTOMDRAW)
                      ? dynamic_cast<TSkinTrackBar*>(TSkinControl::FromWindow(hdr->hwndFrom))
                      : nullptr;
      if (!bar) return false;
      Result = bar->CustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(lParam));
      return true;
    }
    default:
      return false;
  }
}

// A plain window's background and texts stand on the skin's face colour.
void TSkinForm::PlainWindowColours(UINT Msg, HDC Dc, LRESULT& Result) {
  HBRUSH face = FSkinData->FaceBrush();
  switch (Msg) {
    case WM_ERASEBKGND:
      if (!face) return;
      {
        RECT c{};
        GetClientRect(FWindow, &c);
        FillRect(Dc, &c, face);
      }
      Result = 1;
      return;
    case WM_CTLCOLORBTN:
      SetBkMode(Dc, TRANSPARENT);
      return;
    default:  // WM_CTLCOLORSTATIC
      if (!face) return;
      SetBkMode(Dc, TRANSPARENT);
      Result = reinterpret_cast<LRESULT>(face);
      return;
  }
}

LRESULT TSkinForm::OnNcDestroy(UINT Msg, WPARAM wParam, LPARAM lParam) {
  FState = sfsDetaching;
  DetachWindow();
  // Out of the chain now, the subclass still hands this last message on.
  const LRESULT r = CallDefault(Msg, wParam, lParam);
  FState = sfsDestroyed;
  if (SkinManager) SkinManager->RequestAction(saDispose, 250);
  return r;
}

// Size, activation and commands of a window that has a frame of its own.
bool TSkinForm::FramedWindowMessage(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result) {
  switch (Msg) {
    case WM_SIZE:
      Result = OnSize(wParam, lParam);
      return true;
    case WM_ACTIVATE:
      FActive = LOWORD(wParam) != WA_INACTIVE;
      return false;
    case WM_NCACTIVATE:
      FActive = wParam != 0;
      return false;
    case WM_GETMINMAXINFO:
      Result = OnGetMinMaxInfo(wParam, lParam);
      return true;
    case WM_WINDOWPOSCHANGED:
      ReadSizeState();
      Result = CallDefault(Msg, wParam, lParam);
      // A menu set on the window (SetMenu lays its frame out anew) goes into the bar.
      if (GetMenu(FWindow)) AdoptWindowMenu();
      return true;
    case WM_INITMENUPOPUP:
      // The program prepares the drop-down first; then its items are the skin's to draw.
      Result = CallDefault(Msg, wParam, lParam);
      PrepareDropDown(this, reinterpret_cast<HMENU>(wParam));
      return true;
    case WM_MEASUREITEM:
      Result = MeasureDropDownItem(this, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))
                   ? TRUE
                   : CallDefault(Msg, wParam, lParam);
      return true;
    case WM_DRAWITEM:
      Result = DrawDropDownItem(this, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))
                   ? TRUE
                   : CallDefault(Msg, wParam, lParam);
      return true;
    case WM_COMMAND:
      // The window's own system menu reports its choice as a command.
      if (HIWORD(wParam) != 0 || lParam != 0 || !IsFrameCommand(LOWORD(wParam))) return false;
      PostMessageW(FWindow, WM_SYSCOMMAND, LOWORD(wParam), 0);
      Result = 0;
      return true;
    case WM_SYSCOMMAND:
      if (SysCommand(wParam, lParam, Result)) return true;
      Result = CallDefault(Msg, wParam, lParam);
      // The command may have done something else than its name says (the program's
      // main window minimises the whole program instead of itself).
      ReadSizeState();
      return true;
    case WM_SETTEXT:
      Result = CallDefault(Msg, wParam, lParam);
      // A form's new text is handled by the form's own hook; a plain window's caption
      // is read again and painted over what the system drew.
      if (!FFormHook.Attached()) {
        ReadCaption();
        if (FState == sfsSkinned) PaintFrame();
      }
      return true;
    case SM_SKINSTART:
      SkinStart();
      Result = 0;
      return true;
    default:
      return false;
  }
}

LRESULT TSkinForm::OnSize(WPARAM wParam, LPARAM lParam) {
  const LRESULT r = CallDefault(WM_SIZE, wParam, lParam);
  FSizeState = wParam == SIZE_MINIMIZED   ? ssMinimized
               : wParam == SIZE_MAXIMIZED ? ssMaximized
                                          : ssRestored;
  // A maximised MDI child shows the frame window's frame; restored, its own again.
  if (FWindowKind == wkMdiChild && SkinManager && FSizeState != ssMinimized)
    SkinManager->SetMdiMaximized(FSizeState == ssMaximized);
  const bool mdiMax = SkinManager && SkinManager->MdiMaximized();
  if (FSizeState != ssMinimized &&
      (FWindowKind != wkMdiChild || (!mdiMax && FSizeState == ssRestored)) &&
      (FState == sfsSkinned || FState == sfsReskinning))
    UpdateRegion();
  return r;
}

LRESULT TSkinForm::OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam) {
  const LRESULT r = CallDefault(WM_GETMINMAXINFO, wParam, lParam);
  ReadSizeState();
  if (FSizeState == ssMinimized) {
    SetFrameStyle(true);
  } else if (FWindowKind != wkMdiChild) {
    SetFrameStyle(false);
  } else if (FSizeState == ssRestored) {
    if (SkinManager) SkinManager->SetMdiMaximized(false);
    SetFrameStyle(false);
  } else {
    SetFrameStyle(true);
  }
  auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
  mmi->ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  return r;
}

void TSkinForm::ReadSizeState() {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(FWindow, &wp)) return;
  switch (wp.showCmd) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      FSizeState = ssMinimized;
      break;
    case SW_SHOWMAXIMIZED:
      FSizeState = ssMaximized;
      break;
    default:
      FSizeState = ssRestored;
      break;
  }
}

// The menu key: Alt alone would put the system's menu mode on a frame it does not
// draw; Alt with the accelerator of a bar item opens that item, as a press on it would.
// True when the key was taken.
bool TSkinForm::MenuKey(WPARAM wParam, LPARAM lParam) {
  if ((wParam & 0xFFF0) != SC_KEYMENU || GetCapture() || MenuLoopOpen() || lParam == ' ' ||
      lParam == '-')
    return false;
  if (lParam == 0) return true;
  TMenuBtn* b = FMenuBar ? FMenuBar->AcceleratorButton(static_cast<wchar_t>(lParam)) : nullptr;
  if (!b) return false;
  RECT wr{};
  GetWindowRect(FWindow, &wr);
  PostMessageW(FWindow, WM_NCLBUTTONDOWN, HTMENU,
               MAKELPARAM(wr.left + b->Bounds().left + 1, wr.top + b->Bounds().top + 1));
  return true;
}

bool TSkinForm::SysCommand(WPARAM wParam, LPARAM lParam, LRESULT& Result) {
  if (MenuKey(wParam, lParam)) {
    Result = 1;
    return true;
  }
  // Alt+Space opens the menu that the caption's icon opens, where the title begins.
  if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == ' ' && FState == sfsSkinned && !MenuLoopOpen() &&
      (FFrameIcons & fiSystemMenu) && FSkinData->SkinControls().Contains(xcSystemMenu) &&
      FWindowKind != wkMdiChild) {
    RECT wr{};
    GetWindowRect(FWindow, &wr);
    FButtons->ShowSystemMenu(POINT{wr.left + FFrame.Left, wr.top + FFrame.Title}, true);
    Result = 0;
    return true;
  }
  const bool mdiChild = FWindowKind == wkMdiChild;
  switch (static_cast<UINT>(wParam & 0xFFF0)) {
    case SC_MINIMIZE:
      FSizeState = ssMinimized;
      if (mdiChild) SetFrameStyle(true);
      break;
    case SC_MAXIMIZE:
      FSizeState = ssMaximized;
      break;
    case SC_RESTORE:
      FSizeState = ssRestored;
      if (mdiChild) SetFrameStyle(false);
      break;
    default:
      break;
  }
  return false;
}

void TSkinForm::SkinStart() {
  if (FState == sfsCreated) {
    if (FWindowKind == wkMdiChild && SkinManager && SkinManager->MdiMaximized()) {
      SetFrameStyle(true);
      ForceFrameChange();
    } else if (!IsIconic(FWindow) && FBorderKind != bkSystem) {
      FState = sfsStarting;
      FitFrame(false);
      FState = sfsSkinned;
      UpdateRegion();
    }
  }
  FState = sfsSkinned;
  FButtons->SetTracking(FActive);
}

void TSkinForm::SetActive(bool Value) {
  FActive = Value;
  FButtons->SetTracking(Value && FState == sfsSkinned);
  if (TNCObject* hot = FButtons->Hot(); !Value && hot) hot->MouseLeave();
}

// The non-client messages the skin's frame answers instead of the system.
bool TSkinForm::NcMessage(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result) {
  // A window that keeps the system's frame keeps all of it.
  if (FBorderKind == bkSystem && Msg != WM_NCCALCSIZE) return false;
  switch (Msg) {
    case WM_NCCALCSIZE:
      Result = NcCalcSize(wParam, lParam);
      return true;
    case WM_NCHITTEST:
      Result = NcHitTest(lParam);
      return true;
    case WM_NCPAINT:
    case SM_PAINTFRAME:
      PaintFrame();
      Result = 0;
      return true;
    case WM_NCACTIVATE:
      SetActive(wParam != 0);
      if (!(FWindowKind == wkMdiChild && FSizeState != ssRestored)) PaintFrame();
      Result = 1;
      return true;
    case WM_NCMOUSEMOVE:
    case WM_NCMOUSELEAVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_CONTEXTMENU:
      return FButtons->Mouse(Msg, wParam, lParam, Result);
    default:
      return false;
  }
}

LRESULT TSkinForm::NcCalcSize(WPARAM wParam, LPARAM lParam) {
  const bool systemFrame =
      (FWindowKind == wkMdiChild && FSizeState != ssRestored) || FBorderKind == bkSystem;
  auto clientOf = [&](const RECT& w) {
    TPixelRect c = ClientBoxOf({w.left, w.top, w.right, w.bottom}, FFrame, FMenuHeight);
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
  GetWindowRect(FWindow, &w);
  if (!PtInRect(&w, screen)) return HTNOWHERE;
  switch (FrameRowAt(FrameCoordinates(screen).y, FFrame.Title)) {
    case frEdge:
      return HTNOWHERE;
    case frCaption:
      return HTCAPTION;
    default:
      return HTMENU;
  }
}
