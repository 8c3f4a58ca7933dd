#include "skin/widgets/SkinBox.h"

#include <algorithm>

#include "framework/Controls.h"
#include "skin/SkinChildControls.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"

void TSkinBox::Attach(TControl* AControl, TSkinData* ASkinData, bool ARecolour,
                      TSkinCanvas* ACanvas) {
  if (FAttached || !AControl) return;
  FControl = AControl;
  FSkinData = ASkinData;
  FRecolour = ARecolour;
  FCanvas = ACanvas;
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) FWindow = win->ExistingHandle();
  if (TSkinForm* f = OwnerForm()) f->Controls().Add(this);
  if (FRecolour) {
    FSavedColor = AControl->Color();
    AControl->SetColor(FrameworkColourOf(FSkinData->Colours.ButtonFace));
  }
  FAttached = true;
}
