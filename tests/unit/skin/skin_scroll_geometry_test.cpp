// The skinned scroll bars' arithmetic, asked the way the bars ask it while painting and
// while the thumb is dragged.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "core/skin/SkinScrollGeometry.h"

using namespace vpn::skin;

namespace {
const TThumbMetrics kMetrics{16, 8, 16};
// A list box of Lines lines showing Page at a time.
TScrollInfo ListOf(int lines, int page, int pos = 0) {
  return {0, lines - 1, page, pos};
}
}  // namespace

TEST(SkinScrollGeometry, BarsSitInsideTheBorderOnTheChosenSide) {
  // 200 x 150 window, 2-pixel border, 16-pixel bars: client 180 x 130 with both bars.
  TScrollBarsLayout l = ScrollBarsLayoutOf(200, 150, 180, 130, 16, 2, true, true, false);
  EXPECT_EQ(l.Horz, (TPixelRect{2, 132, 182, 148}));
  EXPECT_EQ(l.Vert, (TPixelRect{182, 2, 198, 132}));
  EXPECT_EQ(l.Corner, (TPixelRect{182, 132, 198, 148}));
  l = ScrollBarsLayoutOf(200, 150, 180, 130, 16, 2, true, true, true);
  EXPECT_EQ(l.Horz, (TPixelRect{18, 132, 198, 148}));
  EXPECT_EQ(l.Corner, (TPixelRect{2, 132, 18, 148}));
  // One bar runs the whole side; the border comes from the client size, not the edge.
  l = ScrollBarsLayoutOf(200, 150, 176, 140, 16, 9, false, true, true);
  EXPECT_EQ(l.Vert, (TPixelRect{4, 4, 20, 146}));
  EXPECT_FALSE(l.Horz.HasArea() || l.Corner.HasArea());
}

TEST(SkinScrollGeometry, ThumbFollowsPageAndPosition) {
  // 200-pixel bar: 168 pixels of track. A tenth of a 100-line list is a 17-pixel thumb,
  // half way down is half way along, the last page is flush against the second arrow.
  EXPECT_EQ(ThumbGeometryOf({}, 200, ListOf(100, 10), kMetrics), (TThumbGeometry{168, 17, 0}));
  EXPECT_EQ(ThumbGeometryOf({}, 200, ListOf(100, 10, 45), kMetrics).ThumbPos, 76);
  for (TScrollInfo end : {ListOf(100, 10, 90), TScrollInfo{-50, 49, 10, 40}}) {
    const TThumbGeometry g = ThumbGeometryOf({}, 200, end, kMetrics);
    EXPECT_EQ(g.ThumbPos + g.ThumbSize, g.TrackLength);
  }
  // A long list keeps a grabbable thumb; a bar without a page has the fixed one.
  EXPECT_EQ(ThumbGeometryOf({}, 200, ListOf(10000, 10), kMetrics).ThumbSize, 8);
  EXPECT_EQ(ThumbGeometryOf({}, 200, {0, 300, 0, 300}, kMetrics), (TThumbGeometry{168, 16, 152}));
  // A page as large as the range: one pixel shorter than the track, at the start.
  EXPECT_EQ(ThumbGeometryOf({}, 200, {0, 50, 50, 7}, kMetrics), (TThumbGeometry{168, 167, 0}));
  // Content that fits keeps whatever the bar showed before.
  const TThumbGeometry before{168, 40, 30};
  EXPECT_EQ(ThumbGeometryOf(before, 120, {7, 3, 1, 5}, kMetrics), before);
}

TEST(SkinScrollGeometry, BarIsCutIntoArrowsTrackAndThumbWithPressedFrames) {
  const TThumbGeometry g = ThumbGeometryOf({}, 200, ListOf(100, 10, 45), kMetrics);
  TScrollBarPieces p = ScrollBarPiecesOf(200, 16, true, 16, g, PressedPartOf(1, true));
  EXPECT_EQ(p.FirstArrow, (TPixelRect{0, 0, 16, 16}));
  EXPECT_EQ(p.SecondArrow, (TPixelRect{0, 184, 16, 200}));
  EXPECT_EQ(p.Thumb, (TPixelRect{0, 92, 16, 109}));
  EXPECT_EQ(std::make_tuple(p.FirstArrowFrame, p.SecondArrowFrame, p.ThumbFrame),
            std::make_tuple(9, 14, 1));
  // The vertical thumb pressed: a horizontal bar does not show it.
  p = ScrollBarPiecesOf(200, 16, false, 16, g, PressedPartOf(5, true));
  EXPECT_EQ(p.Thumb, (TPixelRect{92, 0, 109, 16}));
  EXPECT_EQ(std::make_tuple(p.FirstArrowFrame, p.SecondArrowFrame, p.ThumbFrame),
            std::make_tuple(1, 5, 1));
  EXPECT_EQ(ScrollBarPiecesOf(200, 16, false, 16, g, PressedPartOf(5, false)).ThumbFrame, 2);
  EXPECT_EQ(ScrollBarPiecesOf(200, 16, false, 16, g, PressedPartOf(0, false)).FirstArrowFrame, 2);
  EXPECT_EQ(PressedPartOf(8, true), ppNone);  // the end of scrolling releases the part

  // Shorter than two arrows: two half-length arrows, no track, no thumb.
  const TThumbGeometry tiny = ThumbGeometryOf({}, 25, ListOf(100, 10, 45), kMetrics);
  p = ScrollBarPiecesOf(25, 16, false, 16, tiny, ppNone);
  EXPECT_EQ(p.FirstArrow, (TPixelRect{0, 0, 12, 16}));
  EXPECT_EQ(p.SecondArrow, (TPixelRect{13, 0, 25, 16}));
  EXPECT_FALSE(p.Track.HasArea() || p.ThumbShown);
  // A thumb kept from a longer bar is not drawn over the arrows.
  EXPECT_FALSE(ScrollBarPiecesOf(60, 16, false, 16, {168, 40, 30}, ppNone).ThumbShown);

  // Under the mouse an arrow or the thumb shows its hot frame, unless a part is held;
  // a bar that cannot scroll shows its disabled arrows and no thumb.
  auto frames = [&](const TBarLook& look) {
    p = ScrollBarPiecesOf(200, 16, true, 16, g, look);
    return std::make_tuple(p.FirstArrowFrame, p.SecondArrowFrame, p.ThumbFrame, p.ThumbShown);
  };
  EXPECT_EQ(frames({ppNone, shLineDown, false}), std::make_tuple(9, 15, 1, true));
  EXPECT_EQ(frames({ppNone, shThumb, false}), std::make_tuple(9, 13, 3, true));
  EXPECT_EQ(frames({PressedPartOfHit(shThumb, true), shLineUp, false}),
            std::make_tuple(9, 13, 2, true));
  EXPECT_EQ(frames({ppNone, shLineUp, true}), std::make_tuple(12, 16, 1, false));
  EXPECT_EQ(PressedPartOfHit(shPageDown, false), ppNone);
}

TEST(SkinScrollGeometry, PointsOnTheBarHitThePiecesDrawnThere) {
  for (int pos : {0, 45, 90}) {
    const TThumbGeometry g = ThumbGeometryOf({}, 200, ListOf(100, 10, pos), kMetrics);
    const TScrollBarPieces p = ScrollBarPiecesOf(200, 16, false, 16, g, ppNone);
    for (int x = -1; x <= 200; ++x) {
      auto in = [x](const TPixelRect& r) { return x >= r.Left && x < r.Right; };
      TScrollHit want = shNone;
      if (in(p.FirstArrow)) want = shLineUp;
      if (in(p.Track)) want = x < p.Thumb.Left ? shPageUp : shPageDown;
      if (in(p.Thumb)) want = shThumb;
      if (in(p.SecondArrow)) want = shLineDown;
      EXPECT_EQ(ScrollHitAt(x, 16, g), want) << pos << " " << x;
    }
  }
}

TEST(SkinScrollGeometry, DraggingPastTheEndStopsAtTheLastPosition) {
  // A 10 000-line list showing 10: pulled past the end it shows the last page, with
  // the thumb drawn inside the track; every step on the way is a valid position.
  const TScrollInfo list = ListOf(10000, 10);
  const TThumbGeometry g = ThumbGeometryOf({}, 200, list, kMetrics);
  EXPECT_EQ(ThumbDragOf(list, g, 0, 500), (TThumbDrag{168, 160, 9990}));
  EXPECT_EQ(ThumbDragOf(list, g, 100, -300), (TThumbDrag{0, 0, 0}));
  int last = 0;
  for (int move = 0; move <= g.TrackLength + 5; ++move) {
    const int value = ThumbDragOf(list, g, 0, move).Value;
    EXPECT_TRUE(value >= last && value <= 9990) << move;
    last = value;
  }
  // Without a page the end is the maximum itself; the minimum need not be zero.
  const TScrollInfo unpaged{-20, 80, 0, 0};
  const TThumbGeometry u = ThumbGeometryOf({}, 200, unpaged, kMetrics);
  EXPECT_EQ(ThumbDragOf(unpaged, u, 10, 1000).Value, 80);
  EXPECT_EQ(ThumbDragOf(unpaged, u, 0, 76).Value, 30);
  // The widest range a bar can hold neither overflows nor runs past its ends.
  const TScrollInfo wide{INT_MIN, INT_MAX, 0, INT_MAX};
  const TThumbGeometry w = ThumbGeometryOf({}, 200, wide, kMetrics);
  EXPECT_EQ(w.ThumbPos + w.ThumbSize, w.TrackLength);
  EXPECT_EQ(ThumbDragOf(wide, w, 0, 1000).Value, INT_MAX);
  EXPECT_EQ(ThumbDragOf({INT_MIN, INT_MAX, 5, 0}, w, 0, 1000).Value, INT_MAX - 4);
  // A bar with no room to move stays at its minimum rather than dividing by nothing.
  EXPECT_EQ(ThumbDragOf(unpaged, {}, 0, 40).Value, -20);
  EXPECT_EQ(ThumbDragOf(list, {}, 0, 40).Value, 0);
}
