#include "skin/widgets/SkinBox.h"

#include <algorithm>

#include "framework/Controls.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"

void TSkinBox::Attach(TControl* AControl, TSkinData* ASkinData, bool ARecolour,
                      TSkinCanvas* ACanvas) {
  if (Attached || !AControl) return;
  Control = AControl;
  SkinData = ASkinData;
  Recolour = ARecolour;
  Canvas = ACanvas;
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) Window = win->ExistingHandle();
  if (TSkinForm* f = OwnerForm())
    if (std::find(f->ControlList.begin(), f->ControlList.end(), this) == f->ControlList.end())
      f->ControlList.push_back(this);
  if (Recolour) {
    SavedColor = AControl->Color();
    AControl->SetColor(FrameworkColourOf(SkinData->Colours.ButtonFace));
  }
  Attached = true;
}
