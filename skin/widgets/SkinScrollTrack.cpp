// The skinned scroll bars under the mouse: which part of which bar a point is on, the
// hot part, and the presses the skin runs itself: an arrow or a page area scrolls once
// and then repeats while the button is held over it, the thumb is dragged. While a press
// runs the window holds the mouse capture and the loop waits for input rather than
// spinning; other windows' messages are dispatched as usual.
#include <algorithm>

#include "skin/widgets/SkinScrollBar.h"

using namespace vpn::skin;

namespace {

// The first repeat of a held arrow or page comes after this pause, then at this pace.
constexpr DWORD kRepeatDelayMs = 350;
constexpr DWORD kRepeatEveryMs = 50;

bool IsMouseMove(UINT msg) {
  return msg == WM_MOUSEMOVE || msg == WM_NCMOUSEMOVE;
}
bool IsButtonUp(UINT msg) {
  return msg == WM_LBUTTONUP || msg == WM_NCLBUTTONUP;
}

}  // namespace

// Where a bar's rectangle starts on the screen.
static POINT BarOrigin(HWND Wnd, bool ControlBar, const RECT& Bar) {
  POINT o{0, 0};
  if (ControlBar) {
    ClientToScreen(Wnd, &o);
  } else {
    RECT w{};
    GetWindowRect(Wnd, &w);
    o = {w.left, w.top};
  }
  return {o.x + Bar.left, o.y + Bar.top};
}

int TSkinScrollBar::Along(const TBar& Bar, POINT Screen) const {
  const POINT o = BarOrigin(FWindow, ControlBar, Bar.BarRect);
  return Bar.Vertical ? Screen.y - o.y : Screen.x - o.x;
}

TScrollHit TSkinScrollBar::HitAt(const TBar& Bar, POINT Screen) const {
  const POINT o = BarOrigin(FWindow, ControlBar, Bar.BarRect);
  const RECT& r = Bar.BarRect;
  const RECT onScreen{o.x, o.y, o.x + r.right - r.left, o.y + r.bottom - r.top};
  if (!PtInRect(&onScreen, Screen)) return shNone;
  const int length = Bar.Vertical ? r.bottom - r.top : r.right - r.left;
  // A bar too short for two arrows has two arrows of half its length.
  const int arrow = length < 2 * Bar.ArrowSize ? length / 2 : Bar.ArrowSize;
  TThumbGeometry thumb = Bar.Thumb;
  if (arrow < Bar.ArrowSize) thumb = {0, 0, 0};
  return ScrollHitAt(Along(Bar, Screen), arrow, thumb);
}

TSkinScrollBar::TBar* TSkinScrollBar::BarAt(POINT Screen) {
  if (!Layout()) return nullptr;
  for (TBar* bar : {&Vert, &Horz}) {
    if (ControlBar && bar != &Vert) continue;
    const RECT& r = bar->BarRect;
    if (r.right <= r.left || r.bottom <= r.top) continue;
    UpdateThumb(*bar);
    if (HitAt(*bar, Screen) != shNone) return bar;
  }
  return nullptr;
}

void TSkinScrollBar::SetHot(TBar* Bar, TScrollHit Hit) {
  if (Tracking) return;
  if (Hit == shNone) Bar = nullptr;
  if (Bar == FHotBar && Hit == FHot) return;
  FHotBar = Bar;
  FHot = Hit;
  if (Bar) WatchLeave();
  PaintBarsNow();
}

void TSkinScrollBar::WatchLeave() {
  TRACKMOUSEEVENT t{};
  t.cbSize = sizeof t;
  t.dwFlags = TME_LEAVE | (ControlBar ? 0 : TME_NONCLIENT);
  t.hwndTrack = FWindow;
  TrackMouseEvent(&t);
}

void TSkinScrollBar::Scroll(const TBar& Bar, int Code, int Pos) {
  const UINT msg = Bar.Vertical ? WM_VSCROLL : WM_HSCROLL;
  // A scroll-bar control tells its parent, naming itself; a control's own bars tell it.
  HWND target = ControlBar ? GetParent(FWindow) : FWindow;
  const LPARAM from = ControlBar ? reinterpret_cast<LPARAM>(FWindow) : 0;
  if (target)
    SendMessageW(target, msg, MAKEWPARAM(static_cast<WORD>(Code), static_cast<WORD>(Pos)), from);
}

bool TSkinScrollBar::Press(POINT Screen) {
  if (!HasPictures() || Tracking) return false;
  TBar* bar = BarAt(Screen);
  if (!bar) return false;
  const TScrollHit hit = HitAt(*bar, Screen);
  // A bar with nothing to scroll takes the press and does nothing.
  if (BarDisabled(*bar)) return true;
  if (hit == shThumb) {
    DragThumb(*bar, Screen);
    return true;
  }
  RepeatPress(*bar, hit);
  return true;
}

void TSkinScrollBar::RepeatPress(TBar& Bar, TScrollHit Hit) {
  int code;
  switch (Hit) {
    case shLineUp:
      code = SB_LINEUP;
      break;
    case shPageUp:
      code = SB_PAGEUP;
      break;
    case shPageDown:
      code = SB_PAGEDOWN;
      break;
    case shLineDown:
      code = SB_LINEDOWN;
      break;
    default:
      return;
  }
  const std::shared_ptr<bool> alive = FAlive;
  const HWND wnd = FWindow;
  const TPressedPart held = PressedPartOfHit(Hit, Bar.Vertical);
  FHotBar = nullptr;
  FHot = shNone;
  SetCapture(wnd);
  PressedPart = held;
  Scroll(Bar, code, 0);
  if (!*alive) return;
  PressedPart = held;
  PaintBarsNow();

  POINT cursor{};
  GetCursorPos(&cursor);
  DWORD next = GetTickCount() + kRepeatDelayMs;
  bool down = true;
  while (down) {
    MSG msg;
    while (down && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        down = false;
      } else if (msg.hwnd == wnd && IsButtonUp(msg.message)) {
        down = false;
      } else if (msg.hwnd == wnd && IsMouseMove(msg.message)) {
        cursor = msg.pt;
      } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        down = false;
      } else {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (!*alive || !IsWindow(wnd)) return;
    }
    if (!down || GetCapture() != wnd) break;
    const DWORD now = GetTickCount();
    if (static_cast<int>(now - next) >= 0) {
      // The part repeats while the mouse stays on it; a page area stops once the thumb
      // has come under the mouse.
      Layout();
      UpdateThumb(Bar);
      const bool on = HitAt(Bar, cursor) == Hit;
      if (on) Scroll(Bar, code, 0);
      if (!*alive) return;
      PressedPart = on ? held : ppNone;
      PaintBarsNow();
      next = now + kRepeatEveryMs;
    }
    const DWORD wait = std::min<DWORD>(kRepeatDelayMs, std::max<int>(0, next - GetTickCount()));
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  }
  if (GetCapture() == wnd) ReleaseCapture();
  Scroll(Bar, SB_ENDSCROLL, 0);
  if (!*alive) return;
  PressedPart = ppNone;
  PaintBarsNow();
}

void TSkinScrollBar::DragThumb(TBar& Bar, POINT Start) {
  const std::shared_ptr<bool> alive = FAlive;
  const HWND wnd = FWindow;
  const int which = ControlBar ? SB_CTL : Bar.Vertical ? SB_VERT : SB_HORZ;
  UpdateThumb(Bar);
  const TScrollInfo info{Bar.Info.nMin, Bar.Info.nMax, static_cast<int>(Bar.Info.nPage),
                         Bar.Info.nPos};
  const TThumbGeometry startThumb = Bar.Thumb;
  const int startAlong = Along(Bar, Start);
  int value = info.Pos;

  PressedPart = PressedPartOfHit(shThumb, Bar.Vertical);
  FHotBar = nullptr;
  FHot = shNone;
  Tracking = true;
  SetCapture(wnd);
  PaintBarsNow();

  auto finish = [&] {
    Tracking = false;
    Scroll(Bar, SB_THUMBPOSITION, value);
    if (!*alive || !IsWindow(wnd)) return;
    if (ControlBar) {
      HWND parent = GetParent(wnd);
      if (parent)
        PostMessageW(parent, Bar.Vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0),
                     reinterpret_cast<LPARAM>(wnd));
      PressedPart = ppNone;
    } else {
      PostMessageW(wnd, Bar.Vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    }
    PaintBarsNow();
  };

  while (Tracking) {
    MSG msg;
    while (Tracking && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        if (GetCapture() == wnd) ReleaseCapture();
        finish();
        return;
      }
      if (msg.hwnd == wnd && IsMouseMove(msg.message)) {
        const TThumbDrag drag =
            ThumbDragOf(info, startThumb, startThumb.ThumbPos, Along(Bar, msg.pt) - startAlong);
        if (drag.Value == value && drag.ThumbPos == Bar.Thumb.ThumbPos) continue;
        Bar.Thumb.ThumbPos = drag.ThumbPos;
        if (drag.Value != value) {
          value = drag.Value;
          SCROLLINFO si{};
          si.cbSize = sizeof si;
          si.fMask = SIF_POS;
          si.nPos = value;
          SetScrollInfo(wnd, which, &si, FALSE);
          Scroll(Bar, SB_THUMBTRACK, value);
          if (!*alive || !IsWindow(wnd)) return;
        }
        PaintBarsNow();
        continue;
      }
      if (msg.hwnd == wnd && IsButtonUp(msg.message)) {
        if (GetCapture() == wnd) ReleaseCapture();
        finish();
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (!*alive || !IsWindow(wnd)) return;
    }
    if (GetCapture() != wnd) {
      // Another window took the mouse: the drag ends where it stands.
      finish();
      return;
    }
    WaitMessage();
  }
}
