// The skinned controls' arithmetic: the check and radio glyph frames, where a glyph sits,
// and where a caption goes.
#include <gtest/gtest.h>

#include "core/skin/SkinWidgets.h"

using namespace vpn::skin;

TEST(SkinWidgets, GlyphFramesForCheckedDisabledAndThirdState) {
  EXPECT_EQ(GlyphFrameOf(false, false, true, 4), 1);
  EXPECT_EQ(GlyphFrameOf(true, false, true, 4), 2);
  EXPECT_EQ(GlyphFrameOf(false, false, false, 4), 3);
  EXPECT_EQ(GlyphFrameOf(true, false, false, 4), 4);
  EXPECT_EQ(GlyphFrameOf(false, true, true, 4), 4);
  // A strip of two frames has nothing for the disabled states: the plain box instead.
  EXPECT_EQ(GlyphFrameOf(true, false, false, 2), 1);
  EXPECT_EQ(GlyphFrameOf(true, false, true, 2), 2);
}

TEST(SkinWidgets, GlyphSitsInTheSystemsBoxOrAtTheEdge) {
  // 13 wide in a 17-high control: one pixel in, vertically centred.
  TPixelRect g = GlyphRectOf(83, 17, 13, 13, false);
  EXPECT_EQ(g.Left, 0);
  EXPECT_EQ(g.Top, 2);
  EXPECT_EQ(g.Width(), 13);
  EXPECT_EQ(g.Height(), 13);
  g = GlyphRectOf(83, 17, 10, 9, false);
  EXPECT_EQ(g.Left, 2);
  EXPECT_EQ(g.Top, 4);
  // Text on the left: the glyph at the right edge.
  g = GlyphRectOf(83, 17, 10, 9, true);
  EXPECT_EQ(g.Right, 83 - 2);
  // Wide glyphs fill from the edge (one pixel in on the right).
  EXPECT_EQ(GlyphRectOf(83, 20, 16, 16, false).Left, 0);
  EXPECT_EQ(GlyphRectOf(83, 20, 16, 16, true).Right, 82);
  // Taller than the control: it overhangs evenly rather than being cut at the top only.
  EXPECT_EQ(GlyphRectOf(40, 10, 13, 14, false).Top, -2);
}

TEST(SkinWidgets, CaptionCentredOrKeptAtTheSides) {
  const TPixelRect box{10, 20, 74, 47};  // 64 x 27
  TPixelRect t = CaptionRectOf(box, 30, 12, caCentre);
  EXPECT_EQ(t.Left, 10 + 17);
  EXPECT_EQ(t.Top, 20 + 6);  // one above the middle
  EXPECT_EQ(t.Width(), 30);
  t = CaptionRectOf(box, 30, 12, caLeft);
  EXPECT_EQ(t.Left, 10);
  EXPECT_EQ(t.Right, 74);
  EXPECT_EQ(t.Top, 26);
  // A text larger than the box stays centred on it.
  t = CaptionRectOf(box, 100, 40, caCentre);
  EXPECT_EQ(t.Left, 10 - 18);
  EXPECT_EQ(t.Top, 20 - 7);
}
