// The skinned scroll bars' arithmetic that needs no window: where the bars of a
// scrolling control lie in its window, how one bar is cut into arrows, track and thumb,
// how long the thumb is and where it stands for the bar's range, page and position, what
// part of the bar lies under a point, and which value a thumb drag gives. The Windows
// side reads the control's scroll information and metrics, asks these and draws.
#pragma once

#include "core/skin/SkinPixels.h"

namespace vpn::skin {

// A bar's scroll information: range minimum and maximum, page and position.
struct TScrollInfo {
  int Min = 0, Max = 0, Page = 0, Pos = 0;
};

// The part of a bar the skin shows pressed (numbered as the skin control keeps it).
enum TPressedPart {
  ppNone = 0,
  ppLeftArrow = 1,
  ppRightArrow = 2,
  ppUpArrow = 3,
  ppDownArrow = 4,
  ppHorzThumb = 5,
  ppVertThumb = 6,
};

// The pressed part that a scroll message's code leaves: a line step presses its arrow,
// a thumb track the thumb, any other code (a page step, the end of scrolling) nothing.
// Codes as the scroll messages carry them: 0 line up or left, 1 line down or right,
// 5 thumb track.
TPressedPart PressedPartOf(int scrollCode, bool vertical);

// Where the bars of a control lie, in window coordinates.
struct TScrollBarsLayout {
  TPixelRect Horz, Vert, Corner;  // empty for a bar that is not there
};

// The bars of a window of Width x Height around a client area of ClientWidth x
// ClientHeight, with bars ArrowSize thick. The border is what is left around client and
// bar, halved; with neither bar the edge width counts. LeftScroll puts the vertical bar
// (and the corner) on the left.
TScrollBarsLayout ScrollBarsLayoutOf(int width, int height, int clientWidth, int clientHeight,
                                     int arrowSize, int edgeWidth, bool horz, bool vert,
                                     bool leftScroll);

// The thumb of one bar: the length between the arrows, the thumb's length and its
// offset from the end of the first arrow.
struct TThumbGeometry {
  int TrackLength = 0, ThumbSize = 0, ThumbPos = 0;
  bool operator==(const TThumbGeometry&) const = default;
};

// The sizes the thumb arithmetic needs from the system.
struct TThumbMetrics {
  int ArrowSize = 16;     // length of an arrow button
  int MinThumb = 8;       // the shortest thumb of a paged bar
  int UnpagedThumb = 16;  // the thumb of a bar without a page
};

// The thumb for a bar BarLength long. A bar whose content fits (maximum not above
// minimum) keeps Previous unchanged. A page as large as the range gives a thumb one
// pixel shorter than the track at offset 0. The thumb never reaches beyond the track.
TThumbGeometry ThumbGeometryOf(const TThumbGeometry& previous, int barLength,
                               const TScrollInfo& info, const TThumbMetrics& metrics);

// One bar cut into its pieces, along a bitmap Thickness thick and BarLength long (x runs
// along a horizontal bar, y along a vertical one), with the frames each piece shows.
struct TScrollBarPieces {
  TPixelRect FirstArrow, SecondArrow;  // left / up, right / down
  int FirstArrowFrame = 1, SecondArrowFrame = 5;
  TPixelRect Track;  // between the full-size arrows; no area on a very short bar
  TPixelRect Thumb;
  bool ThumbShown = false;
  int ThumbFrame = 1;
};

// What lies under a point of a bar.
enum TScrollHit { shNone, shLineUp, shPageUp, shThumb, shPageDown, shLineDown };

// How a bar shows beyond its geometry: the part held pressed, the part under the mouse
// and whether the bar can scroll at all (a disabled control, or content that fits).
struct TBarLook {
  TPressedPart Pressed = ppNone;
  TScrollHit Hot = shNone;
  bool Disabled = false;
};

// A bar shorter than two arrows gets two arrows of half its length and no track. The
// thumb shows where the track has room for it. The arrow frames of the skin's strip go
// normal, pressed, hot, disabled from 1 (left), 5 (right), 9 (up) and 13 (down); the
// thumb's normal, pressed, hot. A disabled bar shows disabled arrows and no thumb.
TScrollBarPieces ScrollBarPiecesOf(int barLength, int thickness, bool vertical, int arrowSize,
                                   const TThumbGeometry& thumb, const TBarLook& look);
TScrollBarPieces ScrollBarPiecesOf(int barLength, int thickness, bool vertical, int arrowSize,
                                   const TThumbGeometry& thumb, TPressedPart pressed);

// The part a press on a bar holds down: its arrow or its thumb (a page area is not drawn
// pressed).
TPressedPart PressedPartOfHit(TScrollHit hit, bool vertical);

// The part at X along the bar (0 at the start of the first arrow).
TScrollHit ScrollHitAt(int x, int arrowSize, const TThumbGeometry& thumb);

// Where a thumb drag stands: the offset that gives the value, the offset at which the
// thumb is drawn, and the bar's value.
struct TThumbDrag {
  int Offset = 0, ThumbPos = 0, Value = 0;
  bool operator==(const TThumbDrag&) const = default;
};

// The drag of a thumb that started at StartOffset, after the cursor moved Movement
// pixels along the bar. Past the end it stops at maximum - page + 1 on a paged bar (the
// last position that shows a full page) and at maximum otherwise; before the start at
// minimum. The thumb is drawn within the track even where the offset runs on.
TThumbDrag ThumbDragOf(const TScrollInfo& info, const TThumbGeometry& thumb, int startOffset,
                       int movement);

}  // namespace vpn::skin
