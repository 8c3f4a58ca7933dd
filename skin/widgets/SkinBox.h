// Panels and group boxes: the skin only gives them its face colour while skinned (and
// the window walks their children); their messages are left alone.
#pragma once

#include "skin/widgets/SkinControl.h"

class TSkinBox : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  void Attach(TControl* AControl, TSkinData* ASkinData, bool ARecolour,
              TSkinCanvas* ACanvas) override;
};
