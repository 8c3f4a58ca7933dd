// The account window: shows the reply of the account query.
#pragma once

#include "framework/Framework.h"
#include "framework/Layout.h"

class TForm2 : public TForm {
 public:
  explicit TForm2(TComponent* AOwner);

  TLabel* Label1 = nullptr;  // the account reply
  TLabel* Label2 = nullptr;
  TButton* Button1 = nullptr;  // "关闭"

  void Button1Click(TObject* Sender);
};

extern TForm2* Form2;
extern const TFormLayout Form2Layout;
