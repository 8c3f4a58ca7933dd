#include "skin/widgets/SkinScrollBar.h"

#include <algorithm>

#include "framework/Controls.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"

using namespace vpn::skin;

namespace {

// Bars are drawn this thick off screen (the skin's bar pictures are) and then stretched
// across the bar's real thickness.
constexpr int kBarThickness = 16;

bool SameInfo(const SCROLLINFO& a, const SCROLLINFO& b) {
  return a.nMin == b.nMin && a.nMax == b.nMax && a.nPage == b.nPage && a.nPos == b.nPos;
}

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

bool TSkinScrollBar::TPainted::operator==(const TPainted& o) const {
  return Style == o.Style && Enabled == o.Enabled && SameInfo(H, o.H) && SameInfo(V, o.V);
}

TSkinScrollBar::~TSkinScrollBar() {
  *FAlive = false;
  // The base's destructor would only detach as a base: the frame is given back here.
  Detach();
}

void TSkinScrollBar::Attach(TControl* AControl, TSkinData* ASkinData, bool AOperate,
                            TSkinCanvas* ACanvas) {
  if (FAttached) return;
  // The bars take nothing of the control's colour.
  TSkinControl::Attach(AControl, ASkinData, false, ACanvas);
  if (!FAttached) return;
  Operate = AOperate;
  Tracking = ScrollingV = ScrollingH = false;
  Horz.Info.cbSize = Vert.Info.cbSize = sizeof(SCROLLINFO);
  // The frame is worked out and drawn anew with the skin in front of it.
  if (FWindow)
    SetWindowPos(
        FWindow, nullptr, 0, 0, 0, 0,
        SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (FWindow) RedrawWindow(FWindow, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TSkinScrollBar::AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) {
  if (FAttached) return;
  TSkinControl::AttachHandle(AWindow, ASkinData, ACanvas);
  if (!FAttached) return;
  wchar_t cls[32] = {};
  GetClassNameW(FWindow, cls, 32);
  ControlBar = _wcsicmp(cls, L"ScrollBar") == 0;
  Operate = true;
  Horz.Info.cbSize = Vert.Info.cbSize = sizeof(SCROLLINFO);
  FEnabled = IsWindowEnabled(FWindow) != FALSE;
  if (ControlBar) {
    InvalidateRect(FWindow, nullptr, TRUE);
  } else {
    SetWindowPos(
        FWindow, nullptr, 0, 0, 0, 0,
        SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RedrawWindow(FWindow, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
  }
}

void TSkinScrollBar::Detach() {
  const HWND wnd = FWindow;
  const bool attached = FAttached;
  TSkinControl::Detach();
  // The frame goes back to the system, bars and all.
  if (attached && !FDestroying && wnd && IsWindow(wnd))
    RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

bool TSkinScrollBar::HasPictures() const {
  return FSkinData && FSkinData->Scrollbar && !FSkinData->Scrollbar->Bitmap.Empty();
}

// ---------------------------------------------------------------- messages

bool TSkinScrollBar::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m)) return true;
  if (m.Msg == PM_REPAINTBARS) {
    FRepaintPosted = false;
    RepaintWhenChanged(true);
    m.Result = 0;
    return true;
  }
  if (!HasPictures()) return false;
  switch (m.Msg) {
    case WM_NCCALCSIZE:
      // Straight to the control: the bars keep the room the system gives them.
      CallOld(m);
      return true;

    case WM_NCPAINT: {
      if (ControlBar || !Layout()) return false;
      // The control draws its frame everywhere but under the bars, which the skin then
      // draws: the system's own bars never show for a moment.
      RECT wr{};
      GetWindowRect(FWindow, &wr);
      TRegionHandle bars(CreateRectRgn(0, 0, 0, 0));
      for (const RECT* r : {&Horz.BarRect, &Vert.BarRect, &CornerRect}) {
        if (!HasArea(*r)) continue;
        TRegionHandle part(CreateRectRgn(wr.left + r->left, wr.top + r->top, wr.left + r->right,
                                         wr.top + r->bottom));
        CombineRgn(bars.Get(), bars.Get(), part.Get(), RGN_OR);
      }
      TRegionHandle clip(CreateRectRgnIndirect(&wr));
      if (m.WParam > 1)
        CombineRgn(clip.Get(), reinterpret_cast<HRGN>(m.WParam), clip.Get(), RGN_AND);
      CombineRgn(clip.Get(), clip.Get(), bars.Get(), RGN_DIFF);
      TMessage own{m.Msg, reinterpret_cast<WPARAM>(clip.Get()), m.LParam, 0};
      CallOld(own);
      m.Result = own.Result;
      PaintBarsNow();
      return true;
    }

    case WM_PAINT:
      if (!ControlBar) return false;
      {
        TPaintDC dc(FWindow);
        if (dc.Get()) PaintBars(dc.Get());
      }
      m.Result = 0;
      return true;

    case WM_ERASEBKGND:
      if (!ControlBar) return false;
      m.Result = 1;
      return true;

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
      if (ControlBar) {
        POINT p = PointOf(m.LParam);
        ClientToScreen(FWindow, &p);
        Layout();
        SetHot(&Vert, HitAt(Vert, p));
      } else {
        SetHot(nullptr, shNone);
      }
      return false;

    case WM_NCMOUSELEAVE:
    case WM_MOUSELEAVE:
      // The system would redraw its own bar to show the mouse gone; the skin does.
      if (m.Msg == WM_MOUSELEAVE && !ControlBar) return false;
      SetHot(nullptr, shNone);
      m.Result = 0;
      return true;

    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (!Operate || ControlBar || (m.WParam != HTHSCROLL && m.WParam != HTVSCROLL)) return false;
      if (Press(PointOf(m.LParam))) {
        m.Result = 0;
        return true;
      }
      return false;

    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!Operate || !ControlBar) return false;
      {
        POINT p = PointOf(m.LParam);
        ClientToScreen(FWindow, &p);
        if ((GetWindowLongPtrW(FWindow, GWL_STYLE) & WS_TABSTOP) && GetFocus() != FWindow)
          SetFocus(FWindow);
        if (Press(p)) {
          m.Result = 0;
          return true;
        }
      }
      return false;

    case SBM_SETSCROLLINFO:
    case SBM_SETPOS:
    case SBM_SETRANGEREDRAW: {
      // A scroll-bar control told to show its new state would draw its own look first:
      // it takes the state quietly and the skin shows it.
      if (!ControlBar) return false;
      TMessage own = m;
      if (m.Msg == SBM_SETSCROLLINFO) own.WParam = FALSE;
      if (m.Msg == SBM_SETPOS) own.LParam = FALSE;
      if (m.Msg == SBM_SETRANGEREDRAW) own.Msg = SBM_SETRANGE;
      CallOld(own);
      m.Result = own.Result;
      RepaintWhenChanged(true);
      return true;
    }

    case WM_HSCROLL:
    case WM_VSCROLL: {
      if (ControlBar) return false;
      const bool vertical = m.Msg == WM_VSCROLL;
      PressedPart = PressedPartOf(LOWORD(m.WParam), vertical);
      bool& scrolling = vertical ? ScrollingV : ScrollingH;
      scrolling = true;
      try {
        CallOld(m);
      } catch (...) {
        scrolling = false;
        throw;
      }
      scrolling = false;
      PaintBarsNow();
      return true;
    }

    default:
      return false;
  }
}

void TSkinScrollBar::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_PRINT:
      if (m.WParam && (m.LParam & PRF_NONCLIENT) && !ControlBar && HasPictures())
        PaintBars(reinterpret_cast<HDC>(m.WParam));
      return;
    case WM_PAINT:
      // A control's own paint leaves its bars alone; a scroll-bar control was painted
      // before (or by the system when the skin has no bar pictures).
      return;
    case WM_NCDESTROY:
      FDestroying = true;
      TSkinControl::AfterMessage(m);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
      ReadState();
      if (ControlBar) {
        RepaintNow();
      } else {
        RepaintWhenChanged(true);
      }
      return;
    case WM_SETTEXT:
      ReadCaption();
      RepaintWhenChanged(false);
      return;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
    case WM_HSCROLL:
    case WM_VSCROLL:
      // What the user does shows at once.
      RepaintWhenChanged(true);
      return;
    default:
      RepaintWhenChanged(false);
      return;
  }
}

TSkinScrollBar::TPainted TSkinScrollBar::Current() const {
  TPainted p;
  if (!FWindow) return p;
  p.Style = GetWindowLongPtrW(FWindow, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL | WS_DISABLED);
  p.Enabled = IsWindowEnabled(FWindow) != FALSE;
  p.H.cbSize = p.V.cbSize = sizeof(SCROLLINFO);
  p.H.fMask = p.V.fMask = SIF_ALL;
  if (ControlBar) {
    GetScrollInfo(FWindow, SB_CTL, &p.V);
  } else {
    if (p.Style & WS_HSCROLL) GetScrollInfo(FWindow, SB_HORZ, &p.H);
    if (p.Style & WS_VSCROLL) GetScrollInfo(FWindow, SB_VERT, &p.V);
  }
  return p;
}

void TSkinScrollBar::RepaintWhenChanged(bool Now) {
  if (!FAttached || !FWindow || FPainting || FChecking || Tracking || !HasPictures()) return;
  if (!IsWindow(FWindow)) return;
  // A scroll-bar control answers the reading of its state with messages of its own,
  // which come back here.
  FChecking = true;
  const bool same = Current() == FPainted;
  FChecking = false;
  if (same) return;
  if (Now) {
    if (ControlBar)
      RepaintNow();
    else
      PaintBarsNow();
  } else if (!FRepaintPosted) {
    // Many changes in a row (a list filled line by line) give one repaint.
    FRepaintPosted = PostMessageW(FWindow, PM_REPAINTBARS, 0, 0) != FALSE;
  }
}

void TSkinScrollBar::SkinChanged() {
  FTrackBrush.Reset();
  FTrackColour = CLR_INVALID;
  if (FWindow) RedrawWindow(FWindow, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

// ---------------------------------------------------------------- layout and painting

bool TSkinScrollBar::Layout() {
  if (!FWindow) return false;
  Style = GetWindowLongPtrW(FWindow, GWL_STYLE);
  ExStyle = GetWindowLongPtrW(FWindow, GWL_EXSTYLE);
  const int arrow = GetSystemMetrics(SM_CXHSCROLL);
  Horz.ArrowSize = Vert.ArrowSize = arrow;
  Horz.StyleBit = WS_HSCROLL;
  Vert.StyleBit = WS_VSCROLL;
  Horz.Vertical = false;
  Vert.Vertical = true;
  if (ControlBar) {
    // The whole control is one bar, standing when SBS_VERT is set.
    RECT c{};
    GetClientRect(FWindow, &c);
    Vert.Vertical = (Style & SBS_VERT) != 0;
    Vert.BarRect = c;
    Horz.BarRect = CornerRect = RECT{};
    return HasArea(c);
  }
  if (ScrollingH) Style |= WS_HSCROLL;
  if (ScrollingV) Style |= WS_VSCROLL;
  const bool horz = (Style & WS_HSCROLL) != 0, vert = (Style & WS_VSCROLL) != 0;
  RECT w{}, c{};
  if (!GetWindowRect(FWindow, &w) || !GetClientRect(FWindow, &c)) return false;
  const int width = w.right - w.left, height = w.bottom - w.top;
  if ((!horz && !vert) || width > 10000 || height > 10000) return false;
  const TScrollBarsLayout l =
      ScrollBarsLayoutOf(width, height, c.right, c.bottom, arrow, GetSystemMetrics(SM_CXEDGE), horz,
                         vert, (ExStyle & WS_EX_LEFTSCROLLBAR) != 0);
  Horz.BarRect = RectOf(l.Horz);
  Vert.BarRect = RectOf(l.Vert);
  CornerRect = RectOf(l.Corner);
  return true;
}

void TSkinScrollBar::UpdateThumb(TBar& Bar) {
  if (Tracking) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  const int which = ControlBar ? SB_CTL : Bar.Vertical ? SB_VERT : SB_HORZ;
  if (!GetScrollInfo(FWindow, which, &si)) return;
  Bar.Info = si;
  const RECT& r = Bar.BarRect;
  const int length = Bar.Vertical ? r.bottom - r.top : r.right - r.left;
  const TThumbMetrics metrics{Bar.ArrowSize, 8, GetSystemMetrics(SM_CXHTHUMB)};
  Bar.Thumb = ThumbGeometryOf(Bar.Thumb, length,
                              {si.nMin, si.nMax, static_cast<int>(si.nPage), si.nPos}, metrics);
}

bool TSkinScrollBar::BarDisabled(const TBar& Bar) const {
  if (!IsWindowEnabled(FWindow)) return true;
  const int64_t range = int64_t{Bar.Info.nMax} - Bar.Info.nMin;
  // Content that fits leaves nothing to scroll: the bar shows that instead of a thumb.
  if (range <= 0 || (Bar.Info.nPage != 0 && int64_t{Bar.Info.nPage} > range)) return true;
  SCROLLBARINFO sbi{};
  sbi.cbSize = sizeof sbi;
  const LONG object = ControlBar ? OBJID_CLIENT : Bar.Vertical ? OBJID_VSCROLL : OBJID_HSCROLL;
  if (GetScrollBarInfo(FWindow, object, &sbi) && (sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE))
    return true;
  return false;
}

void TSkinScrollBar::DrawBar(HDC DC, TBar& Bar) {
  const RECT r = Bar.BarRect;
  const int length = Bar.Vertical ? r.bottom - r.top : r.right - r.left;
  const int thick = Bar.Vertical ? r.right - r.left : r.bottom - r.top;
  if (length <= 0 || thick <= 0 || length > 10000) return;
  const int bw = Bar.Vertical ? kBarThickness : length, bh = Bar.Vertical ? length : kBarThickness;
  HDC off = FCanvas ? FCanvas->Prepare(bw, bh) : nullptr;
  if (!off) return;
  UpdateThumb(Bar);

  const COLORREF colour = TSkinData::ColorToRGB(FSkinData->Colours.Scrollbar);
  if (!FTrackBrush || colour != FTrackColour) {
    FTrackBrush.Reset(CreateSolidBrush(colour));
    FTrackColour = colour;
  }
  const RECT all{0, 0, bw, bh};
  FillRect(off, &all, FTrackBrush.Get());
  SetStretchBltMode(off, COLORONCOLOR);

  TBarLook look;
  look.Pressed = static_cast<TPressedPart>(PressedPart);
  look.Hot = FHotBar == &Bar ? FHot : shNone;
  look.Disabled = BarDisabled(Bar);
  const TScrollBarPieces p =
      ScrollBarPiecesOf(length, kBarThickness, Bar.Vertical, Bar.ArrowSize, Bar.Thumb, look);

  TDataSkinObject* track = Bar.Vertical ? FSkinData->VertScroll.get() : FSkinData->HorzScroll.get();
  if (track && !track->Bitmap.Empty() && p.Track.HasArea())
    DrawNineSlice(off, RectOf(p.Track), SkinBitmapOf(track->Bitmap), false, track->Tile == 1,
                  track->Trans == 1, std::max(1, track->FrameCount), 1, ElementMargins(*track));
  TDataSkinObject* arrows = FSkinData->Scrollbar.get();
  const int arrowFrames = std::max(1, arrows->FrameCount);
  HBITMAP strip = SkinBitmapOf(arrows->Bitmap);
  DrawFrame(off, RectOf(p.FirstArrow), strip, true, arrowFrames,
            std::min(p.FirstArrowFrame, arrowFrames));
  DrawFrame(off, RectOf(p.SecondArrow), strip, true, arrowFrames,
            std::min(p.SecondArrowFrame, arrowFrames));
  TDataSkinObject* thumb =
      Bar.Vertical ? FSkinData->VertScrollThumb.get() : FSkinData->HorzScrollThumb.get();
  if (p.ThumbShown && thumb && !thumb->Bitmap.Empty()) {
    const int frames = std::max(1, thumb->FrameCount);
    DrawNineSlice(off, RectOf(p.Thumb), SkinBitmapOf(thumb->Bitmap), false, false,
                  thumb->Trans == 1, frames, std::min(p.ThumbFrame, frames),
                  ElementMargins(*thumb));
  }
  SetStretchBltMode(DC, COLORONCOLOR);
  StretchBlt(DC, r.left, r.top, r.right - r.left, r.bottom - r.top, off, 0, 0, bw, bh, SRCCOPY);
}

void TSkinScrollBar::PaintBars(HDC DC) {
  if (!HasPictures() || !DC || FPainting) return;
  FPainting = true;
  // A failed paint is reported and leaves the bars as the system drew them.
  GuardedCall([&] {
    if (Layout()) {
      ++FPaints;
      const bool horz = HasArea(Horz.BarRect), vert = HasArea(Vert.BarRect);
      // A bar whose control is inside its own scroll handling is drawn once it is back.
      if (horz && !ScrollingH) DrawBar(DC, Horz);
      if (vert && !ScrollingV) DrawBar(DC, Vert);
      if (horz && vert && HasArea(CornerRect)) FillRect(DC, &CornerRect, FSkinData->FaceBrush());
    }
    // What shows now, bars or none, is what the next change is measured against.
    FPainted = Current();
  });
  FPainting = false;
}

void TSkinScrollBar::PaintBarsNow() {
  if (!FWindow || !IsWindow(FWindow)) return;
  if (ControlBar) {
    TWindowDC dc(FWindow);
    PaintBars(dc.Get());
  } else {
    TWindowDC dc(FWindow, true);
    PaintBars(dc.Get());
  }
}

void TSkinScrollBar::DrawControl(HDC DC, const RECT&) {
  PaintBars(DC);
}
