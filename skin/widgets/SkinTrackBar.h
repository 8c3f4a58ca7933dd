// Track bars: the control keeps painting its channel and ticks; through its custom-draw
// notifications the skin draws the thumb, from Trackbar.ThumbVert (vertical bars, when
// the skin has it) or Trackbar.ThumbHorz, or as a plain outlined box when the skin has
// neither.
#pragma once

#include "skin/widgets/SkinControl.h"
// (the common controls' header needs the base declarations first)
#include <commctrl.h>

class TSkinTrackBar : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  bool BeforeMessage(TMessage& Message) override;
  // The answer to one custom-draw notification of the control. The window it sits on
  // hands these over (they go to the parent, not to the control).
  LRESULT CustomDraw(const NMCUSTOMDRAW& Draw);

 private:
  void DrawThumb(HDC DC, const RECT& Thumb);
};
