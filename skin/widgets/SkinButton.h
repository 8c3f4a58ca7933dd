// A push button drawn wholly by the skin from the Buttons picture (frame 1 at rest, 2
// pressed, 3 disabled, 4 focused or under the mouse), with the caption on top. The skin
// control turns the mouse into its own pressed and hot states and clicks the button
// itself: pressing on it and releasing elsewhere does not click.
#pragma once

#include "core/skin/SkinWidgets.h"
#include "skin/widgets/SkinControl.h"

class TSkinButton : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  bool BeforeMessage(TMessage& Message) override;
  void AfterMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;

  bool Hot() const { return (FButtonState & bsHot) != 0; }
  bool Pressed() const { return (FButtonState & bsPressed) != 0; }
  // The frame of the Buttons strip the button shows now.
  vpn::skin::TStateFrame Frame() const;

 protected:
  void BecomeHot();
  void StopBeingHot();
  void DoClick();
};
