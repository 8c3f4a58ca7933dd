// The bar painter and what the skinned bars keep between paints: the bars' thumbs, the
// state they showed, and the repaint when that state changes.
#include <algorithm>

#include "framework/Controls.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"
#include "skin/widgets/SkinScrollBar.h"

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

RECT RectOf(const TPixelRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

}  // namespace

// ---------------------------------------------------------------- TScrollBarPainter

void TScrollBarPainter::SkinChanged() {
  FTrackBrush.Reset();
  FTrackColour = CLR_INVALID;
}

void TScrollBarPainter::Paint(HDC DC, const RECT& r, bool Vertical, int ArrowSize,
                              const TThumbGeometry& Thumb, const TBarLook& Look, TSkinData* Skin,
                              TSkinCanvas* Canvas) {
  const int length = Vertical ? r.bottom - r.top : r.right - r.left;
  const int bw = Vertical ? kBarThickness : length, bh = Vertical ? length : kBarThickness;
  HDC off = Canvas ? Canvas->Prepare(bw, bh) : nullptr;
  if (!off) return;
  const COLORREF colour = TSkinData::ColorToRGB(Skin->Colours.Scrollbar);
  if (!FTrackBrush || colour != FTrackColour) {
    FTrackBrush.Reset(CreateSolidBrush(colour));
    FTrackColour = colour;
  }
  const RECT all{0, 0, bw, bh};
  FillRect(off, &all, FTrackBrush.Get());
  SetStretchBltMode(off, COLORONCOLOR);
  const TScrollBarPieces p =
      ScrollBarPiecesOf(length, kBarThickness, Vertical, ArrowSize, Thumb, Look);

  TDataSkinObject* track = Vertical ? Skin->VertScroll.get() : Skin->HorzScroll.get();
  if (track && !track->Bitmap.Empty() && p.Track.HasArea())
    DrawNineSlice(off, RectOf(p.Track), SkinBitmapOf(track->Bitmap), false, track->Tile == 1,
                  track->Trans == 1, std::max(1, track->FrameCount), 1, ElementMargins(*track));
  TDataSkinObject* arrows = Skin->Scrollbar.get();
  const int arrowFrames = std::max(1, arrows->FrameCount);
  HBITMAP strip = SkinBitmapOf(arrows->Bitmap);
  DrawFrame(off, RectOf(p.FirstArrow), strip, true, arrowFrames,
            std::min(p.FirstArrowFrame, arrowFrames));
  DrawFrame(off, RectOf(p.SecondArrow), strip, true, arrowFrames,
            std::min(p.SecondArrowFrame, arrowFrames));
  TDataSkinObject* thumb = Vertical ? Skin->VertScrollThumb.get() : Skin->HorzScrollThumb.get();
  if (p.ThumbShown && thumb && !thumb->Bitmap.Empty()) {
    const int frames = std::max(1, thumb->FrameCount);
    DrawNineSlice(off, RectOf(p.Thumb), SkinBitmapOf(thumb->Bitmap), false, false,
                  thumb->Trans == 1, frames, std::min(p.ThumbFrame, frames),
                  ElementMargins(*thumb));
  }
  SetStretchBltMode(DC, COLORONCOLOR);
  StretchBlt(DC, r.left, r.top, r.right - r.left, r.bottom - r.top, off, 0, 0, bw, bh, SRCCOPY);
}

// ---------------------------------------------------------------- TSkinBars

bool TSkinBars::TPainted::operator==(const TPainted& o) const {
  return Style == o.Style && Enabled == o.Enabled && SameInfo(H, o.H) && SameInfo(V, o.V);
}

TSkinBars::~TSkinBars() {
  *FAlive = false;
  // The base's destructor would only detach as a base: the frame is given back here.
  Detach();
}

void TSkinBars::Detach() {
  const HWND wnd = FWindow;
  const bool attached = FAttached;
  TSkinControl::Detach();
  if (attached && !FDestroying && wnd && IsWindow(wnd))
    RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

bool TSkinBars::HasPictures() const {
  return FSkinData && FSkinData->Scrollbar && !FSkinData->Scrollbar->Bitmap.Empty();
}

void TSkinBars::SkinChanged() {
  FPainter.SkinChanged();
  if (FWindow) RedrawWindow(FWindow, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TSkinBars::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_NCDESTROY:
      FDestroying = true;
      TSkinControl::AfterMessage(m);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
      ReadState();
      StateChanged();
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

TSkinBars::TPainted TSkinBars::Current() const {
  TPainted p;
  if (!FWindow) return p;
  p.Style = GetWindowLongPtrW(FWindow, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL | WS_DISABLED);
  p.Enabled = IsWindowEnabled(FWindow) != FALSE;
  p.H.cbSize = p.V.cbSize = sizeof(SCROLLINFO);
  p.H.fMask = p.V.fMask = SIF_ALL;
  ReadScrollState(p);
  return p;
}

bool TSkinBars::RepaintMessage(TMessage& m) {
  if (m.Msg != PM_REPAINTBARS) return false;
  FRepaintPosted = false;
  RepaintWhenChanged(true);
  m.Result = 0;
  return true;
}

void TSkinBars::RepaintWhenChanged(bool Now) {
  if (!FAttached || !FWindow || FPainting || FChecking || FTracking || !HasPictures()) return;
  if (!IsWindow(FWindow)) return;
  // A scroll-bar control answers the reading of its state with messages of its own,
  // which come back here.
  FChecking = true;
  const bool same = Current() == FPainted;
  FChecking = false;
  if (same) return;
  if (Now) {
    ShowChanged();
  } else if (!FRepaintPosted) {
    // Many changes in a row (a list filled line by line) give one repaint.
    FRepaintPosted = PostMessageW(FWindow, PM_REPAINTBARS, 0, 0) != FALSE;
  }
}

void TSkinBars::UpdateThumb(TBar& Bar) {
  if (FTracking) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(FWindow, BarKind(Bar), &si)) return;
  Bar.Info = si;
  const RECT& r = Bar.BarRect;
  const int length = Bar.Vertical ? r.bottom - r.top : r.right - r.left;
  const TThumbMetrics metrics{Bar.ArrowSize, 8, GetSystemMetrics(SM_CXHTHUMB)};
  Bar.Thumb = ThumbGeometryOf(Bar.Thumb, length,
                              {si.nMin, si.nMax, static_cast<int>(si.nPage), si.nPos}, metrics);
}

bool TSkinBars::BarDisabled(const TBar& Bar) const {
  if (!IsWindowEnabled(FWindow)) return true;
  const int64_t range = int64_t{Bar.Info.nMax} - Bar.Info.nMin;
  // Content that fits leaves nothing to scroll: the bar shows that instead of a thumb.
  if (range <= 0 || (Bar.Info.nPage != 0 && int64_t{Bar.Info.nPage} > range)) return true;
  SCROLLBARINFO sbi{};
  sbi.cbSize = sizeof sbi;
  return GetScrollBarInfo(FWindow, BarObject(Bar), &sbi) &&
         (sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
}

void TSkinBars::PaintBars(HDC DC) {
  if (!HasPictures() || !DC || FPainting) return;
  FPainting = true;
  // A failed paint is reported and leaves the bars as the system drew them.
  GuardedCall([&] {
    if (Layout()) {
      ++FPaints;
      for (TBar* bar : {&FHorz, &FVert}) {
        const RECT& r = bar->BarRect;
        const int length = bar->Vertical ? r.bottom - r.top : r.right - r.left;
        const bool scrolling = bar->Vertical ? FScrollingV : FScrollingH;
        if (!HasArea(r) || length > 10000 || scrolling) continue;
        UpdateThumb(*bar);
        TBarLook look;
        look.Pressed = FPressedPart;
        look.Hot = FHotBar == bar ? FHot : shNone;
        look.Disabled = BarDisabled(*bar);
        FPainter.Paint(DC, r, bar->Vertical, bar->ArrowSize, bar->Thumb, look, FSkinData, FCanvas);
      }
      if (HasArea(FHorz.BarRect) && HasArea(FVert.BarRect) && HasArea(FCornerRect))
        FillRect(DC, &FCornerRect, FSkinData->FaceBrush());
    }
    // What shows now, bars or none, is what the next change is measured against.
    FPainted = Current();
  });
  FPainting = false;
}

void TSkinBars::DrawControl(HDC DC, const RECT&) {
  PaintBars(DC);
}
