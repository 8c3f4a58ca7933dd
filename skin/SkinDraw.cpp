#include "skin/SkinDraw.h"

#include <algorithm>
#include <array>
#include <vector>

using vpn::skin::TPixelRect;
using vpn::skin::TPixelView;

namespace {

uint32_t PixelOf(COLORREF c) {  // 0x00BBGGRR to the 0x00RRGGBB of 32-bit pixels
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

bool Inverted(const RECT& r) {
  return r.right < r.left || r.bottom < r.top;
}

vpn::skin::TMargins MarginsOf(const RECT& m) {
  return {m.left, m.top, m.right, m.bottom};
}

// 32 bits per pixel, top-down rows (row y at bits + y * w).
BITMAPINFO Info32(int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

HBITMAP NewDib32(int w, int h, uint32_t** bits) {
  const BITMAPINFO bi = Info32(w, h);
  void* p = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  if (bits) *bits = static_cast<uint32_t*>(p);
  return bmp;
}

// What the drawing functions keep between calls on the GUI thread: a DC for the strip
// being drawn, one for a bitmap being rendered for the caller, and a 32-bit scratch
// surface that every off-screen drawing goes through, so that a frame repaint makes no
// bitmap, DC or buffer of its own.
class TDrawState {
 public:
  TDrawState()
      : Source(CreateCompatibleDC(nullptr)),
        Work(CreateCompatibleDC(nullptr)),
        FScratchDC(CreateCompatibleDC(nullptr)) {}

  // The scratch DC with a surface of at least w x h (contents undefined), or null.
  HDC Scratch(int w, int h) {
    if (w > FWidth || h > FHeight) {
      // Grow to hold both the old and the new shape unless that gets large (a tall
      // border and a wide title of a big window); then fit this request alone.
      int nw = std::max(w, FWidth), nh = std::max(h, FHeight);
      if (static_cast<int64_t>(nw) * nh > (1 << 20)) nw = w, nh = h;
      uint32_t* bits = nullptr;
      TBitmapHandle bmp(NewDib32(nw, nh, &bits));
      if (!bmp || !bits || !FSelected.Select(FScratchDC.Get(), bmp.Get())) {
        FBitmap.Reset();
        FBits = nullptr;
        FWidth = FHeight = 0;
        return nullptr;
      }
      FBitmap = std::move(bmp);
      FBits = bits;
      FWidth = nw;
      FHeight = nh;
    }
    return FScratchDC.Get();
  }
  // The first w x h pixels of the scratch surface, once drawing has finished.
  TPixelView ScratchPixels(int w, int h) const {
    GdiFlush();
    return {FBits, w, h, FWidth};
  }

  TMemoryDC Source, Work;
  std::vector<uint8_t> Mask;        // key masks
  std::vector<uint32_t> Pixels;     // pixels of a bitmap read back
  std::vector<uint8_t> RegionData;  // one batch of region rectangles

 private:
  // In this order: the surface is put out of the DC before either goes.
  TMemoryDC FScratchDC;
  TBitmapHandle FBitmap;
  TSelectObject FSelected;
  uint32_t* FBits = nullptr;
  int FWidth = 0, FHeight = 0;
};

TDrawState& State() {
  thread_local TDrawState state;
  return state;
}

// Keeps a DC's stretch mode nearest-pixel while drawing onto it.
class TNearestPixel {
 public:
  explicit TNearestPixel(HDC dc) : FDC(dc), FOld(SetStretchBltMode(dc, COLORONCOLOR)) {}
  ~TNearestPixel() {
    if (FOld) SetStretchBltMode(FDC, FOld);
  }
  TNearestPixel(const TNearestPixel&) = delete;
  TNearestPixel& operator=(const TNearestPixel&) = delete;

 private:
  HDC FDC;
  int FOld;
};

bool SizeOf(HBITMAP bmp, int& w, int& h) {
  BITMAP bm{};
  if (!bmp || !GetObjectW(bmp, sizeof(bm), &bm)) return false;
  w = bm.bmWidth;
  h = bm.bmHeight;
  return w > 0 && h > 0;
}

// One piece: the source part stretched to the target part (a plain copy at equal sizes).
void Piece(HDC dst, int dx, int dy, const TPixelRect& to, HDC src, const TPixelRect& from) {
  if (to.Width() == from.Width() && to.Height() == from.Height())
    BitBlt(dst, to.Left + dx, to.Top + dy, to.Width(), to.Height(), src, from.Left, from.Top,
           SRCCOPY);
  else
    StretchBlt(dst, to.Left + dx, to.Top + dy, to.Width(), to.Height(), src, from.Left, from.Top,
               from.Width(), from.Height(), SRCCOPY);
}

// Tiles a piece over a target of a bitmap the drawing owns: the first copy comes from
// the source, then the copies made so far are copied again beside and below themselves,
// so a narrow piece over a wide target costs a few copies instead of one per step. The
// picture is the same as copying the piece at every step.
void TileOwn(HDC dst, const TPixelRect& to, HDC src, const TPixelRect& piece) {
  const int pw = piece.Width(), ph = piece.Height();
  const int cols = vpn::skin::TileSteps(to.Left, to.Right, pw);
  const int rows = vpn::skin::TileSteps(to.Top, to.Bottom, ph);
  if (cols == 0 || rows == 0) return;
  BitBlt(dst, to.Left, to.Top, pw, ph, src, piece.Left, piece.Top, SRCCOPY);
  for (int done = 1; done < cols;) {
    const int n = std::min(done, cols - done);
    BitBlt(dst, to.Left + done * pw, to.Top, n * pw, ph, dst, to.Left, to.Top, SRCCOPY);
    done += n;
  }
  for (int done = 1; done < rows;) {
    const int n = std::min(done, rows - done);
    BitBlt(dst, to.Left, to.Top + done * ph, cols * pw, n * ph, dst, to.Left, to.Top, SRCCOPY);
    done += n;
  }
}

// The nine-slice pieces of a plan drawn onto dst at (dx, dy). A tiled centre is drawn by
// doubling (TileOwn), so tile only onto a bitmap the drawing owns.
void DrawPlan(HDC dst, int dx, int dy, HDC src, const vpn::skin::TSlicePlan& plan, bool tile) {
  for (const vpn::skin::TSlicePiece& p : plan) {
    if (p.Part == vpn::skin::spCentre && tile)
      TileOwn(dst, p.Target.Offset(dx, dy), src, p.Source);
    else
      Piece(dst, dx, dy, p.Target, src, p.Source);
  }
}

// Clears a surface to the key colour (so undrawn parts stay unpainted when the result
// is drawn transparently) or to black (what a new bitmap holds).
void Clear(HDC dc, int w, int h, bool transparent) {
  const RECT r{0, 0, w, h};
  SetBkColor(dc, transparent ? KeyColor : RGB(0, 0, 0));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// Copies w x h pixels of src at (sx, sy) to dst at (x, y), leaving unpainted the pixels
// whose colour is key (Pixels are those same source pixels, for the mask).
void CopyKeyed(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy,
               const TPixelView& pixels, uint32_t key) {
  TDrawState& s = State();
  vpn::skin::BuildKeyMask(pixels, key, s.Mask);
  TBitmapHandle mask(CreateBitmap(w, h, 1, 1, s.Mask.data()));
  if (!mask) return;
  // On screen the copy is one masked operation (where the mask bit is set the
  // destination stays, elsewhere the source is copied), so no in-between state is ever
  // seen. Off screen nobody sees the steps below, which measured ten times faster
  // under Wine than the masked copy.
  constexpr DWORD keep = 0x00AA0029;
  if (GetObjectType(dst) != OBJ_MEMDC &&
      MaskBlt(dst, x, y, w, h, src, sx, sy, mask.Get(), 0, 0, MAKEROP4(keep, SRCCOPY)))
    return;
  // Off screen, and systems without MaskBlt: invert, cut the mask out, invert back. A
  // monochrome mask drawn into colour gives white for set bits (background) and black
  // for clear ones.
  TSelectObject sel(s.Work.Get(), mask.Get());
  if (!sel) return;
  const COLORREF bk = SetBkColor(dst, RGB(255, 255, 255));
  const COLORREF fg = SetTextColor(dst, RGB(0, 0, 0));
  BitBlt(dst, x, y, w, h, src, sx, sy, SRCINVERT);
  BitBlt(dst, x, y, w, h, s.Work.Get(), 0, 0, SRCAND);
  BitBlt(dst, x, y, w, h, src, sx, sy, SRCINVERT);
  SetBkColor(dst, bk);
  SetTextColor(dst, fg);
}

// The first w x h pixels of the scratch surface to dst at (x, y), opaque or keyed.
void Present(HDC dst, int x, int y, int w, int h, bool transparent, uint32_t key) {
  TDrawState& s = State();
  HDC scratch = s.Scratch(w, h);
  if (transparent)
    CopyKeyed(dst, x, y, w, h, scratch, 0, 0, s.ScratchPixels(w, h), key);
  else
    BitBlt(dst, x, y, w, h, scratch, 0, 0, SRCCOPY);
}

// The pixels of a bitmap as 32-bit top-down rows, copied into the state's buffer. A DIB
// section's own bits cannot be read in place: the system reports a top-down section's
// height as positive, so its row order is not known.
bool PixelsOf(HBITMAP bmp, TPixelView& view) {
  int w = 0, h = 0;
  if (!SizeOf(bmp, w, h)) return false;
  TDrawState& s = State();
  s.Pixels.resize(static_cast<size_t>(w) * h);
  BITMAPINFO bi = Info32(w, h);
  if (GetDIBits(s.Work.Get(), bmp, 0, h, s.Pixels.data(), &bi, DIB_RGB_COLORS) != h) return false;
  view = TPixelView(s.Pixels.data(), w, h, w);
  return true;
}

// A bitmap's pixels as a picture (read through a 32-bit copy), for the transforms.
bool PictureOf(HBITMAP bmp, TSkinPicture& pic) {
  TPixelView v;
  if (!PixelsOf(bmp, v)) return false;
  pic.Width = v.Width;
  pic.Height = v.Height;
  pic.Pixels.resize(static_cast<size_t>(v.Width) * v.Height);
  for (int y = 0; y < v.Height; ++y)
    std::copy_n(v.Row(y), v.Width, pic.Pixels.begin() + static_cast<ptrdiff_t>(y) * v.Width);
  return true;
}

// Writes a picture back into a bitmap of the same size, in the bitmap's own format.
void StorePicture(HBITMAP bmp, const TSkinPicture& pic) {
  const BITMAPINFO bi = Info32(pic.Width, pic.Height);
  SetDIBits(State().Work.Get(), bmp, 0, pic.Height, pic.Pixels.data(), &bi, DIB_RGB_COLORS);
}

// A new 24-bit bitmap holding a picture.
TBitmapHandle Bitmap24Of(const TSkinPicture& pic) {
  BITMAPINFO bi = Info32(pic.Width, pic.Height);
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  TBitmapHandle bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bmp) StorePicture(bmp.Get(), pic);
  return bmp;
}

void Turn(TBitmapHandle& bitmap, void (*turn)(TSkinPicture&)) {
  TSkinPicture pic;
  if (!PictureOf(bitmap.Get(), pic)) return;
  turn(pic);
  if (TBitmapHandle turned = Bitmap24Of(pic)) bitmap = std::move(turned);
}

}  // namespace

TBitmapHandle NewSurface(int Width, int Height) {
  return TBitmapHandle(NewDib32(Width, Height, nullptr));
}

RECT ElementMargins(const TDataSkinObject& Element) {
  return {Element.LeftWidth, Element.TopHeight, Element.RightWidth, Element.BottomHeight};
}

void DrawFrame(HDC DC, const RECT& Rect, HBITMAP Strip, bool Transparent, int Count, int Index) {
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  int sw = 0, sh = 0;
  if (Inverted(Rect) || w == 0 || h == 0 || !SizeOf(Strip, sw, sh)) return;
  const TPixelRect f = vpn::skin::FrameRect(sw, sh, Count, Index, false);
  if (!f.HasArea()) return;
  TDrawState& s = State();
  HDC scratch = s.Scratch(w, h);
  TSelectObject src(s.Source.Get(), Strip);
  if (!scratch || !src) return;
  TNearestPixel mode(scratch);
  Piece(scratch, 0, 0, {0, 0, w, h}, s.Source.Get(), f);
  Present(DC, Rect.left, Rect.top, w, h, Transparent, vpn::skin::KeyPixel);
}

void DrawTransparent(HDC DC, const RECT& Rect, HBITMAP Bitmap, COLORREF Key) {
  TPixelView pixels;
  if (Inverted(Rect) || !Bitmap || !PixelsOf(Bitmap, pixels)) return;
  // Nothing beyond the bitmap's own pixels is painted.
  const int w = std::min<int>(Rect.right - Rect.left, pixels.Width);
  const int h = std::min<int>(Rect.bottom - Rect.top, pixels.Height);
  if (w <= 0 || h <= 0) return;
  TSelectObject src(State().Source.Get(), Bitmap);
  if (!src) return;
  CopyKeyed(DC, Rect.left, Rect.top, w, h, State().Source.Get(), 0, 0,
            TPixelView(pixels.Pixels, w, h, pixels.Stride), PixelOf(Key));
}

TBitmapHandle RenderNineSlice(int Width, int Height, HBITMAP Strip, const RECT& Margins,
                              bool Vertical, bool TileCentre, int Count, int Index) {
  int sw = 0, sh = 0;
  if (Width <= 0 || Height <= 0 || !SizeOf(Strip, sw, sh)) return {};
  TBitmapHandle result(NewDib32(Width, Height, nullptr));  // starts black
  TDrawState& s = State();
  TSelectObject dst(s.Work.Get(), result.Get());
  TSelectObject src(s.Source.Get(), Strip);
  if (!dst || !src) return {};
  const auto plan = vpn::skin::NineSlicePlan(vpn::skin::FrameRect(sw, sh, Count, Index, Vertical),
                                             Width, Height, MarginsOf(Margins));
  TNearestPixel mode(s.Work.Get());
  DrawPlan(s.Work.Get(), 0, 0, s.Source.Get(), plan, TileCentre);
  return result;
}

void DrawNineSlice(HDC DC, const RECT& Rect, HBITMAP Strip, bool Vertical, bool TileCentre,
                   bool Transparent, int Count, int Index, const RECT& Margins) {
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  int sw = 0, sh = 0;
  if (Inverted(Rect) || w == 0 || h == 0 || !SizeOf(Strip, sw, sh)) return;
  TDrawState& s = State();
  HDC scratch = s.Scratch(w, h);
  TSelectObject src(s.Source.Get(), Strip);
  if (!scratch || !src) return;
  const auto plan = vpn::skin::NineSlicePlan(vpn::skin::FrameRect(sw, sh, Count, Index, Vertical),
                                             w, h, MarginsOf(Margins));
  if (!plan.Complete) Clear(scratch, w, h, Transparent);
  TNearestPixel mode(scratch);
  DrawPlan(scratch, 0, 0, s.Source.Get(), plan, TileCentre);
  Present(DC, Rect.left, Rect.top, w, h, Transparent, vpn::skin::KeyPixel);
}

void DrawNineSliceEdges(HDC DC, const RECT& Rect, HBITMAP Strip, bool Vertical, int Count,
                        int Index, const RECT& Margins) {
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  int sw = 0, sh = 0;
  if (Inverted(Rect) || !SizeOf(Strip, sw, sh)) return;
  TSelectObject src(State().Source.Get(), Strip);
  if (!src) return;
  const auto plan = vpn::skin::NineSlicePlan(vpn::skin::FrameRect(sw, sh, Count, Index, Vertical),
                                             w, h, MarginsOf(Margins), false);
  TNearestPixel mode(DC);
  DrawPlan(DC, Rect.left, Rect.top, State().Source.Get(), plan, false);
}

void DrawThreeSlice(HDC DC, const RECT& Rect, HBITMAP Strip, bool Vertical, bool Transparent,
                    int Count, int Index, const RECT& Margins) {
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  int sw = 0, sh = 0;
  if (Inverted(Rect) || w == 0 || h == 0 || !SizeOf(Strip, sw, sh)) return;
  TDrawState& s = State();
  HDC scratch = s.Scratch(w, h);
  TSelectObject src(s.Source.Get(), Strip);
  if (!scratch || !src) return;
  const auto plan = vpn::skin::ThreeSlicePlan(vpn::skin::FrameRect(sw, sh, Count, Index, Vertical),
                                              w, h, Margins.left, Margins.right);
  if (!plan.Complete) Clear(scratch, w, h, Transparent);
  TNearestPixel mode(scratch);
  HDC from = s.Source.Get();
  if (plan.LeftSource.HasArea()) Piece(scratch, 0, 0, plan.LeftTarget, from, plan.LeftSource);
  if (plan.MiddleCount > 0) {
    // The first copy is stretched from the strip; the others repeat it, doubling.
    const int mw = plan.MiddleSource.Width();
    const TPixelRect first = plan.MiddleTarget(0);
    Piece(scratch, 0, 0, first, from, plan.MiddleSource);
    for (int done = 1; done < plan.MiddleCount;) {
      const int n = std::min(done, plan.MiddleCount - done);
      BitBlt(scratch, first.Left + done * mw, 0, n * mw, h, scratch, first.Left, 0, SRCCOPY);
      done += n;
    }
  }
  if (plan.RightSource.HasArea()) Piece(scratch, 0, 0, plan.RightTarget, from, plan.RightSource);
  Present(DC, Rect.left, Rect.top, w, h, Transparent, vpn::skin::KeyPixel);
}

void TileRect(HDC DC, const RECT& Rect, HBITMAP Source, const RECT& SourceRect) {
  const TPixelRect piece{SourceRect.left, SourceRect.top, SourceRect.right, SourceRect.bottom};
  if (!piece.HasArea() || !Source) return;
  TSelectObject src(State().Source.Get(), Source);
  if (!src) return;
  const int cols = vpn::skin::TileSteps(Rect.left, Rect.right, piece.Width());
  const int rows = vpn::skin::TileSteps(Rect.top, Rect.bottom, piece.Height());
  for (int i = 0; i < cols; ++i)
    for (int j = 0; j < rows; ++j)
      BitBlt(DC, Rect.left + i * piece.Width(), Rect.top + j * piece.Height(), piece.Width(),
             piece.Height(), State().Source.Get(), piece.Left, piece.Top, SRCCOPY);
}

TRegionHandle RegionFromBitmap(HBITMAP Bitmap, int XOffset, int YOffset, BYTE BlueTolerance,
                               BYTE GreenTolerance, BYTE RedTolerance, COLORREF Key) {
  TPixelView pixels;
  if (!Bitmap || !PixelsOf(Bitmap, pixels)) return {};
  // Rectangles go to the region in batches, so a large shaped picture never needs one
  // huge block of region data; the batch buffer is kept for the next region.
  constexpr int batch = 2000;
  std::vector<uint8_t>& data = State().RegionData;
  data.resize(sizeof(RGNDATAHEADER) + batch * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  auto* rects = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
  TRegionHandle result;
  int count = 0;
  auto flush = [&]() {
    *header = {sizeof(RGNDATAHEADER),
               RDH_RECTANGLES,
               static_cast<DWORD>(count),
               static_cast<DWORD>(count * sizeof(RECT)),
               {}};
    header->rcBound = rects[0];
    for (int i = 1; i < count; ++i) {
      header->rcBound.left = std::min(header->rcBound.left, rects[i].left);
      header->rcBound.right = std::max(header->rcBound.right, rects[i].right);
    }
    header->rcBound.bottom = rects[count - 1].bottom;  // rows come in order
    TRegionHandle part(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                                       reinterpret_cast<RGNDATA*>(data.data())));
    if (!result)
      result = std::move(part);
    else if (part)
      CombineRgn(result.Get(), result.Get(), part.Get(), RGN_OR);
    count = 0;
  };
  const vpn::skin::TKeyTolerance tolerance{RedTolerance, GreenTolerance, BlueTolerance};
  vpn::skin::ForEachOpaqueRun(pixels, PixelOf(Key), tolerance, [&](int y, int x1, int x2) {
    rects[count++] = {x1 + XOffset, y + YOffset, x2 + XOffset, y + YOffset + 1};
    if (count == batch) flush();
  });
  if (count > 0) flush();
  if (!result) result.Reset(CreateRectRgn(0, 0, 0, 0));
  return result;
}

void MirrorBitmap(HBITMAP Bitmap) {
  TSkinPicture pic;
  if (!PictureOf(Bitmap, pic)) return;
  vpn::skin::MirrorPixels(pic);
  StorePicture(Bitmap, pic);
}

void FlipBitmap(HBITMAP Bitmap) {
  TSkinPicture pic;
  if (!PictureOf(Bitmap, pic)) return;
  vpn::skin::FlipPixels(pic);
  StorePicture(Bitmap, pic);
}

void RotateLeft(TBitmapHandle& Bitmap) {
  Turn(Bitmap, vpn::skin::TurnLeft);
}

void RotateRight(TBitmapHandle& Bitmap) {
  Turn(Bitmap, vpn::skin::TurnRight);
}
