// The speed-test window: nine echo requests to the server, one line per reply.
#pragma once

#include "framework/Layout.h"
#include "framework/Vcl.h"

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* AOwner);

  TPanel* Panel1 = nullptr;
  TListBox* ListBox1 = nullptr;
  TButton* Button1 = nullptr;  // "重测": run the test again
  TButton* Button2 = nullptr;  // "关闭"

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
};

extern TForm1* Form1;
extern const TFormLayout Form1Layout;
