#include "core/skin/SkinTabGeometry.h"

#include <algorithm>

namespace vpn::skin {

TTabSide TabSideOf(bool bottomStyle, bool verticalStyle) {
  if (bottomStyle && verticalStyle) return tsRight;
  if (verticalStyle) return tsLeft;
  if (bottomStyle) return tsBottom;
  return tsTop;
}

TTabTransforms TabTransformsOf(TTabSide side) {
  switch (side) {
    case tsBottom:
      return {true, qtNone, qtNone};
    case tsLeft:
      return {false, qtLeft, qtLeft};
    case tsRight:
      return {false, qtRight, qtRight};
    default:
      return {};
  }
}

TPixelRect TabSheetRectOf(const TPixelRect& display, TTabSide side) {
  TPixelRect s{display.Left - 4, display.Top - 4, display.Right + 4, display.Bottom + 4};
  switch (side) {
    case tsTop:
      ++s.Top;
      break;
    case tsBottom:
      --s.Bottom;
      break;
    case tsLeft:
      ++s.Left;
      break;
    case tsRight:
      --s.Right;
      break;
  }
  return s;
}

TPixelRect TabRowRectOf(int width, int height, const TPixelRect& sheet, TTabSide side) {
  switch (side) {
    case tsBottom:
      return {0, sheet.Bottom, width, height};
    case tsLeft:
      return {0, 0, sheet.Left, height};
    case tsRight:
      return {sheet.Right, 0, width, height};
    default:
      return {0, 0, width, sheet.Top};
  }
}

TRowSize TabRowBitmapSizeOf(const TPixelRect& row, TTabSide side) {
  const int w = std::max(0, row.Width()), h = std::max(0, row.Height());
  if (side == tsLeft || side == tsRight) return {h, w};
  return {w, h};
}

TPixelRect TabItemInRowOf(const TPixelRect& item, TTabSide side, int width, int height,
                          const TPixelRect& sheet) {
  switch (side) {
    case tsBottom:
      return item.Offset(0, -(sheet.Bottom + 1));
    case tsLeft:
      // Along the row is down the control; across it, from the control's left edge.
      return {height - item.Bottom, item.Left, height - item.Top, item.Right};
    case tsRight:
      return {item.Top - 1, width - item.Right, item.Bottom - 1, width - item.Left};
    default:
      return item.Offset(0, 1);
  }
}

int TabFrameOf(int index, int focusIndex) {
  return index == focusIndex ? 2 : 1;
}

TTabContent TabContentOf(const TPixelRect& tab, int iconWidth, int iconHeight, int textWidth,
                         int textHeight) {
  const bool icon = iconWidth > 0 && iconHeight > 0;
  const int gap = icon ? 1 : 0;
  const int total = (icon ? iconWidth : 0) + gap + std::max(0, textWidth);
  const int x = tab.Left + (tab.Width() - total) / 2;
  TTabContent c;
  if (icon) {
    const int y = tab.Top + (tab.Height() - iconHeight) / 2;
    c.Icon = {x, y, x + iconWidth, y + iconHeight};
  }
  const int textX = x + (icon ? iconWidth + gap : 0);
  const int textY = tab.Top + (tab.Height() - textHeight) / 2;
  c.Text = {textX, textY, textX + std::max(0, textWidth), textY + textHeight};
  return c;
}

}  // namespace vpn::skin
