// The small window where the user types the L2TP/IPsec pre-shared key. The key is never
// shown: the edit starts empty and hides what is typed, the window only says whether a
// key is kept and whose it is. Whoever opens it stores the key.
#pragma once

#include <functional>

#include "core/text/secret.h"
#include "framework/Framework.h"
#include "framework/Layout.h"

// Where the key of the next L2TP/IPsec dial comes from.
enum TKeySource { ksNone, ksService, ksUser };

class TFrmPreSharedKey : public TForm {
 public:
  explicit TFrmPreSharedKey(TComponent* AOwner);

  TLabel* Label1 = nullptr;     // what the edit is for
  TMaskEdit* KeyTxt = nullptr;  // the key, hidden behind '*'
  TLabel* Label2 = nullptr;     // whose key is kept, or what is wrong with the one typed
  TButton* Button1 = nullptr;   // "确定": keep the typed key
  TButton* Button2 = nullptr;   // "清除": forget the user's key
  TButton* Button3 = nullptr;   // "取消"

  // Shows the window for a key from `Source`, the edit empty and focused.
  void Open(TKeySource Source);
  // Told the key to keep (the empty key: forget the user's); true when it was kept, and
  // the window closes.
  std::function<bool(const vpn::SecretText& Key)> OnSave;

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void KeyTxtKeyPress(TObject* Sender, char& Key);

 private:
  void Finish();
  TKeySource FSource = ksNone;
};

extern const TFormLayout FrmPreSharedKeyLayout;
