#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/skin/SkinPixels.h"

using namespace vpn::skin;

TEST(SkinPixels, FramesOfStripsStayInsideThePicture) {
  EXPECT_EQ(FrameRect(40, 13, 4, 3, false), (TPixelRect{20, 0, 30, 13}));
  EXPECT_EQ(FrameRect(12, 30, 2, 2, true), (TPixelRect{0, 15, 12, 30}));
  // One frame is the whole picture, whatever the orientation.
  EXPECT_EQ(FrameRect(7, 5, 1, 1, false), (TPixelRect{0, 0, 7, 5}));
  EXPECT_EQ(FrameRect(7, 5, 1, 1, true), (TPixelRect{0, 0, 7, 5}));
  // A width that does not divide drops the rest; stray counts and indexes are kept in range.
  EXPECT_EQ(FrameRect(10, 4, 3, 3, false), (TPixelRect{6, 0, 9, 4}));
  EXPECT_EQ(FrameRect(40, 13, 4, 9, false), (TPixelRect{30, 0, 40, 13}));
  EXPECT_EQ(FrameRect(40, 13, 4, 0, false), (TPixelRect{0, 0, 10, 13}));
  EXPECT_EQ(FrameRect(40, 13, 0, 1, false), (TPixelRect{0, 0, 40, 13}));
}

TEST(SkinPixels, NineSlicePiecesInDrawingOrder) {
  // Frame 2 of a strip of 6-wide frames, margins 2, 1, 3, 2, drawn at 11 x 8.
  const TSlicePlan plan = NineSlicePlan({6, 0, 12, 6}, 11, 8, {2, 1, 3, 2});
  const std::vector<TSlicePiece> want = {
      {spTopLeft, {6, 0, 8, 1}, {0, 0, 2, 1}},       {spBottomLeft, {6, 4, 8, 6}, {0, 6, 2, 8}},
      {spTopRight, {9, 0, 12, 1}, {8, 0, 11, 1}},    {spLeft, {6, 1, 8, 4}, {0, 1, 2, 6}},
      {spTop, {8, 0, 9, 1}, {2, 0, 8, 1}},           {spCentre, {8, 1, 9, 4}, {2, 1, 8, 6}},
      {spBottomRight, {9, 4, 12, 6}, {8, 6, 11, 8}}, {spRight, {9, 1, 12, 4}, {8, 1, 11, 6}},
      {spBottom, {8, 4, 9, 6}, {2, 6, 8, 8}}};
  ASSERT_EQ(plan.Count, 9);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(plan.Pieces[i].Part, want[i].Part) << i;
    EXPECT_EQ(plan.Pieces[i].Source, want[i].Source) << i;
    EXPECT_EQ(plan.Pieces[i].Target, want[i].Target) << i;
  }
  // Narrower and lower than both pairs of margins: one piece, the whole frame stretched.
  const TSlicePlan tiny = NineSlicePlan({6, 0, 12, 6}, 4, 2, {2, 1, 3, 2});
  ASSERT_EQ(tiny.Count, 1);
  EXPECT_EQ(tiny.Pieces[0].Source, (TPixelRect{6, 0, 12, 6}));
  EXPECT_EQ(tiny.Pieces[0].Target, (TPixelRect{0, 0, 4, 2}));
  // Without the centre the other eight stay as they are.
  const TSlicePlan edges = NineSlicePlan({6, 0, 12, 6}, 11, 8, {2, 1, 3, 2}, false);
  ASSERT_EQ(edges.Count, 8);
  for (const TSlicePiece& p : edges) EXPECT_NE(p.Part, spCentre);
}

TEST(SkinPixels, NineSliceCoversEveryTargetPixelOnceFromInsideTheFrame) {
  const TPixelRect frame{5, 0, 10, 7};
  for (TMargins m :
       {TMargins{0, 0, 0, 0}, TMargins{2, 1, 2, 3}, TMargins{1, 0, 0, 6}, TMargins{9, 9, 9, 9}}) {
    for (int w = 0; w <= 20; ++w)
      for (int h = 0; h <= 20; ++h) {
        const TSlicePlan plan = NineSlicePlan(frame, w, h, m);
        std::vector<int> hits(static_cast<size_t>(w) * h, 0);
        for (const TSlicePiece& p : plan) {
          ASSERT_TRUE(p.Source.HasArea() && p.Target.HasArea());
          ASSERT_TRUE(p.Source.Left >= frame.Left && p.Source.Right <= frame.Right &&
                      p.Source.Top >= frame.Top && p.Source.Bottom <= frame.Bottom);
          for (int y = p.Target.Top; y < p.Target.Bottom; ++y)
            for (int x = p.Target.Left; x < p.Target.Right; ++x) ++hits[y * w + x];
        }
        const bool complete = std::all_of(hits.begin(), hits.end(), [](int n) { return n == 1; });
        ASSERT_EQ(plan.Complete, complete) << m.Left << " " << w << "x" << h;
        ASSERT_TRUE(std::all_of(hits.begin(), hits.end(), [](int n) { return n <= 1; }));
        // Only margins wider than the frame (5 x 7) can leave a gap.
        if (m.Left < 5) {
          ASSERT_TRUE(complete) << m.Left << " " << w << "x" << h;
        }
      }
  }
  EXPECT_FALSE(NineSlicePlan(frame, 20, 20, {9, 9, 9, 9}).Complete);
}

TEST(SkinPixels, ThreeSliceAndTilesRepeatAtTheirOwnWidth) {
  // Frame 2 of a vertical strip of two 10 x 4 frames; ends 3 and 2.
  const TThreeSlicePlan plan = ThreeSlicePlan({0, 4, 10, 8}, 17, 9, 3, 2);
  EXPECT_EQ(plan.LeftSource, (TPixelRect{0, 4, 3, 8}));
  EXPECT_EQ(plan.LeftTarget, (TPixelRect{0, 0, 3, 9}));
  EXPECT_EQ(plan.MiddleSource, (TPixelRect{3, 4, 8, 8}));
  ASSERT_EQ(plan.MiddleCount, 3);  // at 3, 8 and 13 (still left of 15)
  EXPECT_EQ(plan.MiddleTarget(2), (TPixelRect{13, 0, 18, 9}));
  EXPECT_EQ(plan.RightSource, (TPixelRect{8, 4, 10, 8}));
  EXPECT_EQ(plan.RightTarget, (TPixelRect{15, 0, 17, 9}));
  EXPECT_TRUE(plan.Complete);
  // Ends that leave the middle without width repeat nothing and leave a gap; ends wider
  // than the frame read the frame alone.
  EXPECT_EQ(ThreeSlicePlan({0, 0, 10, 4}, 40, 4, 6, 4).MiddleCount, 0);
  EXPECT_FALSE(ThreeSlicePlan({0, 0, 10, 4}, 40, 4, 6, 4).Complete);
  EXPECT_TRUE(ThreeSlicePlan({0, 0, 10, 4}, 10, 4, 6, 4).Complete);
  const TThreeSlicePlan wide = ThreeSlicePlan({10, 0, 20, 4}, 40, 4, 12, 13);
  EXPECT_EQ(wide.MiddleCount, 0);
  EXPECT_EQ(wide.LeftSource, (TPixelRect{10, 0, 20, 4}));
  EXPECT_EQ(wide.LeftTarget, (TPixelRect{0, 0, 12, 4}));
  EXPECT_EQ(wide.RightSource, (TPixelRect{10, 0, 20, 4}));
  EXPECT_EQ(wide.RightTarget, (TPixelRect{27, 0, 40, 4}));

  EXPECT_EQ(TileSteps(5, 14, 3), 3);
  EXPECT_EQ(TileSteps(5, 5, 3), 0);
  EXPECT_EQ(TileSteps(0, 10, 0), 0);
  EXPECT_EQ(TileSteps(-2000000000, 2000000000, 1000000000), 4);
}

TEST(SkinPixels, KeyColourWithPerChannelTolerance) {
  EXPECT_TRUE(IsKeyPixel(0xFF00FF, KeyPixel, RegionTolerance));
  EXPECT_TRUE(IsKeyPixel(0xFF01FF, KeyPixel, RegionTolerance));  // green 1 still transparent
  EXPECT_TRUE(IsKeyPixel(0xFF01FF | 0xFF000000u, KeyPixel, RegionTolerance));
  EXPECT_FALSE(IsKeyPixel(0xFF02FF, KeyPixel, RegionTolerance));
  EXPECT_FALSE(IsKeyPixel(0xFE00FF, KeyPixel, RegionTolerance));  // below the key is no match
  EXPECT_FALSE(IsKeyPixel(0xFF01FF, KeyPixel, {}));
  // Each tolerance applies to its own channel only.
  const uint32_t key = 0x102030;
  const TKeyTolerance t{0, 5, 2};
  EXPECT_TRUE(IsKeyPixel(0x102532, key, t));
  EXPECT_FALSE(IsKeyPixel(0x102632, key, t));
  EXPECT_FALSE(IsKeyPixel(0x102533, key, t));
  EXPECT_FALSE(IsKeyPixel(0x112030, key, t));
}

TEST(SkinPixels, OpaqueRunsMakeTheRegionRectangles) {
  const uint32_t M = KeyPixel, G = 0xFF01FF, A = 0x123456;
  // Row 0: all key; row 1: two runs, one reaching the right edge; row 2: all opaque.
  const std::vector<uint32_t> px = {M, G, M, M, A, A, M, A, A, A, A, A, 0, 0};
  const TPixelView view(px.data(), 4, 3, 4);  // the last two pixels lie outside the rows
  const std::vector<TPixelRect> runs = OpaqueRuns(view, KeyPixel, RegionTolerance, 10, 20);
  const std::vector<TPixelRect> want = {{10, 21, 12, 22}, {13, 21, 14, 22}, {10, 22, 14, 23}};
  EXPECT_EQ(runs, want);
  // A picture of magenta alone has no opaque run at all.
  const std::vector<uint32_t> magenta(64 * 9, M);
  EXPECT_TRUE(OpaqueRuns(TPixelView(magenta.data(), 64, 9, 64), KeyPixel, RegionTolerance).empty());
  // A strided view reads only its own columns.
  const std::vector<uint32_t> wide = {A, M, A, M, A, A};
  EXPECT_EQ(OpaqueRuns(TPixelView(wide.data(), 2, 2, 3), KeyPixel, RegionTolerance),
            (std::vector<TPixelRect>{{0, 0, 1, 1}, {1, 1, 2, 2}}));
}

TEST(SkinPixels, KeyMaskSetsExactlyTheKeyPixels) {
  std::vector<uint32_t> px(18 * 2, 0x000000);
  px[0] = px[9] = px[17] = KeyPixel;
  px[18 + 3] = 0xFF01FF;               // near the key: drawn, not masked
  px[18 + 8] = KeyPixel | 0xAB000000;  // the top byte does not count
  std::vector<uint8_t> bits(1, 0xEE);
  BuildKeyMask(TPixelView(px.data(), 18, 2, 18), KeyPixel, bits);
  ASSERT_EQ(KeyMaskStride(18), 4);
  EXPECT_EQ(bits, (std::vector<uint8_t>{0x80, 0x40, 0x40, 0x00, 0x00, 0x80, 0x00, 0x00}));
}

TEST(SkinPixels, MirrorFlipAndQuarterTurnsOfASmallPicture) {
  // a b c
  // d e f
  const uint32_t a = 1, b = 2, c = 3, d = 4, e = 5, f = 6;
  TSkinPicture p;
  p.Width = 3;
  p.Height = 2;
  p.Pixels = {a, b, c, d, e, f};
  auto turned = [&](void (*op)(TSkinPicture&)) {
    TSkinPicture q = p;
    q.Handle = std::make_shared<int>(1);
    op(q);
    EXPECT_FALSE(q.Handle);  // the platform bitmap must be made again
    return q;
  };
  const TSkinPicture l = turned(TurnLeft), r = turned(TurnRight);
  EXPECT_EQ(l.Width, 2);
  EXPECT_EQ(l.Height, 3);
  EXPECT_EQ(l.Pixels, (std::vector<uint32_t>{c, f, b, e, a, d}));
  EXPECT_EQ(r.Width, 2);
  EXPECT_EQ(r.Height, 3);
  EXPECT_EQ(r.Pixels, (std::vector<uint32_t>{d, a, e, b, f, c}));
  EXPECT_EQ(turned(MirrorPixels).Pixels, (std::vector<uint32_t>{c, b, a, f, e, d}));
  EXPECT_EQ(turned(FlipPixels).Pixels, (std::vector<uint32_t>{d, e, f, a, b, c}));

  // A flip of an odd height keeps its middle row.
  TSkinPicture column = p;
  column.Width = 1;
  column.Height = 3;
  column.Pixels = {a, b, c};
  FlipPixels(column);
  EXPECT_EQ(column.Pixels, (std::vector<uint32_t>{c, b, a}));
}
