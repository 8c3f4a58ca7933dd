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
  switch (m.Msg) {
    case WM_NCPAINT:
      // A child control without a frame or scroll bars has nothing outside its client
      // area: the system's painting of it would only fetch a window DC for nothing.
      if (!HasNonClientArea()) {
        m.Result = 0;
        return;
      }
      break;
    case WM_COMMAND:
      if (m.LParam) {
        TWinControl* child = FindControl(reinterpret_cast<HWND>(m.LParam));
        if (child && child != this) {
          m.Result = child->Perform(CN_COMMAND, m.WParam, m.LParam);
          return;
        }
      } else if (HIWORD(m.WParam) == 0 && TMenuItem::DispatchCommand(LOWORD(m.WParam))) {
        return;
      }
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
      TWinControl* child = hdr ? FindControl(hdr->hwndFrom) : nullptr;
      if (child && child != this) {
        m.Result = child->Perform(CN_NOTIFY, m.WParam, m.LParam);
        return;
      }
      break;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      // A control's scroll notifications (track bars, up-downs, scroll-bar controls) go
      // back to it; the window's own scroll bars send none with a window handle.
      if (m.LParam) {
        TWinControl* child = FindControl(reinterpret_cast<HWND>(m.LParam));
        if (child && child != this) {
          m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
          return;
        }
      }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
      TWinControl* child = FindControl(reinterpret_cast<HWND>(m.LParam));
      if (child && child != this) {
        m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
        return;
      }
      break;
    }
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORSTATIC:
      HandleCtlColor(m);
      return;
    case WM_DRAWITEM:
    case WM_MEASUREITEM: {
      UINT type = m.Msg == WM_DRAWITEM ? reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam)->CtlType
                                       : reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)->CtlType;
      if (type == ODT_MENU) {
        if (TMenuItem::DispatchOwnerDraw(m)) return;
      } else if (m.Msg == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
        if (TWinControl* child = FindControl(dis->hwndItem); child && child != this) {
          m.Result = child->Perform(CN_DRAWITEM, m.WParam, m.LParam);
          return;
        }
      }
      break;
    }
    case WM_CHAR: {
      wchar_t wc = static_cast<wchar_t>(m.WParam);
      std::string key = WideToGbk(std::wstring_view(&wc, 1));
      if (key.size() == 1) {
        char k = key[0];
        KeyPress(k);
        if (k == 0) return;
        if (k != key[0]) {
          std::wstring w = GbkToWide(std::string(1, k));
          m.WParam = w.empty() ? m.WParam : w[0];
        }
      }
      break;
    }
    case WM_SETFOCUS:
      if (TForm* form = ParentForm(); form && form != this) form->SetActiveControl(this);
      DefaultHandler(m);
      if (OnEnter) OnEnter(this);
      return;
    case WM_KILLFOCUS:
      DefaultHandler(m);
      if (OnExit) OnExit(this);
      return;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(m.WParam) == FHandle && LOWORD(m.LParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(FHandle, &p);
        TControl* over = ControlAtPos(p);
        TCursor cur = over && over->FCursor != crDefault ? over->FCursor : FCursor;
        if (cur != crDefault) {
          ::SetCursor(CursorHandle(cur));
          m.Result = TRUE;
          return;
        }
      }
      break;
    case WM_CONTEXTMENU:
      if (FPopupMenu && FPopupMenu->AutoPopup()) {
        POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        if (m.LParam == -1) {
          RECT r;
          GetWindowRect(FHandle, &r);
          p = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        }
        FPopupMenu->SetPopupComponent(this);
        FPopupMenu->Popup(p.x, p.y);
        return;
      }
      break;
    case WM_ERASEBKGND:
      if (FOwnPaint) {
        RECT r;
        GetClientRect(FHandle, &r);
        FillRect(reinterpret_cast<HDC>(m.WParam), &r, ColorBrush(FColor));
        m.Result = 1;
        return;
      }
      break;
    case WM_PAINT:
      if (FOwnPaint) {
        TPaintDC dc(FHandle);
        PaintWindow(dc.Get());
        PaintControls(dc.Get(), &dc.PS.rcPaint);
        return;
      }
      break;
    case WM_PRINTCLIENT:
      if (FOwnPaint) {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        RECT r;
        GetClientRect(FHandle, &r);
        FillRect(dc, &r, ColorBrush(FColor));
        PaintWindow(dc);
        PaintControls(dc, nullptr);
        return;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      HandleMouseForControls(m);
      break;
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(m.LParam);
      if (!(wp->flags & SWP_NOMOVE) || !(wp->flags & SWP_NOSIZE)) {
        RECT r;
        GetWindowRect(FHandle, &r);
        HWND parent = GetParent(FHandle);
        if (parent && (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD))
          MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        if (!IsIconic(FHandle)) {
          FLeft = r.left;
          FTop = r.top;
          FWidth = r.right - r.left;
          FHeight = r.bottom - r.top;
        }
      }
      break;
    }
    default:
      break;
  }
  TControl::WndProc(m);
}
