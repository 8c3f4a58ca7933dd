// Up-down buttons, on their own or inside a skinned edit: the skin paints both halves
// itself from the UpDown.Vert or UpDown.Horz pictures (button faces and glyphs), or line
// by line in the skin's colours when the skin has no such pictures. Only the half under
// the mouse shows pressed or hot; a disabled control shows its disabled frame in both.
#pragma once

#include "core/skin/SkinValueGeometry.h"
#include "skin/widgets/SkinControl.h"

class TSkinUpDown : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  bool BeforeMessage(TMessage& Message) override;
  void AfterMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;

  // Attached by a skinned edit it sits in: the face is inset by a pixel.
  bool Buddy() const { return FBuddy; }
  void SetBuddy(bool Value) { FBuddy = Value; }
  // What the control shows now, from its state and where the mouse is.
  vpn::skin::TUpDownLayout Layout() const;

 private:
  void Paint(HDC DC);
  void DrawPlainHalf(HDC DC, const vpn::skin::TUpDownHalf& Half, int Direction);
  // The frames of the last paint: a mouse move repaints only when they change.
  int FShownFirst = 0, FShownSecond = 0;
  bool FBuddy = false;
};
