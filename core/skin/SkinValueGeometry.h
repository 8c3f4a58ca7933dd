// The arithmetic of the skinned value controls that needs no window: which frame a
// combo box's button and each half of an up-down show, where the combo box's button,
// text and arrow glyph go, how an up-down is split in two, and how much of a progress
// bar is filled. The Windows side reads the control's state and the skin's pictures,
// asks these and draws.
#pragma once

#include "core/skin/SkinPixels.h"
#include "core/skin/SkinWidgets.h"

namespace vpn::skin {

// A combo box's button: pressed, then focused or hot; a disabled box always shows 3.
TStateFrame ComboFrameOf(bool pressed, bool focused, bool hot, bool enabled);

// A rectangle of Width x Height centred in Area (unscaled, so it may overhang).
TPixelRect CentredIn(const TPixelRect& area, int width, int height);

// Where the parts of a combo box of Width x Height go (client coordinates), with the
// button ArrowSize wide plus its frame.
struct TComboLayout {
  TPixelRect TextArea;         // left to the box: the skin does not paint over it
  TPixelRect Button;           // the button picture, stretched
  TPixelRect GlyphArea;        // the arrow glyph is centred in it
  bool SecondPicture = false;  // the button on the left uses the second button picture
};
// LeftButton for boxes whose scroll bar sits on the left (right-to-left layout).
TComboLayout ComboLayoutOf(int width, int height, int arrowSize, bool leftButton);

// The simple look: a frame one pixel inside the box, and the button filling the
// rightmost ThumbWidth pixels inside that.
struct TSimpleComboLayout {
  TPixelRect Frame, Button;
};
TSimpleComboLayout SimpleComboLayoutOf(int width, int height, int thumbWidth);

// One half of an up-down: where it lies, its state frame, and the frame of the
// button-face and glyph strips it shows (the second half's frames follow the first's
// four).
struct TUpDownHalf {
  TPixelRect Rect;
  TStateFrame Frame = sfNormal;
  int FaceFrame = 1;
};
struct TUpDownLayout {
  TPixelRect Face;            // filled with the button face colour first
  TUpDownHalf First, Second;  // up or left, down or right
};

// What an up-down of Width x Height shows: split left and right when Horizontal, else
// top and bottom; inset by a pixel as a buddy inside a skinned edit. Only the half
// holding the mouse (MouseX, MouseY, client coordinates; MouseInside false when the
// cursor is elsewhere) shows pressed or hot; a disabled control shows 3 in both halves
// wherever the mouse is.
TUpDownLayout UpDownLayoutOf(int width, int height, bool horizontal, bool buddy, bool mouseInside,
                             int mouseX, int mouseY, bool pressed, bool hot, bool enabled);

// How many of Width pixels a progress bar at Position of an upper limit of Limit fills:
// none unless both are positive, never more than the whole bar.
int ProgressFillOf(int position, int limit, int width);

// What a progress bar of Width x Height shows: the empty bar over the whole rectangle,
// and either the filled part (standard look) or a row of chunks (block look) starting
// after the picture's left margin, vertically centred.
struct TProgressLayout {
  TPixelRect Bar;
  int Filled = 0;
  TPixelRect Fill;    // standard look; no area when nothing is filled
  TPixelRect Chunks;  // block look: the strip the chunks are drawn into
  int ChunkCount = 0;
};
TProgressLayout ProgressLayoutOf(int width, int height, int position, int limit, bool blocks,
                                 int chunkWidth, int chunkHeight, int leftMargin);

}  // namespace vpn::skin
