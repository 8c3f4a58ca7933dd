// The element objects of a skin: one picture strip with its cutting parameters each,
// filled from the skin's settings text.
#pragma once

#include <cstdint>
#include <string>

#include "core/skin/SkinColour.h"
#include "core/skin/SkinPicture.h"

class TDataSkinObject {
 public:
  virtual ~TDataSkinObject() = default;

  // Fixed margins of the picture (the parts that are neither stretched nor tiled).
  int32_t LeftWidth = 0, TopHeight = 0, RightWidth = 0, BottomHeight = 0;
  TSkinPicture Bitmap;  // a strip of FrameCount frames
  int32_t Trans = 0;    // 1: magenta pixels are transparent
  int32_t Tile = 0;     // borders: 1 stretches the centre; others: 1 tiles it
  std::string Name;     // the section (or border name) it was read from
  int32_t FrameCount = 1;
  int32_t Style = 0;
  // Colour numbers per state as the skin writes them, -1 when absent.
  int32_t NormalColour = -1, MouseOverColour = -1, PressedColour = -1;
  // Text colours per state.
  TColor NormalColour2 = vpn::skin::clBtnText;
  TColor MouseOverColour2 = vpn::skin::clBtnText;
  TColor PressedColour2 = vpn::skin::clBtnText;
};

class TDataSkinBorder : public TDataSkinObject {
 public:
  TSkinPicture Bitmap2;  // a second picture (tab border, chunk, mirrored button, glyphs)
};

// The caption: its margins carry the text offsets (LeftWidth = TextShift, TopHeight =
// TextShiftVert, RightWidth = TextRightClip); Bitmap is the text background.
class TDataSkinTitle : public TDataSkinObject {
 public:
  int32_t TextAlignment = 0, Textbackground = 0, FontHeight = 14, TXTBackleft = 0, TXTBackRight = 0;
  TColor ActiveText = vpn::skin::clNone, InActiveText = vpn::skin::clNone;
};

class TDataSkinButton : public TDataSkinObject {
 public:
  TSkinPicture CheckBitmap, RadioBitmap;
  int32_t RadioButtonFrame = 0, CheckButtonFrame = 0;
};

// A caption button (or one of the three buttons of a maximised MDI child).
class TDataSkinSysButton : public TDataSkinObject {
 public:
  int32_t Action = 0, Align = 0, Xcoord = 0, Ycoord = 0, CombineOp = -1, Visibility = 0,
          Visibility1 = 0;
};
