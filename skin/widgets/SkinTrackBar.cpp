#include "skin/widgets/SkinTrackBar.h"

#include <algorithm>

#include "core/skin/SkinValueGeometry.h"
#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"

using namespace vpn::skin;

bool TSkinTrackBar::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m)) return true;
  switch (m.Msg) {
    case WM_ERASEBKGND:
      m.Result = 1;
      return true;
    case WM_NOTIFY:
    case CN_NOTIFY: {
      // The framework reflects its controls' notifications back to them.
      const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
      if (!hdr || hdr->hwndFrom != FWindow || hdr->code != static_cast<UINT>(NM_CUSTOMDRAW))
        return false;
      m.Result = CustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(m.LParam));
      return true;
    }
    default:
      return false;
  }
}

LRESULT TSkinTrackBar::CustomDraw(const NMCUSTOMDRAW& d) {
  if (d.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (d.dwDrawStage != CDDS_ITEMPREPAINT || d.dwItemSpec != TBCD_THUMB) return CDRF_DODEFAULT;
  RECT thumb{};
  SendMessageW(FWindow, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  // A failed paint is reported and leaves the thumb to the control.
  bool drawn = false;
  GuardedCall([&] {
    ++FPaints;
    DrawThumb(d.hdc, thumb);
    drawn = true;
  });
  return drawn ? CDRF_SKIPDEFAULT : CDRF_DODEFAULT;
}

void TSkinTrackBar::DrawThumb(HDC DC, const RECT& Thumb) {
  const bool vertical = (GetWindowLongPtrW(FWindow, GWL_STYLE) & TBS_VERT) != 0;
  TDataSkinObject* e = FSkinData->TrackbarThumbHorz.get();
  if (vertical && FSkinData->TrackbarThumbVert && !FSkinData->TrackbarThumbVert->Bitmap.Empty())
    e = FSkinData->TrackbarThumbVert.get();
  if (e && !e->Bitmap.Empty()) {
    // Frame 2 of the strip at its own size, in the middle of the control's thumb.
    const int n = e->FrameCount > 0 ? e->FrameCount : 5;
    const TPixelRect at = CentredIn(TPixelRect{Thumb.left, Thumb.top, Thumb.right, Thumb.bottom},
                                    e->Bitmap.Width / n, e->Bitmap.Height);
    DrawFrame(DC, RECT{at.Left, at.Top, at.Right, at.Bottom}, SkinBitmapOf(e->Bitmap), true, n,
              std::min(2, n));
    return;
  }
  FillRect(DC, &Thumb, FSkinData->FaceBrush());
  const auto shadow = static_cast<TColor>(TSkinData::ColorToRGB(FSkinData->Colours.ButtonShadow));
  FrameRect(DC, &Thumb, ColorBrush(shadow));
}
