#include "core/skin/SkinWidgets.h"

namespace vpn::skin {

TStateFrame ButtonFrameOf(bool pressed, bool focused, bool hot, bool enabled) {
  if (!enabled) return sfDisabled;
  if (pressed) return sfPressed;
  if (focused || hot) return sfHot;
  return sfNormal;
}

int GlyphFrameOf(bool checked, bool indeterminate, bool enabled, int frames) {
  int frame = checked ? 2 : 1;
  if (!enabled) frame += 2;
  if (indeterminate) frame = 4;
  return frame <= frames ? frame : 1;
}

TPixelRect GlyphRectOf(int controlWidth, int controlHeight, int glyphWidth, int glyphHeight,
                       bool textLeft) {
  // The system's box is 13 pixels in a 14-pixel cell; a narrower glyph sits in its middle.
  const int inset = glyphWidth < 15 ? (14 - glyphWidth) / 2 : 0;
  const int top = (controlHeight - glyphHeight) / 2;
  int left = inset;
  if (textLeft) left = controlWidth - (glyphWidth < 15 ? inset : 1) - glyphWidth;
  return {left, top, left + glyphWidth, top + glyphHeight};
}

TPixelRect CaptionRectOf(const TPixelRect& box, int textWidth, int textHeight,
                         TCaptionAlign align) {
  const int dy = (box.Height() - textHeight) / 2 - 1;
  if (align == caCentre) {
    const int dx = (box.Width() - textWidth) / 2;
    return {box.Left + dx, box.Top + dy, box.Left + dx + textWidth, box.Top + dy + textHeight};
  }
  return {box.Left, box.Top + dy, box.Right, box.Top + dy + textHeight};
}

int StatusFrameOf(TPanelBevelKind bevel) {
  switch (bevel) {
    case pbLowered:
      return 1;
    case pbRaised:
      return 2;
    default:
      return 3;
  }
}

}  // namespace vpn::skin
