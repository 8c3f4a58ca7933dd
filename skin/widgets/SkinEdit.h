// Edits: the control paints itself; the skin then draws its sunken border flat, one
// line of the skin's shadow colour outside and a white one inside. An edit without a
// border (client area as large as the window) keeps its look. Up-down buttons placed
// inside the edit get the skin too, on the edit's first paint.
#pragma once

#include "skin/widgets/SkinControl.h"

class TSkinEdit : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  bool BeforeMessage(TMessage& Message) override;
  void AfterMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;
  // Whether the window has a border the skin can draw over (Margin pixels at least on
  // each side of the client area).
  bool HasBorder(int Margin) const;

 private:
  void DrawBorder(HDC DC, const RECT& Rect, HBRUSH Inner);
  // The frame is the two-pixel sunken border and nothing else (no scroll bars): the
  // skin's two lines cover all of it.
  bool BorderIsWholeFrame() const;
  void SkinUpDownChild();
  bool FLookedForUpDown = false;
  // The shadow brush, made once per skin colour.
  TBrushHandle FShadow;
  COLORREF FShadowColour = CLR_INVALID;
};
