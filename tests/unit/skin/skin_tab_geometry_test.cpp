// The skinned tab controls' arithmetic: the row is drawn once with the tabs on top and
// turned into place with the same pixel turns the skin uses, so the tests draw each tab
// into a row, turn it, and look where it landed in the control.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "core/skin/SkinTabGeometry.h"

using namespace vpn::skin;

namespace {

constexpr int kW = 300, kH = 200;

// Every item drawn into the row in its own colour, the row turned into place; the box of
// each colour back in control coordinates.
std::vector<TPixelRect> TabsAsDrawn(const std::vector<TPixelRect>& items, TTabSide side,
                                    const TPixelRect& display) {
  const TPixelRect sheet = TabSheetRectOf(display, side);
  const TPixelRect row = TabRowRectOf(kW, kH, sheet, side);
  const TRowSize size = TabRowBitmapSizeOf(row, side);
  TSkinPicture bitmap;
  bitmap.Width = size.Width;
  bitmap.Height = size.Height;
  bitmap.Pixels.assign(static_cast<size_t>(size.Width) * size.Height, 0);
  for (size_t i = 0; i < items.size(); ++i) {
    const TPixelRect r = TabItemInRowOf(items[i], side, kW, kH, sheet);
    for (int y = std::max(0, r.Top); y < std::min(size.Height, r.Bottom); ++y)
      for (int x = std::max(0, r.Left); x < std::min(size.Width, r.Right); ++x)
        bitmap.Pixels[static_cast<size_t>(y) * size.Width + x] = static_cast<uint32_t>(i + 1);
  }
  const TTabTransforms t = TabTransformsOf(side);
  if (t.Row == qtLeft) TurnLeft(bitmap);
  if (t.Row == qtRight) TurnRight(bitmap);
  EXPECT_EQ(bitmap.Width, row.Width());
  EXPECT_EQ(bitmap.Height, row.Height());

  std::vector<TPixelRect> boxes(items.size(), TPixelRect{INT_MAX, INT_MAX, INT_MIN, INT_MIN});
  for (int y = 0; y < bitmap.Height; ++y)
    for (int x = 0; x < bitmap.Width; ++x)
      if (const uint32_t c = bitmap.At(x, y)) {
        TPixelRect& b = boxes[c - 1];
        b = {std::min(b.Left, x), std::min(b.Top, y), std::max(b.Right, x + 1),
             std::max(b.Bottom, y + 1)};
      }
  for (TPixelRect& b : boxes) b = b.Offset(row.Left, row.Top);
  return boxes;
}

}  // namespace

TEST(SkinTabGeometry, SideSheetAndRow) {
  EXPECT_EQ(TabSideOf(true, false), tsBottom);
  EXPECT_EQ(TabSideOf(false, true), tsLeft);
  EXPECT_EQ(TabSideOf(true, true), tsRight);
  EXPECT_TRUE(TabTransformsOf(tsBottom).FlipPictures && !TabTransformsOf(tsRight).FlipPictures);
  EXPECT_EQ(TabTransformsOf(tsRight).Border, qtRight);
  // On every side the row and the sheet meet without overlapping.
  const TPixelRect display{10, 30, 290, 190};
  for (TTabSide side : {tsTop, tsBottom, tsLeft, tsRight}) {
    const TPixelRect s = TabSheetRectOf(display, side);
    const TPixelRect r = TabRowRectOf(kW, kH, s, side);
    EXPECT_TRUE(r.HasArea()) << side;
    EXPECT_TRUE(r.Bottom == s.Top || r.Top == s.Bottom || r.Right == s.Left || r.Left == s.Right);
  }
  EXPECT_EQ(TabSheetRectOf(display, tsRight), (TPixelRect{6, 26, 293, 194}));
}

TEST(SkinTabGeometry, TurnedRowPutsEachTabOverItsItem) {
  // Tabs on top or bottom land a pixel towards the sheet, as the row is drawn to meet it.
  const std::vector<TPixelRect> across{{2, 2, 60, 22}, {60, 0, 130, 24}, {130, 2, 200, 22}};
  EXPECT_EQ(TabsAsDrawn(across, tsTop, {4, 28, 296, 196}),
            (std::vector<TPixelRect>{{2, 3, 60, 23}, {60, 1, 130, 25}, {130, 3, 200, 23}}));
  const std::vector<TPixelRect> below{{2, 178, 60, 198}, {60, 176, 130, 200}};
  EXPECT_EQ(TabsAsDrawn(below, tsBottom, {4, 4, 296, 172}),
            (std::vector<TPixelRect>{{2, 177, 60, 197}, {60, 175, 130, 199}}));

  // Down the left side: each tab exactly over its item, in the items' order.
  const std::vector<TPixelRect> left{{2, 2, 64, 40}, {0, 40, 66, 90}, {2, 90, 64, 150}};
  EXPECT_EQ(TabsAsDrawn(left, tsLeft, {70, 4, 296, 196}), left);

  // Down the right side: turned the other way, still in order over the items.
  const std::vector<TPixelRect> right{{235, 2, 298, 40}, {233, 40, 300, 90}};
  EXPECT_EQ(TabsAsDrawn(right, tsRight, {4, 4, 230, 196}),
            (std::vector<TPixelRect>{{235, 1, 298, 39}, {233, 39, 300, 89}}));
}

TEST(SkinTabGeometry, IconAndTextAreCentredTogether) {
  // A 16-pixel icon and 40 pixels of text in a 90 x 24 tab: 57 pixels, centred.
  const TTabContent c = TabContentOf({10, 0, 100, 24}, 16, 16, 40, 13);
  EXPECT_EQ(c.Icon, (TPixelRect{26, 4, 42, 20}));
  EXPECT_EQ(c.Text, (TPixelRect{43, 5, 83, 18}));
  EXPECT_EQ(TabContentOf({10, 0, 100, 24}, 0, 0, 40, 13).Text, (TPixelRect{35, 5, 75, 18}));
}
