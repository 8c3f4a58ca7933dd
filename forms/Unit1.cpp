#include "forms/Unit1.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
  PublishField("Panel1", Panel1);
  PublishField("ListBox1", ListBox1);
  PublishField("Button1", Button1);
  PublishField("Button2", Button2);
  PublishMethod("Button1Click", &TForm1::Button1Click);
  PublishMethod("Button2Click", &TForm1::Button2Click);
  LoadLayout(*this, Form1Layout);
}

void TForm1::Button1Click(TObject* Sender) {}

void TForm1::Button2Click(TObject* Sender) {}
