#include "skin/widgets/SkinUpDown.h"

#include <commctrl.h>

#include "framework/Graphics.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"

using namespace vpn::skin;

namespace {

RECT ToRect(const TPixelRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

// Arrow directions of the plain look.
enum { adUp, adDown, adLeft, adRight };

}  // namespace

TUpDownLayout TSkinUpDown::Layout() const {
  RECT c{};
  GetClientRect(FWindow, &c);
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(FWindow, &p);
  const bool inside = PtInRect(&c, p) != FALSE;
  const bool horizontal = (GetWindowLongPtrW(FWindow, GWL_STYLE) & UDS_HORZ) != 0;
  return UpDownLayoutOf(c.right, c.bottom, horizontal, FBuddy, inside, p.x, p.y,
                        (FButtonState & bsPressed) != 0, (FButtonState & bsHot) != 0,
                        IsWindowEnabled(FWindow) != FALSE);
}

bool TSkinUpDown::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m)) return true;
  switch (m.Msg) {
    case WM_PAINT:
      Paint(reinterpret_cast<HDC>(m.WParam));
      m.Result = 0;
      return true;
    case WM_ERASEBKGND:
      m.Result = 1;
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The control steps its value first; the skin then shows the half pressed.
      CallOld(m);
      if (IsWindowEnabled(FWindow)) FButtonState |= bsPressed;
      RepaintNow();
      return true;
    case WM_LBUTTONUP:
      FButtonState &= ~bsPressed;
      CallOld(m);
      RepaintNow();
      return true;
    default:
      return false;
  }
}

void TSkinUpDown::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEMOVE: {
      if (!(FButtonState & bsHot) && IsWindowEnabled(FWindow)) {
        FButtonState |= bsHot;
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, FWindow, 0};
        TrackMouseEvent(&t);
      }
      // Moving from one half to the other changes what both show.
      const TUpDownLayout l = Layout();
      if (l.First.Frame != FShownFirst || l.Second.Frame != FShownSecond) RepaintNow();
      return;
    }
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
      FButtonState &= ~bsHot;
      RepaintNow();
      return;
    case WM_CAPTURECHANGED:
      if ((FButtonState & bsPressed) && reinterpret_cast<HWND>(m.LParam) != FWindow) {
        FButtonState &= ~bsPressed;
        RepaintNow();
      }
      return;
    case WM_PAINT:
      return;  // painted in BeforeMessage
    default:
      TSkinControl::AfterMessage(m);
      return;
  }
}

void TSkinUpDown::Paint(HDC DC) {
  if (DC) {
    RECT c{};
    GetClientRect(FWindow, &c);
    DrawControl(DC, c);
    return;
  }
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(FWindow, &ps);
  if (dc) {
    RECT c{};
    GetClientRect(FWindow, &c);
    DrawControl(dc, c);
  }
  EndPaint(FWindow, &ps);
}

void TSkinUpDown::DrawPlainHalf(HDC DC, const TUpDownHalf& half, int direction) {
  const TSkinColours& colours = FSkinData->Colours;
  auto brushOf = [](TColor c) { return ColorBrush(static_cast<TColor>(TSkinData::ColorToRGB(c))); };
  const bool down = half.Frame == sfPressed || half.Frame == sfHot;
  const RECT r = ToRect(half.Rect);
  FillRect(DC, &r, brushOf(down ? colours.ButtonShadow : colours.ButtonFace));
  FrameRect(DC, &r, brushOf(colours.ButtonDkShadow));
  // A small arrow of three strokes, each one pixel thick, in the text colour (the shadow
  // colour when disabled).
  HBRUSH ink = brushOf(half.Frame == sfDisabled ? colours.ButtonShadow : colours.ButtonText);
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (int i = 0; i < 3; ++i) {
    RECT stroke{};
    switch (direction) {
      case adUp:
        stroke = {cx - i, cy - 1 + i, cx + i + 1, cy + i};
        break;
      case adDown:
        stroke = {cx - i, cy + 1 - i, cx + i + 1, cy + 2 - i};
        break;
      case adLeft:
        stroke = {cx - 1 + i, cy - i, cx + i, cy + i + 1};
        break;
      default:
        stroke = {cx + 1 - i, cy - i, cx + 2 - i, cy + i + 1};
        break;
    }
    FillRect(DC, &stroke, ink);
  }
}

void TSkinUpDown::DrawControl(HDC DC, const RECT& Rect) {
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  HDC off = FCanvas ? FCanvas->Prepare(w, h) : nullptr;
  if (!off || !FSkinData) return;
  ++FPaints;
  const RECT all{0, 0, w, h};
  FillBackground(off, all);
  const TUpDownLayout l = Layout();
  FShownFirst = l.First.Frame;
  FShownSecond = l.Second.Frame;
  const bool horizontal = (GetWindowLongPtrW(FWindow, GWL_STYLE) & UDS_HORZ) != 0;
  TDataSkinBorder* e = horizontal ? FSkinData->UpDownHorz.get() : FSkinData->UpDownVert.get();
  if (e && !e->Bitmap.Empty() && !e->Bitmap2.Empty()) {
    const int n = e->FrameCount;
    const int gw = e->Bitmap2.Width / n, gh = e->Bitmap2.Height;
    for (const TUpDownHalf* half : {&l.First, &l.Second}) {
      if (half->FaceFrame > n) continue;
      DrawFrame(off, ToRect(half->Rect), SkinBitmapOf(e->Bitmap), true, n, half->FaceFrame);
      DrawFrame(off, ToRect(CentredIn(half->Rect, gw, gh)), SkinBitmapOf(e->Bitmap2), true, n,
                half->FaceFrame);
    }
  } else {
    DrawPlainHalf(off, l.First, horizontal ? adLeft : adUp);
    DrawPlainHalf(off, l.Second, horizontal ? adRight : adDown);
  }
  BitBlt(DC, Rect.left, Rect.top, w, h, off, 0, 0, SRCCOPY);
}
