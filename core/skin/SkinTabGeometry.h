// The skinned tab controls' arithmetic that needs no window: which side the tabs are
// on, where the sheet and the tab row lie, how the row is drawn once lying on its back
// (tabs on top) and turned into place, where each tab goes in that row, and where a
// tab's icon and text go. The Windows side reads the control's rectangles, asks these
// and draws.
#pragma once

#include "core/skin/SkinPixels.h"

namespace vpn::skin {

enum TTabSide { tsTop = 0, tsBottom = 1, tsLeft = 2, tsRight = 3 };

// From the control's style: the bottom bit alone puts the tabs below, the vertical bit
// alone on the left, both on the right.
TTabSide TabSideOf(bool bottomStyle, bool verticalStyle);

// How the tab pictures (drawn for tabs on top) are prepared for a side, and how the
// row, drawn for tabs on top, is turned into place.
enum TQuarterTurn { qtNone, qtLeft, qtRight };  // counter-clockwise, clockwise
struct TTabTransforms {
  bool FlipPictures = false;  // tab and border pictures upside down
  TQuarterTurn Border = qtNone;
  TQuarterTurn Row = qtNone;
};
TTabTransforms TabTransformsOf(TTabSide side);

// The sheet: the control's display rectangle grown by 4 pixels on each side, its edge on
// the tab side one pixel further in.
TPixelRect TabSheetRectOf(const TPixelRect& display, TTabSide side);

// The tab row: the strip of the control (Width x Height) between the sheet and the
// control's edge on the tab side.
TPixelRect TabRowRectOf(int width, int height, const TPixelRect& sheet, TTabSide side);

// The size of the row bitmap, drawn as if the tabs were on top: the row's own size, or
// its height by its width for tabs on the left or right.
struct TRowSize {
  int Width = 0, Height = 0;
  bool operator==(const TRowSize&) const = default;
};
TRowSize TabRowBitmapSizeOf(const TPixelRect& row, TTabSide side);

// A tab's rectangle (control coordinates) in the row bitmap drawn for tabs on top; once
// the row is turned into place, the tab lies over the item.
TPixelRect TabItemInRowOf(const TPixelRect& item, TTabSide side, int width, int height,
                          const TPixelRect& sheet);

// The tab with the focus shows frame 2, the others frame 1.
int TabFrameOf(int index, int focusIndex);

// The sheet border's fixed edges, in pixels of the border picture.
constexpr TMargins TabBorderMargins{4, 5, 4, 4};

// A tab's icon (when it has one) and text, centred together in the tab: the icon
// vertically centred, the text a pixel after it.
struct TTabContent {
  TPixelRect Icon;  // no area without an icon
  TPixelRect Text;
};
TTabContent TabContentOf(const TPixelRect& tab, int iconWidth, int iconHeight, int textWidth,
                         int textHeight);

}  // namespace vpn::skin
