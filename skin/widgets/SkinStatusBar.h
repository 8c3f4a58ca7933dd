// Status bars painted wholly by the skin: every panel from the StatusBarEdges picture
// (lowered, raised or flat by the panel's bevel) with its text on top, and the size grip
// from the extra pictures.
#pragma once

#include "skin/widgets/SkinControl.h"

class TSkinStatusBar : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  bool BeforeMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;

 private:
  void DrawPanel(HDC DC, const RECT& Panel, int Frame, const std::wstring& Text);
  std::wstring FText;
};

// Hides a plain dialog's size-grip scroll bar: it is never painted.
class TSkinSizer : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  bool BeforeMessage(TMessage& Message) override;
};
