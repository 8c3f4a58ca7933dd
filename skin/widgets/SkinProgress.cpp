#include "skin/widgets/SkinProgress.h"

#include <commctrl.h>

#include <algorithm>

#include "core/skin/SkinValueGeometry.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"

using namespace vpn::skin;

namespace {

RECT ToRect(const TPixelRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

bool HasPicture(const TSkinData* data) {
  return data && data->Progress && !data->Progress->Bitmap.Empty();
}

// The skin's pictures fill from left to right by the position: a bar that fills upwards,
// or one that only shows activity, keeps drawing itself.
bool SkinPaints(const TSkinData* data, HWND bar) {
  return HasPicture(data) && !(GetWindowLongPtrW(bar, GWL_STYLE) & (PBS_VERTICAL | PBS_MARQUEE));
}

}  // namespace

bool TSkinProgress::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m)) return true;
  switch (m.Msg) {
    case WM_PAINT: {
      if (!SkinPaints(FSkinData, FWindow)) return false;
      RECT c{};
      GetClientRect(FWindow, &c);
      if (m.WParam) {
        DrawControl(reinterpret_cast<HDC>(m.WParam), c);
      } else {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(FWindow, &ps);
        if (dc) DrawControl(dc, c);
        EndPaint(FWindow, &ps);
      }
      m.Result = 0;
      return true;
    }
    case WM_ERASEBKGND:
      if (!SkinPaints(FSkinData, FWindow)) return false;
      m.Result = 1;
      return true;
    default:
      return false;
  }
}

int TSkinProgress::FilledWidth(int Width) const {
  PBRANGE range{};
  SendMessageW(FWindow, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const int pos = static_cast<int>(SendMessageW(FWindow, PBM_GETPOS, 0, 0));
  // Counted from the lower limit: a bar from 10 to 40 at 10 is empty, not a quarter full.
  // A bar whose upper limit is 0 or below it stays empty.
  if (range.iHigh <= 0) return 0;
  return ProgressFillOf(pos - range.iLow, range.iHigh - range.iLow, Width);
}

void TSkinProgress::DrawControl(HDC DC, const RECT& Rect) {
  if (!SkinPaints(FSkinData, FWindow)) return;
  ++FPaints;
  TDataSkinBorder* e = FSkinData->Progress.get();
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  HDC off = FCanvas ? FCanvas->Prepare(w, h) : nullptr;
  if (!off) return;
  const RECT all{0, 0, w, h};
  FillBackground(off, all);
  const RECT margins = ElementMargins(*e);
  HBITMAP strip = SkinBitmapOf(e->Bitmap);
  const bool blocks = e->Style == 1 && !e->Bitmap2.Empty();
  const int filled = FilledWidth(w);
  if (!blocks) {
    const TProgressLayout l = ProgressLayoutOf(w, h, filled, w, false, 0, 0, 0);
    DrawNineSlice(off, all, strip, false, e->Tile == 1, true, 2, 1, margins);
    if (l.Filled > 0)
      DrawNineSlice(off, ToRect(l.Fill), strip, false, e->Tile == 1, true, 2, 2, margins);
  } else {
    // The block look has one picture for the bar and the chunk repeated over the filled
    // width, after the bar's left edge.
    DrawNineSlice(off, all, strip, false, e->Tile == 1, true, 1, 1, margins);
    const int cw = e->Bitmap2.Width, ch = e->Bitmap2.Height;
    const TProgressLayout l = ProgressLayoutOf(w, h, filled, w, true, cw, ch, e->LeftWidth);
    // A full bar keeps its right edge: the chunks stop where the edge begins.
    const int width = std::min(l.Chunks.Width(), w - e->RightWidth - l.Chunks.Left);
    if (l.ChunkCount > 0 && width > 0) {
      TMemoryDC row(CreateCompatibleDC(off));
      TBitmapHandle bits(CreateCompatibleBitmap(off, width, ch));
      if (row && bits) {
        {
          TSelectObject onRow(row.Get(), bits.Get());
          TileRect(row.Get(), RECT{0, 0, width, ch}, SkinBitmapOf(e->Bitmap2), RECT{0, 0, cw, ch});
        }
        const RECT at{l.Chunks.Left, l.Chunks.Top, l.Chunks.Left + width, l.Chunks.Bottom};
        DrawTransparent(off, at, bits.Get());
      }
    }
  }
  BitBlt(DC, Rect.left, Rect.top, w, h, off, 0, 0, SRCCOPY);
}
