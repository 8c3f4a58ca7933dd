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

// The scroll code of a press on a part of the bar; -1 for no part that scrolls.
int ScrollCodeOf(TScrollHit Hit) {
  switch (Hit) {
    case shLineUp:
      return SB_LINEUP;
    case shPageUp:
      return SB_PAGEUP;
    case shPageDown:
      return SB_PAGEDOWN;
    case shLineDown:
      return SB_LINEDOWN;
    default:
      return -1;
  }
}

// What became of a press loop after it handled a message.
enum TLoopStep { lsGoOn, lsReleased, lsGone };

}  // namespace

int TSkinBars::Along(const TBar& Bar, POINT Screen) const {
  const POINT o = Origin();
  return Bar.Vertical ? Screen.y - (o.y + Bar.BarRect.top) : Screen.x - (o.x + Bar.BarRect.left);
}

TScrollHit TSkinBars::HitAt(const TBar& Bar, POINT Screen) const {
  const POINT o = Origin();
  const RECT& r = Bar.BarRect;
  const RECT onScreen{o.x + r.left, o.y + r.top, o.x + r.right, o.y + r.bottom};
  if (!PtInRect(&onScreen, Screen)) return shNone;
  const int length = Bar.Vertical ? r.bottom - r.top : r.right - r.left;
  // A bar too short for two arrows has two arrows of half its length.
  const int arrow = length < 2 * Bar.ArrowSize ? length / 2 : Bar.ArrowSize;
  TThumbGeometry thumb = Bar.Thumb;
  if (arrow < Bar.ArrowSize) thumb = {0, 0, 0};
  return ScrollHitAt(Along(Bar, Screen), arrow, thumb);
}

TSkinBars::TBar* TSkinBars::BarAt(POINT Screen) {
  if (!Layout()) return nullptr;
  for (TBar* bar : {&FVert, &FHorz}) {
    const RECT& r = bar->BarRect;
    if (r.right <= r.left || r.bottom <= r.top) continue;
    UpdateThumb(*bar);
    if (HitAt(*bar, Screen) != shNone) return bar;
  }
  return nullptr;
}

void TSkinBars::SetHot(TBar* Bar, TScrollHit Hit) {
  if (FTracking) return;
  if (Hit == shNone) Bar = nullptr;
  if (Bar == FHotBar && Hit == FHot) return;
  FHotBar = Bar;
  FHot = Hit;
  if (Bar) WatchLeave();
  ShowBars();
}

void TSkinBars::WatchLeave() {
  TRACKMOUSEEVENT t{};
  t.cbSize = sizeof t;
  t.dwFlags = LeaveFlags();
  t.hwndTrack = FWindow;
  TrackMouseEvent(&t);
}

bool TSkinBars::Press(POINT Screen) {
  if (!HasPictures() || FTracking) return false;
  TBar* bar = BarAt(Screen);
  if (!bar) return false;
  const TScrollHit hit = HitAt(*bar, Screen);
  // A bar with nothing to scroll takes the press and does nothing.
  if (BarDisabled(*bar)) return true;
  if (hit == shThumb)
    DragThumb(*bar, Screen);
  else
    RepeatPress(*bar, hit);
  return true;
}

void TSkinBars::RepeatPress(TBar& Bar, TScrollHit Hit) {
  const int code = ScrollCodeOf(Hit);
  if (code < 0) return;
  const std::shared_ptr<bool> alive = FAlive;
  const HWND wnd = FWindow;
  const TPressedPart held = PressedPartOfHit(Hit, Bar.Vertical);
  FHotBar = nullptr;
  FHot = shNone;
  SetCapture(wnd);
  FPressedPart = held;
  Notify(Bar, code, 0, false);
  if (!*alive) return;
  FPressedPart = held;
  ShowBars();

  POINT cursor{};
  GetCursorPos(&cursor);
  DWORD next = GetTickCount() + kRepeatDelayMs;
  for (;;) {
    // The mouse's messages for the bar are the loop's; everything else goes its way.
    TLoopStep step = lsGoOn;
    MSG msg;
    while (step == lsGoOn && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        step = lsReleased;
      } else if ((msg.hwnd == wnd && IsButtonUp(msg.message)) ||
                 (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)) {
        step = lsReleased;
      } else if (msg.hwnd == wnd && IsMouseMove(msg.message)) {
        cursor = msg.pt;
      } else {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (!*alive || !IsWindow(wnd)) return;
    }
    if (step == lsReleased || GetCapture() != wnd) break;
    const DWORD now = GetTickCount();
    if (static_cast<int>(now - next) >= 0) {
      // The part repeats while the mouse stays on it; a page area stops once the thumb
      // has come under the mouse.
      Layout();
      UpdateThumb(Bar);
      const bool on = HitAt(Bar, cursor) == Hit;
      if (on) Notify(Bar, code, 0, false);
      if (!*alive) return;
      FPressedPart = on ? held : ppNone;
      ShowBars();
      next = now + kRepeatEveryMs;
    }
    const DWORD wait = std::min<DWORD>(kRepeatDelayMs, std::max<int>(0, next - GetTickCount()));
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  }
  if (GetCapture() == wnd) ReleaseCapture();
  Notify(Bar, SB_ENDSCROLL, 0, false);
  if (!*alive) return;
  FPressedPart = ppNone;
  ShowBars();
}

void TSkinBars::EndDrag(TBar& Bar, int Value) {
  const std::shared_ptr<bool> alive = FAlive;
  const HWND wnd = FWindow;
  FTracking = false;
  Notify(Bar, SB_THUMBPOSITION, Value, false);
  if (!*alive || !IsWindow(wnd)) return;
  Notify(Bar, SB_ENDSCROLL, 0, true);
  ShowBars();
}

void TSkinBars::DragThumb(TBar& Bar, POINT Start) {
  const std::shared_ptr<bool> alive = FAlive;
  const HWND wnd = FWindow;
  UpdateThumb(Bar);
  const TScrollInfo info{Bar.Info.nMin, Bar.Info.nMax, static_cast<int>(Bar.Info.nPage),
                         Bar.Info.nPos};
  const TThumbGeometry startThumb = Bar.Thumb;
  const int startAlong = Along(Bar, Start);
  int value = info.Pos;
  FPressedPart = PressedPartOfHit(shThumb, Bar.Vertical);
  FHotBar = nullptr;
  FHot = shNone;
  FTracking = true;
  SetCapture(wnd);
  ShowBars();

  // A move of the mouse takes the thumb along; true while the object and window live.
  auto move = [&](POINT At) {
    const TThumbDrag drag =
        ThumbDragOf(info, startThumb, startThumb.ThumbPos, Along(Bar, At) - startAlong);
    if (drag.Value == value && drag.ThumbPos == Bar.Thumb.ThumbPos) return true;
    Bar.Thumb.ThumbPos = drag.ThumbPos;
    if (drag.Value != value) {
      value = drag.Value;
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_POS;
      si.nPos = value;
      SetScrollInfo(wnd, BarKind(Bar), &si, FALSE);
      Notify(Bar, SB_THUMBTRACK, value, false);
      if (!*alive || !IsWindow(wnd)) return false;
    }
    ShowBars();
    return true;
  };
  while (FTracking) {
    MSG msg;
    while (FTracking && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));
      if (msg.message == WM_QUIT || (msg.hwnd == wnd && IsButtonUp(msg.message))) {
        if (GetCapture() == wnd) ReleaseCapture();
        EndDrag(Bar, value);
        return;
      }
      if (msg.hwnd == wnd && IsMouseMove(msg.message)) {
        if (!move(msg.pt)) return;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (!*alive || !IsWindow(wnd)) return;
    }
    if (GetCapture() != wnd) {
      // Another window took the mouse: the drag ends where it stands.
      EndDrag(Bar, value);
      return;
    }
    WaitMessage();
  }
}
