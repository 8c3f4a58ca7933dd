// Progress bars: with a Progress picture in the skin, the skin paints the whole bar
// itself, the empty bar under a filled part as long as the position says (standard
// look) or a row of chunks (block look); without one, and for bars that fill upwards
// or only show activity, the bar paints itself.
#pragma once

#include "skin/widgets/SkinControl.h"

class TSkinProgress : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  bool BeforeMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;

  // How many pixels of a bar Width wide the position fills now.
  int FilledWidth(int Width) const;
};
