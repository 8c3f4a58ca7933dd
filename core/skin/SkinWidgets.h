// The skinned controls' decisions that need no window: which frame of the push-button
// strip a button shows, which glyph a check box or radio button shows and where, where a
// caption lands in its rectangle, and which frame of the status-bar strip a panel gets.
#pragma once

#include "core/skin/SkinPixels.h"

namespace vpn::skin {

// The frames of the strips that show a control's state (push buttons, the combo box
// button, the up-down halves).
enum TStateFrame { sfNormal = 1, sfPressed = 2, sfDisabled = 3, sfHot = 4 };

// Push buttons: pressed, then focused or under the mouse (the hot frame). A disabled
// button shows its disabled frame whatever else holds.
TStateFrame ButtonFrameOf(bool pressed, bool focused, bool hot, bool enabled);

// Check boxes and radio buttons: 1 unchecked, 2 checked, two more when disabled; a check
// box in the third (indeterminate) state shows 4. A frame the strip does not hold falls
// back to frame 1.
int GlyphFrameOf(bool checked, bool indeterminate, bool enabled, int frames);

// Where the glyph goes in a control of the given size: vertically centred; at the left
// edge (or the right edge for text on the left), centred in the 14-pixel box the system
// draws when the glyph is narrower than 15 pixels.
TPixelRect GlyphRectOf(int controlWidth, int controlHeight, int glyphWidth, int glyphHeight,
                       bool textLeft);

// Where a caption of the measured size is drawn in a rectangle: centred both ways, or, for
// left and right alignment, only vertically centred, keeping the rectangle's sides. The
// text stands one pixel above the exact middle.
enum TCaptionAlign { caLeft, caRight, caCentre };
TPixelRect CaptionRectOf(const TPixelRect& box, int textWidth, int textHeight, TCaptionAlign align);

// A status-bar panel: lowered shows frame 1, raised 2, no bevel 3.
enum TPanelBevelKind { pbLowered, pbRaised, pbNone };
int StatusFrameOf(TPanelBevelKind bevel);

}  // namespace vpn::skin
