// Tab controls in the skin's look: the control paints itself, then the skin paints the
// tab row and the sheet's border over it from the skin's tab pictures. The row is drawn
// as if the tabs were on top and turned into place for tabs on the left or right; the
// pictures are turned or flipped once per skin to match. An overflowing row's scroll
// arrows (the control's up-down child) stay uncovered and get the skin's up-down look.
#pragma once

#include "core/skin/SkinTabGeometry.h"
#include "skin/widgets/SkinControl.h"

class TSkinTab : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  void Attach(TControl* AControl, TSkinData* ASkinData, bool ARecolour,
              TSkinCanvas* ACanvas) override;
  void AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) override;
  void AfterMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;
  void SkinChanged() override;

  // The side the tabs are on, from the control's style.
  vpn::skin::TTabSide TabSide() const { return FTabSide; }
  // The scroll arrows are there and shown.
  bool ScrollerShown() const;

 private:
  void PreparePictures();
  void FindScroller();
  void DrawRow(HDC Row, const vpn::skin::TPixelRect& Sheet, int Width, int Height);
  void DrawTab(HDC Row, int Index, const RECT& Tab, int Frame, HIMAGELIST Images);

  vpn::skin::TTabSide FTabSide = vpn::skin::tsTop;
  // The skin's tab and sheet-border pictures, flipped and turned for the side.
  TBitmapHandle FTabPicture, FBorderPicture;
  // The row as drawn for tabs on top (kept between paints while its size stays).
  TBitmapHandle FRowBitmap;
  SIZE FRowSize{};
  // The control's scroll arrows (shown only while the row overflows), and the skin
  // control they were given (null when the skin has none for up-downs).
  HWND FScrollerWindow = nullptr;
  TSkinControl* FScroller = nullptr;
};

// Tab sets in the skin's look: the skin paints the whole row, each tab from the tab
// picture turned upside down (the tabs hang below what they switch), the chosen one in
// the focused tab's frame. Without tab pictures the tab set paints itself.
class TSkinTab31 : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  void Attach(TControl* AControl, TSkinData* ASkinData, bool ARecolour,
              TSkinCanvas* ACanvas) override;
  bool BeforeMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;
  void SkinChanged() override;

 private:
  void PreparePicture();

  TBitmapHandle FTabPicture;
};
