// Combo boxes: the box paints itself, then the skin draws the frame ring and the
// drop-down button over it from the SunkEdge and ComboButton pictures (frame 1 at rest,
// 2 pressed, 3 disabled, 4 focused or under the mouse), with the arrow glyph from
// ExtraImages. The text area is left as the box drew it. Boxes laid out right to left
// get the button on the left, from the mirrored button picture. A skin without a
// button picture, or (in the sunken look) without a frame picture, leaves the box in its
// own look.
#pragma once

#include "skin/widgets/SkinControl.h"

class TSkinComBox : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  void AfterMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;

  bool Hot() const { return (ButtonState & bsHot) != 0; }
  bool Pressed() const { return (ButtonState & bsPressed) != 0; }
  // The frame of the button strip the box shows now.
  int Frame() const;
  // The box's window styles at the last paint.
  LONG_PTR Style = 0, ExStyle = 0;

 private:
  void DrawSimple(HDC DC, const RECT& Rect, int Frame);
  void SetHot(bool On);
};
