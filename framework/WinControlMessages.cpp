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

// The message handling of windowed controls: reflected notifications, key presses,
// focus, cursors, popup menus, painting of windowless children.

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

bool TWinControl::HandleCtlColor(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  SetTextColor(dc, ColorToRGB(FFont.Color()));
  SetBkColor(dc, ColorToRGB(FColor));
  m.Result = reinterpret_cast<LRESULT>(ColorBrush(FColor));
  return true;
}

void TWinControl::HandleMouseForControls(TMessage& m) {
  POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  TControl* c = ControlAtPos(p);
  auto local = [&](TControl* t) { return MAKELPARAM(p.x - t->FLeft, p.y - t->FTop); };
  if (m.Msg == WM_LBUTTONDOWN) {
    FMouseDownControl = (c && c->FEnabled) ? c : nullptr;
    if (FMouseDownControl) c->Perform(m.Msg, m.WParam, local(c));
  } else if (m.Msg == WM_LBUTTONUP) {
    TControl* down = std::exchange(FMouseDownControl, nullptr);
    if (down && down == c) c->Perform(m.Msg, m.WParam, local(c));
  }
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (FHandle)
    m.Result = CallWindowProcW(FDefWndProc ? FDefWndProc : DefWindowProcW, FHandle, m.Msg, m.WParam,
                               m.LParam);
}

bool TWinControl::HasNonClientArea() const {
  // Forms keep the system's (or the skin's) frame; a child window is compared by its
  // rectangles, which also sees a non-client area that a window procedure makes itself.
  if (!(GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD)) return true;
  RECT window{}, client{};
  if (!GetWindowRect(FHandle, &window) || !GetClientRect(FHandle, &client)) return true;
  return client.right != window.right - window.left || client.bottom != window.bottom - window.top;
}

void TWinControl::WndProc(TMessage& m) {
  bool handled = false;
  switch (m.Msg) {
    case WM_NCPAINT:
      // A child control without a frame or scroll bars has nothing outside its client
      // area: the system's painting of it would only fetch a window DC for nothing.
      handled = !HasNonClientArea();
      if (handled) m.Result = 0;
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      handled = ReflectToChild(m);
      break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORSTATIC:
      handled = HandleCtlColor(m);
      break;
    case WM_CHAR:
      handled = HandleChar(m);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      HandleFocus(m);
      handled = true;
      break;
    case WM_SETCURSOR:
      handled = HandleSetCursor(m);
      break;
    case WM_CONTEXTMENU:
      handled = HandleContextMenu(m);
      break;
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT:
      handled = FOwnPaint && HandleOwnPaint(m);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      HandleMouseForControls(m);
      break;
    case WM_WINDOWPOSCHANGED:
      ReadBounds(*reinterpret_cast<const WINDOWPOS*>(m.LParam));
      break;
    default:
      break;
  }
  if (!handled) TControl::WndProc(m);
}

// A notification of a child control goes back to that control (its CN_ form); a menu
// command or an owner-drawn menu item goes to the menu item.
bool TWinControl::ReflectToChild(TMessage& m) {
  HWND from = nullptr;
  switch (m.Msg) {
    case WM_COMMAND:
      if (!m.LParam) return HIWORD(m.WParam) == 0 && TMenuItem::DispatchCommand(LOWORD(m.WParam));
      from = reinterpret_cast<HWND>(m.LParam);
      break;
    case WM_NOTIFY:
      if (const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam)) from = hdr->hwndFrom;
      break;
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
      const UINT type = m.Msg == WM_DRAWITEM
                            ? reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)->CtlType
                            : reinterpret_cast<const MEASUREITEMSTRUCT*>(m.LParam)->CtlType;
      if (type == ODT_MENU) return TMenuItem::DispatchOwnerDraw(m);
      if (m.Msg == WM_MEASUREITEM) return false;
      from = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)->hwndItem;
      break;
    }
    default:
      // A control's scroll notifications (track bars, up-downs, scroll-bar controls) and
      // colour requests carry its window; the window's own scroll bars send none.
      from = reinterpret_cast<HWND>(m.LParam);
      break;
  }
  TWinControl* child = from ? FindControl(from) : nullptr;
  if (!child || child == this) return false;
  m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
  return true;
}

bool TWinControl::HandleChar(TMessage& m) {
  const wchar_t wc = static_cast<wchar_t>(m.WParam);
  const std::string key = WideToGbk(std::wstring_view(&wc, 1));
  if (key.size() != 1) return false;
  char k = key[0];
  KeyPress(k);
  if (k == 0) return true;
  if (k != key[0]) {
    const std::wstring w = GbkToWide(std::string(1, k));
    m.WParam = w.empty() ? m.WParam : w[0];
  }
  return false;
}

void TWinControl::HandleFocus(TMessage& m) {
  if (m.Msg == WM_SETFOCUS) {
    if (TForm* form = ParentForm(); form && form != this) form->SetActiveControl(this);
    DefaultHandler(m);
    if (OnEnter) OnEnter(this);
    return;
  }
  DefaultHandler(m);
  if (OnExit) OnExit(this);
}

bool TWinControl::HandleSetCursor(TMessage& m) {
  if (reinterpret_cast<HWND>(m.WParam) != FHandle || LOWORD(m.LParam) != HTCLIENT) return false;
  POINT p;
  GetCursorPos(&p);
  ::ScreenToClient(FHandle, &p);
  TControl* over = ControlAtPos(p);
  const TCursor cur = over && over->FCursor != crDefault ? over->FCursor : FCursor;
  if (cur == crDefault) return false;
  ::SetCursor(CursorHandle(cur));
  m.Result = TRUE;
  return true;
}

bool TWinControl::HandleContextMenu(TMessage& m) {
  if (!FPopupMenu || !FPopupMenu->AutoPopup()) return false;
  POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (m.LParam == -1) {
    RECT r;
    GetWindowRect(FHandle, &r);
    p = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  FPopupMenu->SetPopupComponent(this);
  FPopupMenu->Popup(p.x, p.y);
  return true;
}

// Classes that paint their own face: the background in the control's colour, then the
// face and the windowless children.
bool TWinControl::HandleOwnPaint(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(FHandle, &r);
      FillRect(reinterpret_cast<HDC>(m.WParam), &r, ColorBrush(FColor));
      m.Result = 1;
      return true;
    }
    case WM_PAINT: {
      TPaintDC dc(FHandle);
      PaintWindow(dc.Get());
      PaintControls(dc.Get(), &dc.PS.rcPaint);
      return true;
    }
    default: {  // WM_PRINTCLIENT
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      RECT r;
      GetClientRect(FHandle, &r);
      FillRect(dc, &r, ColorBrush(FColor));
      PaintWindow(dc);
      PaintControls(dc, nullptr);
      return true;
    }
  }
}

void TWinControl::ReadBounds(const WINDOWPOS& Pos) {
  if ((Pos.flags & SWP_NOMOVE) && (Pos.flags & SWP_NOSIZE)) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  HWND parent = GetParent(FHandle);
  if (parent && (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  if (IsIconic(FHandle)) return;
  FLeft = r.left;
  FTop = r.top;
  FWidth = r.right - r.left;
  FHeight = r.bottom - r.top;
}
