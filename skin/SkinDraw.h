// Drawing skin pictures with the device calls: a frame of a strip, nine-slice and
// three-slice scaling with fixed margins, tiles, key-colour transparency and window
// regions from the opaque pixels of a picture. The cutting and the pixel tests are the
// portable plans of core/skin/SkinPixels; this layer only carries them out.
//
// Every stretched or sliced drawing is first made off screen at the target size and then
// copied to the target in one operation, so nothing half-drawn flickers on screen.
// Stretching is nearest-pixel (COLORONCOLOR): a drawn pixel is always one of the
// picture's own colours. Strips are any bitmaps (usually SkinBitmapOf of an element's
// picture, a 32-bit device-independent bitmap); the caller keeps them, and they must not
// be selected into a DC while drawn or read. Drawing happens on the GUI thread, which
// keeps the scratch surfaces these functions reuse.
#pragma once

#include <windows.h>

#include "core/skin/SkinElements.h"
#include "core/skin/SkinPixels.h"
#include "framework/Handles.h"

// Magenta: transparent in transparent drawings and cut out of window regions.
constexpr COLORREF KeyColor = RGB(255, 0, 255);

// The margins of an element (left, top, right and bottom widths of its fixed edges).
RECT ElementMargins(const TDataSkinObject& Element);

// Frame Index (from 1) of a horizontal strip of Count frames, stretched to Rect; the
// key colour left unpainted when Transparent. Nothing for an inverted rectangle.
void DrawFrame(HDC DC, const RECT& Rect, HBITMAP Strip, bool Transparent, int Count, int Index);

// Bitmap from its top-left, unscaled, over Rect, leaving the pixels of colour Key
// unpainted. Nothing for an inverted rectangle.
void DrawTransparent(HDC DC, const RECT& Rect, HBITMAP Bitmap, COLORREF Key = KeyColor);

// A new 32-bit top-down bitmap of Width x Height (contents undefined), for composing off
// screen; empty when the system gives none.
TBitmapHandle NewSurface(int Width, int Height);

// A new 32-bit bitmap of Width x Height holding the nine-slice picture of frame Index of
// Count (frames stacked when Vertical): corners kept, edges stretched along their
// length, the centre tiled when TileCentre, else stretched. Margins holds the fixed
// widths (left, top, right, bottom). Empty for a size without area or no strip.
TBitmapHandle RenderNineSlice(int Width, int Height, HBITMAP Strip, const RECT& Margins,
                              bool Vertical, bool TileCentre, int Count, int Index);

// The nine-slice picture at Rect's size drawn at Rect, the key colour left unpainted when
// Transparent. Nothing for an inverted rectangle.
void DrawNineSlice(HDC DC, const RECT& Rect, HBITMAP Strip, bool Vertical, bool TileCentre,
                   bool Transparent, int Count, int Index, const RECT& Margins);

// Only the eight corner and edge pieces of the nine-slice picture, stretched straight
// onto DC at Rect; what lies under the centre is left as it is.
void DrawNineSliceEdges(HDC DC, const RECT& Rect, HBITMAP Strip, bool Vertical, int Count,
                        int Index, const RECT& Margins);

// The three-slice picture of a frame (Margins.left and Margins.right are the fixed ends,
// the middle is repeated at its own width), stretched to Rect's height, the key colour
// left unpainted when Transparent. Nothing for an inverted rectangle.
void DrawThreeSlice(HDC DC, const RECT& Rect, HBITMAP Strip, bool Vertical, bool Transparent,
                    int Count, int Index, const RECT& Margins);

// SourceRect of Source repeated over Rect from its top-left, unscaled; the last row and
// column are not cut at Rect's right and bottom. Nothing when SourceRect has no area.
void TileRect(HDC DC, const RECT& Rect, HBITMAP Source, const RECT& SourceRect);

// The region of the pixels of Bitmap that are not the key colour (each channel within
// [key, key + its tolerance]), moved by (XOffset, YOffset). An empty region when no
// pixel is opaque; null only when the bitmap cannot be read.
TRegionHandle RegionFromBitmap(HBITMAP Bitmap, int XOffset, int YOffset, BYTE BlueTolerance = 1,
                               BYTE GreenTolerance = 1, BYTE RedTolerance = 1,
                               COLORREF Key = KeyColor);

// In-place transforms (tab pictures for the other sides). Mirror: every row reversed;
// Flip: the rows upside down. The quarter turns swap width and height, so they replace
// the bitmap by a new 24-bit one: RotateLeft counter-clockwise, RotateRight clockwise.
// Pictures of the skin model turn with MirrorPixels, FlipPixels, TurnLeft and TurnRight.
void MirrorBitmap(HBITMAP Bitmap);
void FlipBitmap(HBITMAP Bitmap);
void RotateLeft(TBitmapHandle& Bitmap);
void RotateRight(TBitmapHandle& Bitmap);
