// A scroll-bar control in the skin's look: one bar over the whole control, painted by
// the skin in the control's paint, operated by the skin, and reported to the control's
// parent as the control itself would.
#include "skin/widgets/SkinScrollBar.h"

using namespace vpn::skin;

namespace {

// The signed point a mouse message carries.
POINT PointOf(LPARAM lp) {
  return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

}  // namespace

void TSkinScrollBarControl::AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) {
  if (FAttached) return;
  TSkinControl::AttachHandle(AWindow, ASkinData, ACanvas);
  if (!FAttached) return;
  FEnabled = IsWindowEnabled(FWindow) != FALSE;
  InvalidateRect(FWindow, nullptr, TRUE);
}

bool TSkinScrollBarControl::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m) || RepaintMessage(m)) return true;
  if (!HasPictures()) return false;
  switch (m.Msg) {
    case WM_NCCALCSIZE:
      CallOld(m);
      return true;
    case WM_PAINT: {
      TPaintDC dc(FWindow);
      if (dc.Get()) PaintBars(dc.Get());
      m.Result = 0;
      return true;
    }
    case WM_ERASEBKGND:
      m.Result = 1;
      return true;
    case SBM_SETSCROLLINFO:
    case SBM_SETPOS:
    case SBM_SETRANGEREDRAW:
      QuietState(m);
      return true;
    default:
      return MouseMessage(m);
  }
}

void TSkinScrollBarControl::QuietState(TMessage& m) {
  // A scroll-bar control told to show its new state would draw its own look first: it
  // takes the state quietly and the skin shows it.
  TMessage own = m;
  if (m.Msg == SBM_SETSCROLLINFO) own.WParam = FALSE;
  if (m.Msg == SBM_SETPOS) own.LParam = FALSE;
  if (m.Msg == SBM_SETRANGEREDRAW) own.Msg = SBM_SETRANGE;
  CallOld(own);
  m.Result = own.Result;
  RepaintWhenChanged(true);
}

bool TSkinScrollBarControl::MouseMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_NCMOUSEMOVE:
      SetHot(nullptr, shNone);
      return false;
    case WM_MOUSEMOVE: {
      POINT p = PointOf(m.LParam);
      ClientToScreen(FWindow, &p);
      Layout();
      SetHot(&FVert, HitAt(FVert, p));
      return false;
    }
    case WM_NCMOUSELEAVE:
    case WM_MOUSELEAVE:
      // The system would redraw its own bar to show the mouse gone; the skin does.
      SetHot(nullptr, shNone);
      m.Result = 0;
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      POINT p = PointOf(m.LParam);
      ClientToScreen(FWindow, &p);
      if ((GetWindowLongPtrW(FWindow, GWL_STYLE) & WS_TABSTOP) && GetFocus() != FWindow)
        SetFocus(FWindow);
      if (!Press(p)) return false;
      m.Result = 0;
      return true;
    }
    default:
      return false;
  }
}

void TSkinScrollBarControl::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_PRINT:
    case WM_PAINT:
      // Painted before (or by the system when the skin has no bar pictures).
      return;
    default:
      TSkinBars::AfterMessage(m);
      return;
  }
}

void TSkinScrollBarControl::ReadScrollState(TPainted& State) const {
  GetScrollInfo(FWindow, SB_CTL, &State.V);
}

bool TSkinScrollBarControl::Layout() {
  if (!FWindow) return false;
  // The whole control is one bar, standing when SBS_VERT is set.
  FVert.ArrowSize = GetSystemMetrics(SM_CXHSCROLL);
  FVert.Vertical = (GetWindowLongPtrW(FWindow, GWL_STYLE) & SBS_VERT) != 0;
  RECT c{};
  GetClientRect(FWindow, &c);
  FVert.BarRect = c;
  FHorz.BarRect = FCornerRect = RECT{};
  return c.right > c.left && c.bottom > c.top;
}

int TSkinScrollBarControl::BarKind(const TBar&) const {
  return SB_CTL;
}

LONG TSkinScrollBarControl::BarObject(const TBar&) const {
  return OBJID_CLIENT;
}

POINT TSkinScrollBarControl::Origin() const {
  POINT o{0, 0};
  ClientToScreen(FWindow, &o);
  return o;
}

void TSkinScrollBarControl::Notify(const TBar& Bar, int Code, int Pos, bool Post) {
  // A scroll-bar control tells its parent, naming itself.
  const UINT msg = Bar.Vertical ? WM_VSCROLL : WM_HSCROLL;
  const WPARAM w = MAKEWPARAM(static_cast<WORD>(Code), static_cast<WORD>(Pos));
  const auto from = reinterpret_cast<LPARAM>(FWindow);
  if (HWND parent = GetParent(FWindow); parent && Post)
    PostMessageW(parent, msg, w, from);
  else if (parent)
    SendMessageW(parent, msg, w, from);
  // The control hears nothing of its own scroll messages: the end of a drag lets go of
  // the thumb here.
  if (Post && Code == SB_ENDSCROLL) FPressedPart = ppNone;
}

void TSkinScrollBarControl::ShowBars() {
  if (!FWindow || !IsWindow(FWindow)) return;
  TWindowDC dc(FWindow);
  PaintBars(dc.Get());
}
