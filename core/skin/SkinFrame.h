// The skinned window frame's decisions that need no window: how thick each side of the
// frame is, where the client area lies, which rows of the frame drag the window, which
// caption buttons show and where, where the caption text goes, and which frame of a
// picture strip is drawn. The Windows side reads a window's styles and the skin's
// pictures, asks these functions and draws.
#pragma once

#include <string>
#include <vector>

#include "core/skin/SkinPixels.h"

namespace vpn::skin {

// What the skin does with a window's frame: bkFramed and bkThin windows get the skin's
// borders and title (a thin one shows no close button without a system menu); bkSystem
// (a popup without a full caption) keeps the frame the system gives it.
enum TBorderKind { bkFramed = 0, bkSystem = 2, bkThin = 3 };

TBorderKind BorderKindOf(bool popup, bool fullCaption, bool windowEdge, bool thickFrame);

// A picture strip's size and frame count, as the skin describes a border.
struct StripSize {
  int width = 0, height = 0, frames = 1;
};

// The frame's thickness on each side, in pixels.
struct FrameSizes {
  int Left = 0, Title = 0, Right = 0, Bottom = 0;
  bool operator==(const FrameSizes&) const = default;
};

// The left and right borders are strips of frames side by side, so one frame's width is
// the side's thickness; the title and bottom are stacked strips, one frame's height is
// theirs. A system-framed window has none. A frame count below 1 counts as 1.
FrameSizes FrameSizesOf(StripSize left, StripSize right, StripSize top, StripSize bottom,
                        TBorderKind kind);

// The client area inside a window rectangle (screen or window coordinates alike).
TPixelRect ClientBoxOf(const TPixelRect& window, const FrameSizes& frame, int menuHeight);

// The outer size that keeps a client area of w x h inside the frame.
struct OuterSize {
  int width = 0, height = 0;
  bool operator==(const OuterSize&) const = default;
};
OuterSize OuterSizeOf(int clientWidth, int clientHeight, const FrameSizes& frame, int menuHeight);

// The four pieces of the frame in window coordinates: left and right borders run the
// whole height, the bottom border and the title lie between them.
struct FramePieces {
  TPixelRect Left, Right, Bottom, Title;
};
FramePieces FramePiecesOf(int width, int height, const FrameSizes& frame);

// What a frame point that the system does not claim is: the top four rows are an edge
// that does not move the window, the rest of the title drags it, and below the title
// lies the menu bar's row.
enum TFrameRow { frEdge, frCaption, frMenu };
TFrameRow FrameRowAt(int y, int titleHeight);

// The frame of a border or title strip: 1 while the window is active or when the strip
// has one frame, else 2.
int BorderFrameOf(bool active, int frames);

// What a caption button does when clicked: its Action in the skin.
enum TCaptionAction : int {
  baClose = 0,
  baMaximize = 1,  // maximise, or restore a maximised window
  baMinimize = 2,  // minimise, or restore a minimised window
  baSystemMenu = 3,
  baChildMinimize = 7,  // the buttons of an MDI frame's maximised child
  baChildRestore = 8,
  baChildClose = 9,
  baWindowIcon = 11,  // the system menu, shown as the window's icon
  baSystemMenuPicture = 12,
  baMaximizeAlt = 22,
  baMinimizeAlt = 23,
  baChildMinimizeAlt = 60,
  baChildRestoreAlt = 61,
  baChildCloseAlt = 62,
};
// The caption buttons' visibility that puts a button into the menu bar's row (the
// buttons of a maximised MDI child).
constexpr int kMenuBarButton = 100;

// What a click on a caption button of that action comes to.
enum TCaptionCommand {
  ccClose,
  ccMaximizeOrRestore,
  ccMinimizeOrRestore,
  ccSystemMenu,
  ccChildMinimize,
  ccChildRestore,
  ccChildClose,
  ccProgram,  // a button the program defines: the window hears of it
};
TCaptionCommand CaptionCommandOf(int action);
// The system-menu buttons that show the window's icon when they have no picture.
bool ShowsWindowIcon(int action);

// A caption button's state under the mouse.
enum TNCState { nsNormal = 1, nsPressed = 2, nsHot = 3 };

// The frame of a caption button. At rest it shows frame 1 on an active window and frame
// 4 on an inactive one when the strip has four; pressed shows 2; hot shows 3, or 4 for a
// button of the menu bar. A frame the strip does not hold falls back to frame 1.
int SysButtonFrameOf(TNCState state, bool active, int frames, int visibility);

// What a caption button's visibility conditions look at.
struct SysButtonWindow {
  TBorderKind border = bkFramed;
  bool sysMenu = false, maxBox = false, minBox = false;
  bool maximised = false, active = true;
  // An MDI frame whose active child is maximised and which has a menu bar.
  bool mdiMaxChildInMenuBar = false;
};

// Whether a caption button shows: both its conditions hold, and a maximise (action 1)
// or minimise (action 2) button also needs the window's box of that kind.
bool SysButtonShown(int action, int visibility, int visibility1, const SysButtonWindow& w);

// Where the caption buttons and the caption text go in the title bar.
struct SysButtonSpec {
  int align = 0, x = 0, y = 0;
  int width = 0, height = 0;  // of one frame
};

struct CaptionSpec {
  int textWidth = 0, textHeight = 0;  // of the caption followed by three spaces
  int alignment = 0;                  // 0 left at shift, 1 centred, 2 right before rightClip
  int shift = 0, shiftVert = 0, rightClip = 0;
  int backLeft = 0, backRight = 0;  // the text background's fixed ends
  bool rightToLeft = false;
  bool popup = false;  // a WS_POPUP window stretches its text box out to the buttons
};

struct TitleMetrics {
  int windowWidth = 0;
  FrameSizes frame;
  int menuHeight = 0;
  int menuBarMargin = 0;  // the menu bar picture's left margin, when there is one
  bool rightToLeft = false;
};

struct TitleLayout {
  std::vector<TPixelRect> buttons;  // one per spec, in window coordinates
  TPixelRect textBox;               // the caption's background
  TPixelRect textRect;              // where the text itself is drawn
  int captionLimit = 0;             // left edge of the leftmost right-aligned button
};

// Right-aligned buttons (align 1) come first, as the caption's box of a popup window
// reaches out to them; buttons placed against the caption text (align 2, 3, 8, 9) come
// after the text box. Align 100 puts a button into the menu bar's row.
TitleLayout LayoutTitle(const std::vector<SysButtonSpec>& buttons, const CaptionSpec& caption,
                        const TitleMetrics& metrics);

}  // namespace vpn::skin
