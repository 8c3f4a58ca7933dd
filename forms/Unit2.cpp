#include "forms/Unit2.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {
  PublishField("Label1", Label1);
  PublishField("Label2", Label2);
  PublishField("Button1", Button1);
  PublishMethod("Button1Click", &TForm2::Button1Click);
  LoadLayout(*this, Form2Layout);
}

// Closing only hides the window; the label keeps the last reply.
void TForm2::Button1Click(TObject* Sender) {
  Close();
}
