// The arithmetic of drawing skin pictures, on plain pixel buffers: which part of a
// picture strip is a frame, how a nine-slice or three-slice picture is cut into pieces
// and where each piece goes, how a tile repeats, which pixels are the key colour, the
// opaque runs that make a window region, and mirror, flip and quarter turns. The
// Windows side (skin/SkinDraw) only carries these plans out with the device calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/skin/SkinPicture.h"

namespace vpn::skin {

// Magenta, transparent in every transparent drawing of a skin picture. Pixels are
// 0x00RRGGBB (the layout of TSkinPicture and of a 32-bit device-independent bitmap).
constexpr uint32_t KeyPixel = 0xFF00FF;

// A rectangle of pixels, right and bottom exclusive.
struct TPixelRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool HasArea() const { return Right > Left && Bottom > Top; }
  // Right before left or bottom above top: such a target draws nothing.
  bool Inverted() const { return Right < Left || Bottom < Top; }
  TPixelRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  bool operator==(const TPixelRect&) const = default;
};

// The fixed (neither stretched nor tiled) edges of a picture frame, in source pixels.
struct TMargins {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TMargins&) const = default;
};

// Frame Index (from 1) of a strip of Count frames, side by side or, when Vertical,
// stacked. A count below 1 is taken as 1 and the index is kept within 1..Count, so a
// stray frame number never reads beyond the picture.
TPixelRect FrameRect(int StripWidth, int StripHeight, int Count, int Index, bool Vertical);

// One piece of a sliced picture: the source part of the frame (in strip coordinates)
// stretched onto the target part (relative to the target's top-left).
enum TSlicePart {
  spTopLeft,
  spBottomLeft,
  spTopRight,
  spLeft,
  spTop,
  spCentre,
  spBottomRight,
  spRight,
  spBottom
};
struct TSlicePiece {
  TSlicePart Part = spTopLeft;
  TPixelRect Source, Target;
};

// The pieces of a nine-slice drawing of Frame at Width x Height, in drawing order
// (top-left, bottom-left, top-right, left, top, centre, bottom-right, right, bottom), so
// that a tiled centre overrunning its place is covered by the pieces after it. A target
// narrower than the left and right margins together loses both (the frame is stretched
// across it), likewise for the height. Pieces with no area on either side are left out;
// Complete is false when a margin wider than the frame left a piece without source
// pixels, so that part of the target stays undrawn.
struct TSlicePlan {
  std::array<TSlicePiece, 9> Pieces{};
  int Count = 0;
  bool Complete = true;
  const TSlicePiece* begin() const { return Pieces.data(); }
  const TSlicePiece* end() const { return Pieces.data() + Count; }
};
TSlicePlan NineSlicePlan(const TPixelRect& Frame, int Width, int Height, const TMargins& Margins,
                         bool WithCentre = true);

// A three-slice drawing of Frame at Width x Height: the left piece (Left margin wide)
// at x = 0, the middle piece repeated at its own width from x = Left while x < Width -
// Right, the right piece at x = Width - Right; all stretched to the full height. An end
// wider than the frame reads the whole frame. Complete is false when the middle has no
// width to repeat but the ends leave room between them.
struct TThreeSlicePlan {
  TPixelRect LeftSource, LeftTarget;
  TPixelRect MiddleSource;  // repeated when it has area
  int MiddleCount = 0;      // copies of the middle piece
  TPixelRect RightSource, RightTarget;
  bool Complete = true;
  // Copy i (from 0) of the middle piece.
  TPixelRect MiddleTarget(int i) const;
};
TThreeSlicePlan ThreeSlicePlan(const TPixelRect& Frame, int Width, int Height, int Left, int Right);

// How many copies of a piece Step long start at From, From + Step, ... while below To
// (the last copy may reach beyond To). 0 for a step that is not positive.
int TileSteps(int From, int To, int Step);

// Per-channel tolerance of the key-colour test: a channel matches when it lies in
// [key, min(255, key + tolerance)].
struct TKeyTolerance {
  uint8_t Red = 0, Green = 0, Blue = 0;
};
// What every window region of a skin uses.
constexpr TKeyTolerance RegionTolerance{1, 1, 1};

inline bool IsKeyPixel(uint32_t Pixel, uint32_t Key, TKeyTolerance Tolerance) {
  auto in = [](uint32_t p, uint32_t k, uint32_t t) { return p >= k && p - k <= t; };
  return in((Pixel >> 16) & 0xFF, (Key >> 16) & 0xFF, Tolerance.Red) &&
         in((Pixel >> 8) & 0xFF, (Key >> 8) & 0xFF, Tolerance.Green) &&
         in(Pixel & 0xFF, Key & 0xFF, Tolerance.Blue);
}

// Read-only pixels: Height rows of Width pixels, Stride pixels from one row to the next
// (top-down rows; the top byte of a pixel is ignored).
struct TPixelView {
  const uint32_t* Pixels = nullptr;
  int Width = 0, Height = 0;
  ptrdiff_t Stride = 0;

  TPixelView() = default;
  TPixelView(const uint32_t* pixels, int width, int height, ptrdiff_t stride)
      : Pixels(pixels), Width(width), Height(height), Stride(stride) {}
  explicit TPixelView(const TSkinPicture& p)
      : Pixels(p.Pixels.data()), Width(p.Width), Height(p.Height), Stride(p.Width) {}
  const uint32_t* Row(int y) const { return Pixels + y * Stride; }
};

// Calls Visit(y, x1, x2) for every maximal run x1..x2 (exclusive) of pixels of row y
// that are not key colour, rows from the top, runs from the left.
template <class F>
void ForEachOpaqueRun(const TPixelView& View, uint32_t Key, TKeyTolerance Tolerance, F&& Visit) {
  for (int y = 0; y < View.Height; ++y) {
    const uint32_t* row = View.Row(y);
    int x = 0;
    while (x < View.Width) {
      while (x < View.Width && IsKeyPixel(row[x], Key, Tolerance)) ++x;
      if (x == View.Width) break;
      const int start = x;
      while (x < View.Width && !IsKeyPixel(row[x], Key, Tolerance)) ++x;
      Visit(y, start, x);
    }
  }
}

// The runs as one-pixel-high rectangles moved by (XOffset, YOffset): the rectangles
// whose union is the region of the picture's opaque pixels.
std::vector<TPixelRect> OpaqueRuns(const TPixelView& View, uint32_t Key, TKeyTolerance Tolerance,
                                   int XOffset = 0, int YOffset = 0);

// A one-bit mask of the view (rows padded to 16 bits, first pixel in the high bit) with
// the bits of exact key-colour pixels set: the mask a masked copy leaves unpainted.
// Fills Bits (resized as needed, so a caller can keep one buffer).
void BuildKeyMask(const TPixelView& View, uint32_t Key, std::vector<uint8_t>& Bits);
int KeyMaskStride(int Width);  // bytes per mask row

// In-place transforms of a picture (its platform bitmap is dropped, to be made again).
// Mirror: pixel x goes to Width - 1 - x. Flip: row y goes to Height - 1 - y.
// TurnLeft (a quarter turn counter-clockwise) and TurnRight (clockwise) swap width and
// height: after TurnLeft the pixel (x', y') is the old (W - 1 - y', x'); after TurnRight
// it is the old (y', H - 1 - x').
void MirrorPixels(TSkinPicture& Picture);
void FlipPixels(TSkinPicture& Picture);
void TurnLeft(TSkinPicture& Picture);
void TurnRight(TSkinPicture& Picture);

}  // namespace vpn::skin
