#include "skin/widgets/SkinComBox.h"

#include <algorithm>

#include "core/skin/SkinValueGeometry.h"
#include "framework/Graphics.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"

using namespace vpn::skin;

namespace {

RECT ToRect(const TPixelRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

}  // namespace

int TSkinComBox::Frame() const {
  return ComboFrameOf(Pressed(), Focused, Hot(), Enabled);
}

void TSkinComBox::SetHot(bool On) {
  if (On == Hot()) return;
  if (On) {
    ButtonState |= bsHot;
    // The system tells the box when the mouse leaves it.
    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, Window, 0};
    TrackMouseEvent(&t);
  } else {
    ButtonState &= ~bsHot;
  }
  RepaintNow();
}

void TSkinComBox::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ButtonState |= bsPressed;
      RepaintNow();
      return;
    case WM_LBUTTONUP:
      ButtonState &= ~bsPressed;
      RepaintNow();
      return;
    case WM_MOUSEMOVE:
    case CM_MOUSEENTER:
      if (Enabled) SetHot(true);
      return;
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
      // Leaving the box for its own drop-down list still counts as leaving.
      SetHot(false);
      return;
    case WM_CAPTURECHANGED:
      // The list closed or another window took the mouse while the button was held.
      if (Pressed() && reinterpret_cast<HWND>(m.LParam) != Window) {
        ButtonState &= ~bsPressed;
        RepaintNow();
      }
      return;
    default:
      TSkinControl::AfterMessage(m);
      return;
  }
}

void TSkinComBox::DrawSimple(HDC DC, const RECT& Rect, int frame) {
  TDataSkinBorder* cb = SkinData->ComboButton.get();
  const TSimpleComboLayout l = SimpleComboLayoutOf(Rect.right - Rect.left, Rect.bottom - Rect.top,
                                                   GetSystemMetrics(SM_CYVTHUMB));
  auto brush = static_cast<HBRUSH>(GetCurrentObject(DC, OBJ_BRUSH));
  const RECT f = ToRect(l.Frame), b = ToRect(l.Button);
  FrameRect(DC, &f, brush);
  FillRect(DC, &b, brush);
  DrawFrame(DC, b, SkinBitmapOf(cb->Bitmap), cb->Trans == 1, cb->FrameCount, frame);
  const auto shadow = static_cast<TColor>(TSkinData::ColorToRGB(SkinData->Colours.ButtonShadow));
  FrameRect(DC, &Rect, ColorBrush(shadow));
}

void TSkinComBox::DrawControl(HDC DC, const RECT& Rect) {
  TDataSkinBorder* cb = SkinData ? SkinData->ComboButton.get() : nullptr;
  if (!cb || cb->Bitmap.Empty()) return;
  ReadState();
  // The focus of an editable box sits in its edit field.
  if (!Focused && GetFocus() && IsChild(Window, GetFocus())) Focused = true;
  Style = GetWindowLongPtrW(Window, GWL_STYLE);
  ExStyle = GetWindowLongPtrW(Window, GWL_EXSTYLE);
  const int frame = Frame();
  if (cb->Style == 1) {
    DrawSimple(DC, Rect, frame);
    return;
  }
  TDataSkinObject* edge = SkinData->SunkEdge.get();
  if (!edge || edge->Bitmap.Empty()) return;

  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  HDC off = Canvas ? Canvas->Prepare(w, h) : nullptr;
  if (!off) return;
  const RECT all{0, 0, w, h};
  FillBackground(off, all);
  DrawNineSlice(off, all, SkinBitmapOf(edge->Bitmap), false, edge->Tile == 1, edge->Trans == 1,
                edge->FrameCount, std::min(frame, edge->FrameCount), ElementMargins(*edge));
  const bool left = (ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
  const TComboLayout l = ComboLayoutOf(w, h, GetSystemMetrics(SM_CXHSCROLL), left);
  if (l.SecondPicture && !cb->Bitmap2.Empty()) {
    // The second picture mirrors the whole strip, which also turns the order of its
    // frames around: frame k of the button is frame N + 1 - k there.
    DrawFrame(off, ToRect(l.Button), SkinBitmapOf(cb->Bitmap2), true, cb->FrameCount,
              cb->FrameCount + 1 - frame);
  } else {
    DrawFrame(off, ToRect(l.Button), SkinBitmapOf(cb->Bitmap), true, cb->FrameCount, frame);
  }
  TDataSkinObject* extra = SkinData->ExtraImages.get();
  if (extra && !extra->Bitmap.Empty() && frame <= extra->FrameCount) {
    const int gw = extra->Bitmap.Width / extra->FrameCount, gh = extra->Bitmap.Height;
    DrawFrame(off, ToRect(CentredIn(l.GlyphArea, gw, gh)), SkinBitmapOf(extra->Bitmap), true,
              extra->FrameCount, frame);
  }
  // One copy to the screen, around the text the box drew itself.
  const int saved = SaveDC(DC);
  ExcludeClipRect(DC, Rect.left + l.TextArea.Left, Rect.top + l.TextArea.Top,
                  Rect.left + l.TextArea.Right, Rect.top + l.TextArea.Bottom);
  BitBlt(DC, Rect.left, Rect.top, w, h, off, 0, 0, SRCCOPY);
  RestoreDC(DC, saved);
}
