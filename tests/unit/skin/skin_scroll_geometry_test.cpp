// The skinned scroll bars' arithmetic, asked the way the bars ask it while painting and
// while the thumb is dragged.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "core/skin/SkinScrollGeometry.h"

using namespace vpn::skin;

namespace {

const TThumbMetrics kMetrics{16, 8, 16};

// A list box of Lines lines showing Page at a time, scrolled to its first line.
TScrollInfo ListOf(int lines, int page, int pos = 0) {
  return {0, lines - 1, page, pos};
}

}  // namespace

TEST(SkinScrollGeometry, BarsSitInsideTheBorderOnTheChosenSide) {
  // 200 x 150 window, 2-pixel border, 16-pixel bars: client 180 x 130 with both bars.
  TScrollBarsLayout both = ScrollBarsLayoutOf(200, 150, 180, 130, 16, 2, true, true, false);
  EXPECT_EQ(both.Horz, (TPixelRect{2, 132, 182, 148}));
  EXPECT_EQ(both.Vert, (TPixelRect{182, 2, 198, 132}));
  EXPECT_EQ(both.Corner, (TPixelRect{182, 132, 198, 148}));
  both = ScrollBarsLayoutOf(200, 150, 180, 130, 16, 2, true, true, true);
  EXPECT_EQ(both.Horz, (TPixelRect{18, 132, 198, 148}));
  EXPECT_EQ(both.Vert, (TPixelRect{2, 2, 18, 132}));
  EXPECT_EQ(both.Corner, (TPixelRect{2, 132, 18, 148}));

  // One bar runs the whole side; the border comes from the other direction.
  TScrollBarsLayout one = ScrollBarsLayoutOf(200, 150, 190, 130, 16, 9, true, false, false);
  EXPECT_EQ(one.Horz, (TPixelRect{2, 132, 198, 148}));
  EXPECT_FALSE(one.Vert.HasArea());
  EXPECT_FALSE(one.Corner.HasArea());
  one = ScrollBarsLayoutOf(200, 150, 176, 140, 16, 9, false, true, true);
  EXPECT_EQ(one.Vert, (TPixelRect{4, 4, 20, 146}));
  EXPECT_FALSE(one.Horz.HasArea());
}

TEST(SkinScrollGeometry, ThumbFollowsPageAndPosition) {
  // 200-pixel bar: 168 pixels of track. A tenth of a 100-line list is a 17-pixel thumb.
  TThumbGeometry g = ThumbGeometryOf({}, 200, ListOf(100, 10), kMetrics);
  EXPECT_EQ(g, (TThumbGeometry{168, 17, 0}));
  // Half way down, half way along; at the last page, flush against the second arrow.
  g = ThumbGeometryOf({}, 200, ListOf(100, 10, 45), kMetrics);
  EXPECT_EQ(g.ThumbPos, 76);
  g = ThumbGeometryOf({}, 200, ListOf(100, 10, 90), kMetrics);
  EXPECT_EQ(g.ThumbPos + g.ThumbSize, g.TrackLength);
  g = ThumbGeometryOf({}, 200, {-50, 49, 10, 40}, kMetrics);  // a range below zero
  EXPECT_EQ(g.ThumbPos + g.ThumbSize, g.TrackLength);

  // A long list keeps a grabbable thumb; a bar without a page has the fixed one.
  EXPECT_EQ(ThumbGeometryOf({}, 200, ListOf(10000, 10), kMetrics).ThumbSize, 8);
  g = ThumbGeometryOf({}, 200, {0, 300, 0, 300}, kMetrics);
  EXPECT_EQ(g, (TThumbGeometry{168, 16, 152}));

  // A page as large as the range: one pixel shorter than the track, at the start.
  EXPECT_EQ(ThumbGeometryOf({}, 200, {0, 50, 50, 7}, kMetrics), (TThumbGeometry{168, 167, 0}));
  // A page larger than the range fills the track.
  EXPECT_EQ(ThumbGeometryOf({}, 200, {0, 50, 80, 7}, kMetrics), (TThumbGeometry{168, 168, 0}));

  // Content that fits keeps whatever the bar showed before.
  const TThumbGeometry before{168, 40, 30};
  EXPECT_EQ(ThumbGeometryOf(before, 120, {0, 0, 10, 0}, kMetrics), before);
  EXPECT_EQ(ThumbGeometryOf(before, 120, {7, 3, 1, 5}, kMetrics), before);
}

TEST(SkinScrollGeometry, BarIsCutIntoArrowsTrackAndThumb) {
  const TThumbGeometry g = ThumbGeometryOf({}, 200, ListOf(100, 10, 45), kMetrics);
  TScrollBarPieces p = ScrollBarPiecesOf(200, 16, true, 16, g, ppNone);
  EXPECT_EQ(p.FirstArrow, (TPixelRect{0, 0, 16, 16}));
  EXPECT_EQ(p.SecondArrow, (TPixelRect{0, 184, 16, 200}));
  EXPECT_EQ(p.Track, (TPixelRect{0, 16, 16, 184}));
  ASSERT_TRUE(p.ThumbShown);
  EXPECT_EQ(p.Thumb, (TPixelRect{0, 92, 16, 109}));
  EXPECT_EQ(p.FirstArrowFrame, 9);
  EXPECT_EQ(p.SecondArrowFrame, 13);
  EXPECT_EQ(p.ThumbFrame, 1);

  // Each pressed part shows its second frame, and only on its own bar.
  p = ScrollBarPiecesOf(200, 16, true, 16, g, ppDownArrow);
  EXPECT_EQ(std::make_pair(p.FirstArrowFrame, p.SecondArrowFrame), std::make_pair(9, 14));
  p = ScrollBarPiecesOf(200, 16, true, 16, g, ppVertThumb);
  EXPECT_EQ(p.ThumbFrame, 2);
  p = ScrollBarPiecesOf(200, 16, false, 16, g, ppVertThumb);
  EXPECT_EQ(p.Thumb, (TPixelRect{92, 0, 109, 16}));
  EXPECT_EQ(std::make_tuple(p.FirstArrowFrame, p.SecondArrowFrame, p.ThumbFrame),
            std::make_tuple(1, 5, 1));
  p = ScrollBarPiecesOf(200, 16, false, 16, g, ppLeftArrow);
  EXPECT_EQ(p.FirstArrowFrame, 2);

  // Shorter than two arrows: two half-length arrows, no track, no thumb.
  const TThumbGeometry tiny = ThumbGeometryOf({}, 25, ListOf(100, 10, 45), kMetrics);
  EXPECT_EQ(tiny.TrackLength, 0);
  p = ScrollBarPiecesOf(25, 16, false, 16, tiny, ppNone);
  EXPECT_EQ(p.FirstArrow, (TPixelRect{0, 0, 12, 16}));
  EXPECT_EQ(p.SecondArrow, (TPixelRect{13, 0, 25, 16}));
  EXPECT_FALSE(p.Track.HasArea());
  EXPECT_FALSE(p.ThumbShown);
  // A thumb kept from a longer bar is not drawn over the arrows.
  EXPECT_FALSE(ScrollBarPiecesOf(60, 16, false, 16, {168, 40, 30}, ppNone).ThumbShown);
}

TEST(SkinScrollGeometry, PointsOnTheBarHitThePiecesDrawnThere) {
  for (int pos : {0, 45, 90}) {
    const TThumbGeometry g = ThumbGeometryOf({}, 200, ListOf(100, 10, pos), kMetrics);
    const TScrollBarPieces p = ScrollBarPiecesOf(200, 16, false, 16, g, ppNone);
    for (int x = 0; x < 200; ++x) {
      const TScrollHit hit = ScrollHitAt(x, 16, g);
      auto in = [x](const TPixelRect& r) { return x >= r.Left && x < r.Right; };
      EXPECT_EQ(hit == shLineUp, in(p.FirstArrow)) << pos << " " << x;
      EXPECT_EQ(hit == shLineDown, in(p.SecondArrow)) << pos << " " << x;
      EXPECT_EQ(hit == shThumb, in(p.Thumb)) << pos << " " << x;
      const bool before = x < p.Thumb.Left;
      if (in(p.Track) && !in(p.Thumb)) {
        EXPECT_EQ(hit, before ? shPageUp : shPageDown) << x;
      }
    }
    EXPECT_EQ(ScrollHitAt(200, 16, g), shNone);
    EXPECT_EQ(ScrollHitAt(-1, 16, g), shNone);
  }
}

TEST(SkinScrollGeometry, DraggingPastTheEndStopsAtTheLastPosition) {
  // A 10 000-line list showing 10: pulled past the end it shows the last page.
  const TScrollInfo list = ListOf(10000, 10);
  const TThumbGeometry g = ThumbGeometryOf({}, 200, list, kMetrics);
  TThumbDrag d = ThumbDragOf(list, g, 0, 500);
  EXPECT_EQ(d.Value, 9990);
  EXPECT_EQ(d.ThumbPos, g.TrackLength - g.ThumbSize);  // drawn inside the track
  EXPECT_EQ(ThumbDragOf(list, g, 100, -300).Value, 0);
  EXPECT_EQ(ThumbDragOf(list, g, 100, -300).ThumbPos, 0);

  // Step by step the value never goes back, and every step is a valid position.
  int last = -1;
  for (int move = 0; move <= g.TrackLength + 5; ++move) {
    d = ThumbDragOf(list, g, 0, move);
    EXPECT_GE(d.Value, last);
    EXPECT_LE(d.Value, list.Max - list.Page + 1);
    last = d.Value;
  }

  // Without a page the end is the maximum itself; the minimum need not be zero.
  const TScrollInfo unpaged{-20, 80, 0, 0};
  const TThumbGeometry u = ThumbGeometryOf({}, 200, unpaged, kMetrics);
  EXPECT_EQ(ThumbDragOf(unpaged, u, 10, 1000).Value, 80);
  EXPECT_EQ(ThumbDragOf(unpaged, u, 10, -1000).Value, -20);
  EXPECT_EQ(ThumbDragOf(unpaged, u, 0, (u.TrackLength - u.ThumbSize) / 2).Value, 30);

  // A bar with no room to move stays at its minimum rather than dividing by nothing.
  EXPECT_EQ(ThumbDragOf(unpaged, {0, 0, 0}, 0, 40).Value, -20);
  EXPECT_EQ(ThumbDragOf(list, {0, 0, 0}, 0, 40).Value, 0);
}

TEST(SkinScrollGeometry, ScrollCodesLeaveTheirPartPressed) {
  EXPECT_EQ(PressedPartOf(0, false), ppLeftArrow);
  EXPECT_EQ(PressedPartOf(1, true), ppDownArrow);
  EXPECT_EQ(PressedPartOf(5, false), ppHorzThumb);
  EXPECT_EQ(PressedPartOf(5, true), ppVertThumb);
  for (int code : {2, 3, 4, 6, 7, 8}) EXPECT_EQ(PressedPartOf(code, true), ppNone) << code;
}
