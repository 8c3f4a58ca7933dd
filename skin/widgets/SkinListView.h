// List views: the skinned scroll bars of a scrolling control, and the column header drawn
// from the skin's header picture.
#pragma once

#include "skin/widgets/SkinScrollBar.h"

class TSkinHeader;

class TSkinListView : public TSkinScrollBar {
 public:
  using TSkinScrollBar::TSkinScrollBar;

  void Attach(TControl* AControl, TSkinData* ASkinData, bool AOperate,
              TSkinCanvas* ACanvas) override;
  void AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) override;
  void AfterMessage(TMessage& Message) override;

 private:
  void SkinHeader();
  // The skin control of the list view's header, or null (a list view without columns).
  TSkinHeader* FHeader = nullptr;
};

// A header control drawn from the skin's Headerbar picture: one frame per item (1 at
// rest, 2 pressed, 3 under the mouse), the rest of the bar in frame 1, the item texts in
// the picture's text colours.
class TSkinHeader : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  bool BeforeMessage(TMessage& Message) override;
  void AfterMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;

 private:
  int ItemAt(POINT Client) const;
  int FPressed = -1, FHot = -1;
};
