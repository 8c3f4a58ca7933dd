#include "core/skin/SkinPixels.h"

#include <algorithm>
#include <utility>

namespace vpn::skin {

TPixelRect FrameRect(int StripWidth, int StripHeight, int Count, int Index, bool Vertical) {
  const int n = std::max(Count, 1);
  const int k = std::clamp(Index, 1, n);
  if (Vertical) {
    const int h = StripHeight / n;
    return {0, (k - 1) * h, StripWidth, k * h};
  }
  const int w = StripWidth / n;
  return {(k - 1) * w, 0, k * w, StripHeight};
}

TSlicePlan NineSlicePlan(const TPixelRect& Frame, int Width, int Height, const TMargins& Margins,
                         bool WithCentre) {
  TSlicePlan plan;
  if (Width <= 0 || Height <= 0 || !Frame.HasArea()) return plan;
  int l = std::max(Margins.Left, 0), r = std::max(Margins.Right, 0);
  int t = std::max(Margins.Top, 0), b = std::max(Margins.Bottom, 0);
  if (Width < l + r) l = r = 0;
  if (Height < t + b) t = b = 0;
  const TPixelRect& f = Frame;
  const int W = Width, H = Height;
  auto add = [&](TSlicePart part, TPixelRect src, TPixelRect dst) {
    // A margin wider than the frame would read the next frame or beyond the picture:
    // the source stays inside the frame, and a piece left without pixels is skipped.
    src.Left = std::clamp(src.Left, f.Left, f.Right);
    src.Right = std::clamp(src.Right, f.Left, f.Right);
    src.Top = std::clamp(src.Top, f.Top, f.Bottom);
    src.Bottom = std::clamp(src.Bottom, f.Top, f.Bottom);
    if (!dst.HasArea()) return;
    if (!src.HasArea()) {
      plan.Complete = false;
      return;
    }
    plan.Pieces[plan.Count++] = {part, src, dst};
  };
  add(spTopLeft, {f.Left, f.Top, f.Left + l, f.Top + t}, {0, 0, l, t});
  add(spBottomLeft, {f.Left, f.Bottom - b, f.Left + l, f.Bottom}, {0, H - b, l, H});
  add(spTopRight, {f.Right - r, f.Top, f.Right, f.Top + t}, {W - r, 0, W, t});
  add(spLeft, {f.Left, f.Top + t, f.Left + l, f.Bottom - b}, {0, t, l, H - b});
  add(spTop, {f.Left + l, f.Top, f.Right - r, f.Top + t}, {l, 0, W - r, t});
  if (WithCentre)
    add(spCentre, {f.Left + l, f.Top + t, f.Right - r, f.Bottom - b}, {l, t, W - r, H - b});
  add(spBottomRight, {f.Right - r, f.Bottom - b, f.Right, f.Bottom}, {W - r, H - b, W, H});
  add(spRight, {f.Right - r, f.Top + t, f.Right, f.Bottom - b}, {W - r, t, W, H - b});
  add(spBottom, {f.Left + l, f.Bottom - b, f.Right - r, f.Bottom}, {l, H - b, W - r, H});
  return plan;
}

TPixelRect TThreeSlicePlan::MiddleTarget(int i) const {
  const int w = MiddleSource.Width();
  const int x = LeftTarget.Right + i * w;
  return {x, LeftTarget.Top, x + w, LeftTarget.Bottom};
}

TThreeSlicePlan ThreeSlicePlan(const TPixelRect& Frame, int Width, int Height, int Left,
                               int Right) {
  TThreeSlicePlan plan;
  const TPixelRect& f = Frame;
  const int l = std::max(Left, 0), r = std::max(Right, 0);
  const int sl = std::min(l, f.Width()), sr = std::min(r, f.Width());
  plan.LeftSource = {f.Left, f.Top, f.Left + sl, f.Bottom};
  plan.LeftTarget = {0, 0, l, Height};
  plan.RightSource = {f.Right - sr, f.Top, f.Right, f.Bottom};
  plan.RightTarget = {Width - r, 0, Width, Height};
  plan.MiddleSource = {f.Left + l, f.Top, f.Right - r, f.Bottom};
  if (plan.MiddleSource.HasArea())
    plan.MiddleCount = TileSteps(l, Width - r, plan.MiddleSource.Width());
  else
    plan.Complete = Width - r <= l;
  return plan;
}

int TileSteps(int From, int To, int Step) {
  if (Step <= 0 || To <= From) return 0;
  return static_cast<int>((static_cast<int64_t>(To) - From + Step - 1) / Step);
}

std::vector<TPixelRect> OpaqueRuns(const TPixelView& View, uint32_t Key, TKeyTolerance Tolerance,
                                   int XOffset, int YOffset) {
  std::vector<TPixelRect> runs;
  ForEachOpaqueRun(View, Key, Tolerance, [&](int y, int x1, int x2) {
    runs.push_back({x1 + XOffset, y + YOffset, x2 + XOffset, y + YOffset + 1});
  });
  return runs;
}

int KeyMaskStride(int Width) {
  return (std::max(Width, 0) + 15) / 16 * 2;
}

void BuildKeyMask(const TPixelView& View, uint32_t Key, std::vector<uint8_t>& Bits) {
  const int stride = KeyMaskStride(View.Width);
  Bits.assign(static_cast<size_t>(stride) * std::max(View.Height, 0), 0);
  const uint32_t key = Key & 0xFFFFFF;
  for (int y = 0; y < View.Height; ++y) {
    const uint32_t* row = View.Row(y);
    uint8_t* out = Bits.data() + static_cast<size_t>(y) * stride;
    for (int x = 0; x < View.Width; ++x)
      if ((row[x] & 0xFFFFFF) == key) out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
  }
}

void MirrorPixels(TSkinPicture& Picture) {
  for (int y = 0; y < Picture.Height; ++y) {
    auto row = Picture.Pixels.begin() + static_cast<ptrdiff_t>(y) * Picture.Width;
    std::reverse(row, row + Picture.Width);
  }
  Picture.Handle.reset();
}

void FlipPixels(TSkinPicture& Picture) {
  const ptrdiff_t w = Picture.Width;
  for (int top = 0, bottom = Picture.Height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(Picture.Pixels.begin() + top * w, Picture.Pixels.begin() + (top + 1) * w,
                     Picture.Pixels.begin() + bottom * w);
  Picture.Handle.reset();
}

namespace {

// The picture turned a quarter: the new picture is H wide and W high, and Source(x', y')
// names the old pixel that lands at (x', y').
template <class F>
void Turn(TSkinPicture& Picture, F Source) {
  const int w = Picture.Width, h = Picture.Height;
  std::vector<uint32_t> out(Picture.Pixels.size());
  for (int y = 0; y < w; ++y)
    for (int x = 0; x < h; ++x) {
      const auto [sx, sy] = Source(x, y);
      out[static_cast<size_t>(y) * h + x] = Picture.Pixels[static_cast<size_t>(sy) * w + sx];
    }
  Picture.Pixels = std::move(out);
  Picture.Width = h;
  Picture.Height = w;
  Picture.Handle.reset();
}

}  // namespace

void TurnLeft(TSkinPicture& Picture) {
  const int w = Picture.Width;
  Turn(Picture, [w](int x, int y) { return std::pair{w - 1 - y, x}; });
}

void TurnRight(TSkinPicture& Picture) {
  const int h = Picture.Height;
  Turn(Picture, [h](int x, int y) { return std::pair{y, h - 1 - x}; });
}

}  // namespace vpn::skin
