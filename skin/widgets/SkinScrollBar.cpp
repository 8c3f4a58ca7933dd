// The skinned bars of a scrolling control: laid out in its frame, painted after the
// control has drawn its frame around them, and operated by the skin.
#include "skin/widgets/SkinScrollBar.h"

#include "skin/SkinData.h"

using namespace vpn::skin;

namespace {

bool HasArea(const RECT& r) {
  return r.right > r.left && r.bottom > r.top;
}

// The signed point a mouse message carries.
POINT PointOf(LPARAM lp) {
  return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

RECT RectOf(const TPixelRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

}  // namespace

void TSkinScrollBar::Attach(TControl* AControl, TSkinData* ASkinData, bool AOperate,
                            TSkinCanvas* ACanvas) {
  if (FAttached) return;
  // The bars take nothing of the control's colour.
  TSkinControl::Attach(AControl, ASkinData, false, ACanvas);
  if (!FAttached) return;
  FOperate = AOperate;
  FTracking = FScrollingV = FScrollingH = false;
  if (FWindow) FrameChanged();
}

void TSkinScrollBar::AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) {
  if (FAttached) return;
  TSkinControl::AttachHandle(AWindow, ASkinData, ACanvas);
  if (!FAttached) return;
  FOperate = true;
  FEnabled = IsWindowEnabled(FWindow) != FALSE;
  FrameChanged();
}

void TSkinScrollBar::FrameChanged() {
  // The frame is worked out and drawn anew with the skin in front of it.
  SetWindowPos(
      FWindow, nullptr, 0, 0, 0, 0,
      SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RedrawWindow(FWindow, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

bool TSkinScrollBar::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m) || RepaintMessage(m)) return true;
  if (!HasPictures()) return false;
  switch (m.Msg) {
    case WM_NCCALCSIZE:
      // Straight to the control: the bars keep the room the system gives them.
      CallOld(m);
      return true;
    case WM_NCPAINT:
      if (!Layout()) return false;
      PaintFrame(m);
      return true;
    case WM_HSCROLL:
    case WM_VSCROLL:
      OwnScroll(m);
      return true;
    default:
      return MouseMessage(m);
  }
}

void TSkinScrollBar::PaintFrame(TMessage& m) {
  // The control draws its frame everywhere but under the bars, which the skin then
  // draws: the system's own bars never show for a moment.
  RECT wr{};
  GetWindowRect(FWindow, &wr);
  TRegionHandle bars(CreateRectRgn(0, 0, 0, 0));
  for (const RECT* r : {&FHorz.BarRect, &FVert.BarRect, &FCornerRect}) {
    if (!HasArea(*r)) continue;
    TRegionHandle part(
        CreateRectRgn(wr.left + r->left, wr.top + r->top, wr.left + r->right, wr.top + r->bottom));
    CombineRgn(bars.Get(), bars.Get(), part.Get(), RGN_OR);
  }
  TRegionHandle clip(CreateRectRgnIndirect(&wr));
  if (m.WParam > 1) CombineRgn(clip.Get(), reinterpret_cast<HRGN>(m.WParam), clip.Get(), RGN_AND);
  CombineRgn(clip.Get(), clip.Get(), bars.Get(), RGN_DIFF);
  TMessage own{m.Msg, reinterpret_cast<WPARAM>(clip.Get()), m.LParam, 0};
  CallOld(own);
  m.Result = own.Result;
  ShowBars();
}

void TSkinScrollBar::OwnScroll(TMessage& m) {
  const bool vertical = m.Msg == WM_VSCROLL;
  FPressedPart = PressedPartOf(LOWORD(m.WParam), vertical);
  bool& scrolling = vertical ? FScrollingV : FScrollingH;
  // The flag goes back even when the control's handling fails.
  struct TScrolling {
    bool& Flag;
    ~TScrolling() { Flag = false; }
  } inside{scrolling};
  scrolling = true;
  CallOld(m);
  scrolling = false;
  ShowBars();
}

bool TSkinScrollBar::MouseMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_NCMOUSEMOVE:
      if (m.WParam == HTHSCROLL || m.WParam == HTVSCROLL) {
        const POINT p = PointOf(m.LParam);
        TBar* bar = BarAt(p);
        SetHot(bar, bar ? HitAt(*bar, p) : shNone);
        m.Result = 0;
        return true;
      }
      SetHot(nullptr, shNone);
      return false;
    case WM_MOUSEMOVE:
      SetHot(nullptr, shNone);
      return false;
    case WM_NCMOUSELEAVE:
      // The system would redraw its own bar to show the mouse gone; the skin does.
      SetHot(nullptr, shNone);
      m.Result = 0;
      return true;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (!FOperate || (m.WParam != HTHSCROLL && m.WParam != HTVSCROLL)) return false;
      if (!Press(PointOf(m.LParam))) return false;
      m.Result = 0;
      return true;
    default:
      return false;
  }
}

void TSkinScrollBar::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_PRINT:
      if (m.WParam && (m.LParam & PRF_NONCLIENT) && HasPictures())
        PaintBars(reinterpret_cast<HDC>(m.WParam));
      return;
    case WM_PAINT:
      // A control's own paint leaves its bars alone.
      return;
    default:
      TSkinBars::AfterMessage(m);
      return;
  }
}

void TSkinScrollBar::ReadScrollState(TPainted& State) const {
  if (State.Style & WS_HSCROLL) GetScrollInfo(FWindow, SB_HORZ, &State.H);
  if (State.Style & WS_VSCROLL) GetScrollInfo(FWindow, SB_VERT, &State.V);
}

bool TSkinScrollBar::Layout() {
  if (!FWindow) return false;
  LONG_PTR style = GetWindowLongPtrW(FWindow, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(FWindow, GWL_EXSTYLE);
  const int arrow = GetSystemMetrics(SM_CXHSCROLL);
  FHorz.ArrowSize = FVert.ArrowSize = arrow;
  FHorz.Vertical = false;
  FVert.Vertical = true;
  // A bar whose control is inside its own scroll handling still counts as there.
  if (FScrollingH) style |= WS_HSCROLL;
  if (FScrollingV) style |= WS_VSCROLL;
  const bool horz = (style & WS_HSCROLL) != 0, vert = (style & WS_VSCROLL) != 0;
  RECT w{}, c{};
  if (!GetWindowRect(FWindow, &w) || !GetClientRect(FWindow, &c)) return false;
  const int width = w.right - w.left, height = w.bottom - w.top;
  if ((!horz && !vert) || width > 10000 || height > 10000) return false;
  const TScrollBarsLayout l =
      ScrollBarsLayoutOf(width, height, c.right, c.bottom, arrow, GetSystemMetrics(SM_CXEDGE), horz,
                         vert, (exStyle & WS_EX_LEFTSCROLLBAR) != 0);
  FHorz.BarRect = RectOf(l.Horz);
  FVert.BarRect = RectOf(l.Vert);
  FCornerRect = RectOf(l.Corner);
  return true;
}

int TSkinScrollBar::BarKind(const TBar& Bar) const {
  return Bar.Vertical ? SB_VERT : SB_HORZ;
}

LONG TSkinScrollBar::BarObject(const TBar& Bar) const {
  return Bar.Vertical ? OBJID_VSCROLL : OBJID_HSCROLL;
}

POINT TSkinScrollBar::Origin() const {
  RECT w{};
  GetWindowRect(FWindow, &w);
  return {w.left, w.top};
}

void TSkinScrollBar::Notify(const TBar& Bar, int Code, int Pos, bool Post) {
  // A control's own bars tell the control.
  const UINT msg = Bar.Vertical ? WM_VSCROLL : WM_HSCROLL;
  const WPARAM w = MAKEWPARAM(static_cast<WORD>(Code), static_cast<WORD>(Pos));
  if (Post)
    PostMessageW(FWindow, msg, w, 0);
  else
    SendMessageW(FWindow, msg, w, 0);
}

void TSkinScrollBar::ShowBars() {
  if (!FWindow || !IsWindow(FWindow)) return;
  TWindowDC dc(FWindow, true);
  PaintBars(dc.Get());
}
