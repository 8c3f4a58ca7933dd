// The skinned combo box, up-down and progress bar arithmetic, asked the way their
// painting asks it.
#include <gtest/gtest.h>

#include <utility>

#include "core/skin/SkinValueGeometry.h"

using namespace vpn::skin;

TEST(SkinValueGeometry, ComboButtonFrameAndSide) {
  EXPECT_EQ(ComboFrameOf(false, false, false, true), sfNormal);
  EXPECT_EQ(ComboFrameOf(true, true, true, true), sfPressed);
  EXPECT_EQ(ComboFrameOf(false, true, false, true), sfHot);
  for (int bits = 0; bits < 8; ++bits)
    EXPECT_EQ(ComboFrameOf(bits & 1, bits & 2, bits & 4, false), sfDisabled) << bits;

  // 121 x 21 box, 17-pixel arrows; right-to-left boxes take the second picture, left.
  const TComboLayout right = ComboLayoutOf(121, 21, 17, false);
  EXPECT_EQ(right.Button, (TPixelRect{102, 0, 121, 21}));
  EXPECT_EQ(right.TextArea, (TPixelRect{2, 2, 100, 19}));
  EXPECT_EQ(CentredIn(right.GlyphArea, 7, 4), (TPixelRect{107, 8, 114, 12}));
  const TComboLayout left = ComboLayoutOf(121, 21, 17, true);
  EXPECT_TRUE(left.SecondPicture && !right.SecondPicture);
  EXPECT_EQ(left.Button, (TPixelRect{0, 0, 19, 21}));
  EXPECT_EQ(left.TextArea, (TPixelRect{21, 2, 119, 19}));
  EXPECT_EQ(CentredIn(left.GlyphArea, 7, 4), (TPixelRect{7, 8, 14, 12}));
  EXPECT_EQ(SimpleComboLayoutOf(121, 21, 16).Button, (TPixelRect{103, 2, 119, 19}));
}

TEST(SkinValueGeometry, UpDownShowsStateOnlyInTheHalfUnderTheMouse) {
  auto faces = [](const TUpDownLayout& u) {
    return std::make_pair(u.First.FaceFrame, u.Second.FaceFrame);
  };
  // A vertical 17 x 22 up-down: up half 0..11, down half 11..22.
  TUpDownLayout u = UpDownLayoutOf(17, 22, false, false, true, 8, 15, true, true, true);
  EXPECT_EQ(u.Second.Rect, (TPixelRect{0, 11, 17, 22}));
  EXPECT_EQ(faces(u), std::make_pair(1, 6));
  EXPECT_EQ(faces(UpDownLayoutOf(17, 22, false, false, true, 8, 10, false, true, true)),
            std::make_pair(4, 5));
  EXPECT_EQ(faces(UpDownLayoutOf(17, 22, false, false, false, 8, 10, true, true, true)),
            std::make_pair(1, 5));
  // Horizontal, inside a skinned edit: inset a pixel, split left and right.
  u = UpDownLayoutOf(30, 18, true, true, true, 20, 9, true, false, true);
  EXPECT_EQ(u.First.Rect, (TPixelRect{1, 1, 15, 17}));
  EXPECT_EQ(u.Second.Rect, (TPixelRect{15, 1, 29, 17}));
  EXPECT_EQ(faces(u), std::make_pair(1, 6));
  // Disabled: frame 3 in both halves wherever the mouse is and whatever it does.
  for (int y = -3; y < 26; y += 4)
    EXPECT_EQ(faces(UpDownLayoutOf(17, 22, false, false, true, 8, y, true, true, false)),
              std::make_pair(3, 7));
}

TEST(SkinValueGeometry, ProgressFillsItsShareAndNothingAtZero) {
  EXPECT_EQ(ProgressFillOf(1, 3, 200), 66);
  EXPECT_EQ(ProgressFillOf(150, 100, 200), 200);  // a position beyond the limit
  EXPECT_EQ(ProgressFillOf(2000000000, 2000000000, 300), 300);
  EXPECT_EQ(ProgressLayoutOf(200, 18, 30, 100, false, 0, 0, 0).Fill, (TPixelRect{0, 0, 60, 18}));
  // Only the empty bar at position 0 or with no upper limit, in either look.
  for (bool blocks : {false, true})
    for (auto [pos, limit] : {std::pair{0, 100}, {40, 0}, {-5, 100}}) {
      const TProgressLayout p = ProgressLayoutOf(200, 18, pos, limit, blocks, 8, 10, 3);
      EXPECT_TRUE(!p.Fill.HasArea() && !p.Chunks.HasArea() && p.ChunkCount == 0);
    }
  // Block look: enough chunks to cover the filled width after the left margin, centred.
  const TProgressLayout p = ProgressLayoutOf(200, 18, 30, 100, true, 8, 10, 3);
  EXPECT_EQ(p.ChunkCount, 8);
  EXPECT_EQ(p.Chunks, (TPixelRect{3, 4, 63, 14}));
  EXPECT_EQ(ProgressLayoutOf(200, 18, 30, 100, true, 0, 10, 3).ChunkCount, 0);
}
