#include "core/skin/SkinScrollGeometry.h"

#include <algorithm>
#include <cstdint>

namespace vpn::skin {

namespace {

// a * b / c rounded half away from zero, in 64 bits so that long ranges do not overflow
// (the callers keep a * b well inside them: one factor is a length in pixels). A zero
// divisor gives 0: the callers' bars then have no room to move in.
int64_t ScaleRounded(int64_t a, int64_t b, int64_t c) {
  if (c == 0) return 0;
  const int64_t num = a * b;
  const bool negative = (num < 0) != (c < 0);
  const int64_t n = num < 0 ? -num : num;
  const int64_t d = c < 0 ? -c : c;
  const int64_t q = (n + d / 2) / d;
  return negative ? -q : q;
}

int Narrow(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

TPressedPart PressedPartOf(int scrollCode, bool vertical) {
  switch (scrollCode) {
    case 0:
      return vertical ? ppUpArrow : ppLeftArrow;
    case 1:
      return vertical ? ppDownArrow : ppRightArrow;
    case 5:
      return vertical ? ppVertThumb : ppHorzThumb;
    default:
      return ppNone;
  }
}

TScrollBarsLayout ScrollBarsLayoutOf(int width, int height, int clientWidth, int clientHeight,
                                     int arrowSize, int edgeWidth, bool horz, bool vert,
                                     bool leftScroll) {
  const int s = arrowSize, w = width, h = height;
  int b = edgeWidth;
  if (vert)
    b = (w - clientWidth - s) / 2;
  else if (horz)
    b = (h - clientHeight - s) / 2;

  TScrollBarsLayout out;
  if (horz && vert) {
    if (leftScroll) {
      out.Horz = {b + s, h - b - s, w - b, h - b};
      out.Vert = {b, b, b + s, h - b - s};
      out.Corner = {b, h - b - s, b + s, h - b};
    } else {
      out.Horz = {b, h - b - s, w - b - s, h - b};
      out.Vert = {w - b - s, b, w - b, h - b - s};
      out.Corner = {w - b - s, h - b - s, w - b, h - b};
    }
  } else if (horz) {
    out.Horz = {b, h - b - s, w - b, h - b};
  } else if (vert) {
    out.Vert = leftScroll ? TPixelRect{b, b, b + s, h - b} : TPixelRect{w - b - s, b, w - b, h - b};
  }
  return out;
}

TThumbGeometry ThumbGeometryOf(const TThumbGeometry& previous, int barLength,
                               const TScrollInfo& info, const TThumbMetrics& metrics) {
  const int64_t range = int64_t{info.Max} - info.Min;
  if (range <= 0) return previous;
  // A bar too short for its arrows has no track; its thumb is empty and never drawn.
  const int track = std::max(0, barLength - 2 * metrics.ArrowSize);

  int64_t wanted = info.Page != 0
                       ? std::max<int64_t>(ScaleRounded(info.Page, track, range), metrics.MinThumb)
                       : metrics.UnpagedThumb;
  const int size = static_cast<int>(std::clamp<int64_t>(wanted, 0, track));

  TThumbGeometry g;
  g.TrackLength = track;
  if (info.Page == range) {
    g.ThumbSize = std::max(0, size - 1);
    g.ThumbPos = 0;
    return g;
  }
  g.ThumbSize = size;
  const int64_t offset =
      ScaleRounded(int64_t{info.Pos} - info.Min, track - size, range - info.Page);
  g.ThumbPos = static_cast<int>(std::clamp<int64_t>(offset, 0, track - size));
  return g;
}

TScrollBarPieces ScrollBarPiecesOf(int barLength, int thickness, bool vertical, int arrowSize,
                                   const TThumbGeometry& thumb, const TBarLook& look) {
  const int length = std::max(0, barLength);
  const int a = length < 2 * arrowSize ? length / 2 : arrowSize;
  // Along the bar: x for a horizontal one, y for a vertical one.
  auto span = [&](int from, int to) {
    return vertical ? TPixelRect{0, from, thickness, to} : TPixelRect{from, 0, to, thickness};
  };
  // Each arrow has four frames from its first: normal, pressed, hot, disabled.
  auto arrowFrame = [&](int first, TPressedPart own, TScrollHit hotPart) {
    if (look.Disabled) return first + 3;
    if (look.Pressed == own) return first + 1;
    if (look.Hot == hotPart && look.Pressed == ppNone) return first + 2;
    return first;
  };

  TScrollBarPieces p;
  p.FirstArrow = span(0, a);
  p.SecondArrow = span(length - a, length);
  if (vertical) {
    p.FirstArrowFrame = arrowFrame(9, ppUpArrow, shLineUp);
    p.SecondArrowFrame = arrowFrame(13, ppDownArrow, shLineDown);
  } else {
    p.FirstArrowFrame = arrowFrame(1, ppLeftArrow, shLineUp);
    p.SecondArrowFrame = arrowFrame(5, ppRightArrow, shLineDown);
  }
  p.Track = length >= 2 * arrowSize ? span(arrowSize, length - arrowSize) : span(a, a);
  p.ThumbShown = !look.Disabled && thumb.ThumbSize > 0 && thumb.TrackLength >= thumb.ThumbSize &&
                 a + thumb.ThumbPos + thumb.ThumbSize <= length - a;
  if (p.ThumbShown) p.Thumb = span(a + thumb.ThumbPos, a + thumb.ThumbPos + thumb.ThumbSize);
  if (look.Pressed == (vertical ? ppVertThumb : ppHorzThumb))
    p.ThumbFrame = 2;
  else if (look.Hot == shThumb && look.Pressed == ppNone)
    p.ThumbFrame = 3;
  return p;
}

TScrollBarPieces ScrollBarPiecesOf(int barLength, int thickness, bool vertical, int arrowSize,
                                   const TThumbGeometry& thumb, TPressedPart pressed) {
  return ScrollBarPiecesOf(barLength, thickness, vertical, arrowSize, thumb,
                           TBarLook{pressed, shNone, false});
}

TPressedPart PressedPartOfHit(TScrollHit hit, bool vertical) {
  switch (hit) {
    case shLineUp:
      return vertical ? ppUpArrow : ppLeftArrow;
    case shLineDown:
      return vertical ? ppDownArrow : ppRightArrow;
    case shThumb:
      return vertical ? ppVertThumb : ppHorzThumb;
    default:
      return ppNone;
  }
}

TScrollHit ScrollHitAt(int x, int arrowSize, const TThumbGeometry& thumb) {
  const int a = arrowSize;
  if (x < 0) return shNone;  // before the bar
  if (x < a) return shLineUp;
  if (x < a + thumb.ThumbPos) return shPageUp;
  if (x < a + thumb.ThumbPos + thumb.ThumbSize) return shThumb;
  if (x < a + thumb.TrackLength) return shPageDown;
  if (x < 2 * a + thumb.TrackLength) return shLineDown;
  return shNone;
}

TThumbDrag ThumbDragOf(const TScrollInfo& info, const TThumbGeometry& thumb, int startOffset,
                       int movement) {
  const int track = std::max(0, thumb.TrackLength);
  const int room = std::max(0, track - thumb.ThumbSize);
  const int64_t range = int64_t{info.Max} - info.Min;
  const int64_t wanted = int64_t{startOffset} + movement;

  TThumbDrag d;
  int64_t value;
  if (info.Page != 0) {
    // The offset runs on to the end of the track so that a thumb made longer than its
    // share of the bar still reaches the last page.
    d.Offset = static_cast<int>(std::clamp<int64_t>(wanted, 0, track));
    value = info.Min + ScaleRounded(d.Offset, range, track);
    if (value >= int64_t{info.Max} - info.Page) value = int64_t{info.Max} - info.Page + 1;
  } else {
    d.Offset = static_cast<int>(std::clamp<int64_t>(wanted, 0, room));
    value = std::min<int64_t>(info.Min + ScaleRounded(d.Offset, range, room), info.Max);
  }
  d.Value = Narrow(std::max<int64_t>(value, info.Min));
  d.ThumbPos = std::min(d.Offset, room);
  return d;
}

}  // namespace vpn::skin
