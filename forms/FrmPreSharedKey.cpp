#include "forms/FrmPreSharedKey.h"

#include "core/app/service_config.h"

namespace {

const TLayoutItem kItems[] = {
    {.Create = NewComponent<TLabel>,
     .Name = "Label1",
     .Caption = "L2TP/IPsec 预共享密钥:",
     .Left = 12,
     .Top = 14,
     .Width = 150,
     .Height = 12,
     .Props = {{"Transparent", "True"}}},
    {.Create = NewComponent<TMaskEdit>,
     .Name = "KeyTxt",
     .Left = 12,
     .Top = 32,
     .Width = 276,
     .Height = 20,
     .TabOrder = 0,
     .Props = {{"PasswordChar", "*"}},
     .Events = {{"OnKeyPress", "KeyTxtKeyPress"}}},
    {.Create = NewComponent<TLabel>,
     .Name = "Label2",
     .Left = 12,
     .Top = 60,
     .Width = 276,
     .Height = 12,
     .Props = {{"Transparent", "True"}}},
    {.Create = NewComponent<TButton>,
     .Name = "Button1",
     .Caption = "确定",
     .Left = 44,
     .Top = 84,
     .Width = 64,
     .Height = 25,
     .TabOrder = 1,
     .Events = {{"OnClick", "Button1Click"}}},
    {.Create = NewComponent<TButton>,
     .Name = "Button2",
     .Caption = "清除",
     .Left = 118,
     .Top = 84,
     .Width = 64,
     .Height = 25,
     .TabOrder = 2,
     .Events = {{"OnClick", "Button2Click"}}},
    {.Create = NewComponent<TButton>,
     .Name = "Button3",
     .Caption = "取消",
     .Left = 192,
     .Top = 84,
     .Width = 64,
     .Height = 25,
     .TabOrder = 3,
     .Events = {{"OnClick", "Button3Click"}}},
};

const char* SourceText(TKeySource Source) {
  switch (Source) {
    case ksUser:
      return "已保存您输入的密钥";
    case ksService:
      return "正在使用服务商提供的密钥";
    case ksNone:
      break;
  }
  return "尚未设置密钥";
}

constexpr char kEnter = 13, kEscape = 27;

}  // namespace

const TFormLayout FrmPreSharedKeyLayout = {
    .Caption = "预共享密钥",
    .ClientWidth = 300,
    .ClientHeight = 120,
    .BorderStyle = bsSingle,
    .BorderIcons = biSystemMenu,
    .Position = poScreenCenter,
    .FontName = "宋体",
    .FontHeight = 12,
    .Color = "clBtnFace",
    .IconResource = 1,
    .Items = kItems,
};

TFrmPreSharedKey::TFrmPreSharedKey(TComponent* AOwner) : TForm(AOwner) {
  PublishField("Label1", Label1);
  PublishField("KeyTxt", KeyTxt);
  PublishField("Label2", Label2);
  PublishField("Button1", Button1);
  PublishField("Button2", Button2);
  PublishField("Button3", Button3);
  PublishMethod("Button1Click", &TFrmPreSharedKey::Button1Click);
  PublishMethod("Button2Click", &TFrmPreSharedKey::Button2Click);
  PublishMethod("Button3Click", &TFrmPreSharedKey::Button3Click);
  PublishMethod("KeyTxtKeyPress", &TFrmPreSharedKey::KeyTxtKeyPress);
  LoadLayout(*this, FrmPreSharedKeyLayout);
  // What was wrong with a key goes once the user types again.
  KeyTxt->OnChange = [this](TObject*) { Label2->SetCaption(SourceText(FSource)); };
}

void TFrmPreSharedKey::Open(TKeySource Source) {
  FSource = Source;
  KeyTxt->SetText("");
  Label2->SetCaption(SourceText(Source));
  // Only a key the user typed can be forgotten here; the service's stays in service.ini.
  Button2->SetEnabled(Source == ksUser);
  Show();
  KeyTxt->SetFocus();
}

// The typed key is kept when it is one the system takes; otherwise the window says why
// and keeps the focus in the edit.
void TFrmPreSharedKey::Button1Click(TObject* Sender) {
  const vpn::SecretText key(KeyTxt->Text());
  const char* problem = nullptr;
  if (key.empty())
    problem = "请输入密钥";
  else if (!vpn::app::IsPreSharedKey(key.view()))
    problem = "密钥只能含英文字母、数字和符号，最多255个";
  if (problem) {
    Label2->SetCaption(problem);
    KeyTxt->SetFocus();
    return;
  }
  if (OnSave && OnSave(key)) Finish();
}

void TFrmPreSharedKey::Button2Click(TObject* Sender) {
  if (OnSave && OnSave(vpn::SecretText())) Finish();
}

void TFrmPreSharedKey::Button3Click(TObject* Sender) {
  Finish();
}

void TFrmPreSharedKey::KeyTxtKeyPress(TObject* Sender, char& Key) {
  if (Key == kEnter) {
    Key = 0;
    Button1Click(Button1);
  } else if (Key == kEscape) {
    Key = 0;
    Finish();
  }
}

// Nothing typed stays in the window once it is closed.
void TFrmPreSharedKey::Finish() {
  KeyTxt->SetText("");
  Close();
}
