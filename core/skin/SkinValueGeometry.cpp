#include "core/skin/SkinValueGeometry.h"

#include <algorithm>
#include <cstdint>

namespace vpn::skin {

TStateFrame ComboFrameOf(bool pressed, bool focused, bool hot, bool enabled) {
  // A disabled box can keep a stale pressed or hot flag from before it was disabled;
  // it still shows the disabled frame.
  if (!enabled) return sfDisabled;
  if (pressed) return sfPressed;
  if (focused || hot) return sfHot;
  return sfNormal;
}

TPixelRect CentredIn(const TPixelRect& area, int width, int height) {
  const int x = area.Left + (area.Width() - width) / 2;
  const int y = area.Top + (area.Height() - height) / 2;
  return {x, y, x + width, y + height};
}

TComboLayout ComboLayoutOf(int width, int height, int arrowSize, bool leftButton) {
  const int w = width, h = height, s = arrowSize;
  TComboLayout c;
  c.SecondPicture = leftButton;
  if (leftButton) {
    c.TextArea = {s + 4, 2, w - 2, h - 2};
    c.Button = {0, 0, s + 2, h};
    c.GlyphArea = {2, 0, s + 2, h};
  } else {
    c.TextArea = {2, 2, w - s - 4, h - 2};
    c.Button = {w - s - 2, 0, w, h};
    c.GlyphArea = {w - s - 2, 0, w - 2, h};
  }
  return c;
}

TSimpleComboLayout SimpleComboLayoutOf(int width, int height, int thumbWidth) {
  TSimpleComboLayout c;
  c.Frame = {1, 1, width - 1, height - 1};
  c.Button = {std::max(2, width - 2 - thumbWidth), 2, width - 2, height - 2};
  return c;
}

TUpDownLayout UpDownLayoutOf(int width, int height, bool horizontal, bool buddy, bool mouseInside,
                             int mouseX, int mouseY, bool pressed, bool hot, bool enabled) {
  TUpDownLayout u;
  u.Face = buddy ? TPixelRect{1, 1, width - 1, height - 1} : TPixelRect{0, 0, width, height};
  const TPixelRect& f = u.Face;
  if (horizontal) {
    const int half = f.Width() / 2;
    u.First.Rect = {f.Left, f.Top, f.Left + half, f.Bottom};
    u.Second.Rect = {f.Left + half, f.Top, f.Right, f.Bottom};
  } else {
    const int half = f.Height() / 2;
    u.First.Rect = {f.Left, f.Top, f.Right, f.Top + half};
    u.Second.Rect = {f.Left, f.Top + half, f.Right, f.Bottom};
  }
  auto frameOf = [&](const TPixelRect& r) {
    if (!enabled) return sfDisabled;
    const bool holds =
        mouseInside && mouseX >= r.Left && mouseX < r.Right && mouseY >= r.Top && mouseY < r.Bottom;
    if (!holds) return sfNormal;
    if (pressed) return sfPressed;
    return hot ? sfHot : sfNormal;
  };
  u.First.Frame = frameOf(u.First.Rect);
  u.First.FaceFrame = u.First.Frame;
  u.Second.Frame = frameOf(u.Second.Rect);
  u.Second.FaceFrame = u.Second.Frame + 4;
  return u;
}

int ProgressFillOf(int position, int limit, int width) {
  if (position <= 0 || limit <= 0 || width <= 0) return 0;
  const int64_t filled = int64_t{position} * width / limit;
  return static_cast<int>(std::min<int64_t>(filled, width));
}

TProgressLayout ProgressLayoutOf(int width, int height, int position, int limit, bool blocks,
                                 int chunkWidth, int chunkHeight, int leftMargin) {
  TProgressLayout p;
  p.Bar = {0, 0, width, height};
  p.Filled = ProgressFillOf(position, limit, width);
  if (p.Filled <= 0) return p;
  if (!blocks) {
    p.Fill = {0, 0, p.Filled, height};
    return p;
  }
  if (chunkWidth <= 0 || chunkHeight <= 0) return p;
  p.ChunkCount = p.Filled / chunkWidth + 1;
  const int y = (height - chunkHeight) / 2;
  p.Chunks = {leftMargin, y, leftMargin + p.Filled, y + chunkHeight};
  return p;
}

}  // namespace vpn::skin
