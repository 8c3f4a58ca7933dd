#include "app/Unit_FrmMain.h"

#include "forms/FrmMainLayout.h"

TFrmMain* FrmMain = nullptr;

TFrmMain::TFrmMain(TComponent* AOwner) : TForm(AOwner) {
  PublishField("Label2", Label2);
  PublishField("Label3", Label3);
  PublishField("Label1", Label1);
  PublishField("Label4", Label4);
  PublishField("WebBrowser1", WebBrowser1);
  PublishField("Panel1", Panel1);
  PublishField("Label5", Label5);
  PublishField("Button2", Button2);
  PublishField("Button4", Button4);
  PublishField("StatusBar1", StatusBar1);
  PublishField("UserNameTxt", UserNameTxt);
  PublishField("CheckBox1", CheckBox1);
  PublishField("PasswordTxt", PasswordTxt);
  PublishField("IPAddrTxtold", IPAddrTxtold);
  PublishField("Button3", Button3);
  PublishField("AreaTxt", AreaTxt);
  PublishField("CheckBox2", CheckBox2);
  PublishField("Button5", Button5);
  PublishField("Button1", Button1);
  PublishField("IPAddrTxt", IPAddrTxt);
  PublishField("WebBrowser2", WebBrowser2);
  PublishField("PopupMenu1", PopupMenu1);
  PublishField("C1", C1);
  PublishField("D1", D1);
  PublishField("N1", N1);
  PublishField("X1", X1);
  PublishField("PopupMenu2", PopupMenu2);
  PublishField("N2", N2);
  PublishField("N6", N6);
  PublishField("N7", N7);
  PublishField("N3", N3);
  PublishField("N4", N4);
  PublishField("N8", N8);
  PublishField("N5", N5);

  PublishMethod("FormCreate", &TFrmMain::FormCreate);
  PublishMethod("FormCloseQuery", &TFrmMain::FormCloseQuery);
  PublishMethod("FormClose", &TFrmMain::FormClose);
  PublishMethod("Button1Click", &TFrmMain::Button1Click);
  PublishMethod("Button2Click", &TFrmMain::Button2Click);
  PublishMethod("Button3Click", &TFrmMain::Button3Click);
  PublishMethod("Button4Click", &TFrmMain::Button4Click);
  PublishMethod("Button5Click", &TFrmMain::Button5Click);
  PublishMethod("IPAddrTxtKeyPress", &TFrmMain::IPAddrTxtKeyPress);
  PublishMethod("UserNameTxtKeyPress", &TFrmMain::UserNameTxtKeyPress);
  PublishMethod("PasswordTxtKeyPress", &TFrmMain::PasswordTxtKeyPress);
  PublishMethod("TrayIcon1Click", &TFrmMain::TrayIcon1Click);
  PublishMethod("X1Click", &TFrmMain::X1Click);
  PublishMethod("N2Click", &TFrmMain::N2Click);
  PublishMethod("N3Click", &TFrmMain::N3Click);
  PublishMethod("N4Click", &TFrmMain::N4Click);
  PublishMethod("N5Click", &TFrmMain::N5Click);
  PublishMethod("N6Click", &TFrmMain::N6Click);

  LoadLayout(*this, FrmMainLayout);
}

// The handlers' behaviour comes with the connect, settings, web-link, speed-test and
// account features; until then each event is bound and does nothing.
void TFrmMain::FormCreate(TObject* Sender) {}
void TFrmMain::FormCloseQuery(TObject* Sender, bool& CanClose) {}
void TFrmMain::FormClose(TObject* Sender, TCloseAction& Action) {}
void TFrmMain::Button1Click(TObject* Sender) {}
void TFrmMain::Button2Click(TObject* Sender) {}
void TFrmMain::Button3Click(TObject* Sender) {}
void TFrmMain::Button4Click(TObject* Sender) {}
void TFrmMain::Button5Click(TObject* Sender) {}
void TFrmMain::IPAddrTxtKeyPress(TObject* Sender, char& Key) {}
void TFrmMain::UserNameTxtKeyPress(TObject* Sender, char& Key) {}
void TFrmMain::PasswordTxtKeyPress(TObject* Sender, char& Key) {}
void TFrmMain::TrayIcon1Click(TObject* Sender) {}
void TFrmMain::X1Click(TObject* Sender) {}
void TFrmMain::N2Click(TObject* Sender) {}
void TFrmMain::N3Click(TObject* Sender) {}
void TFrmMain::N4Click(TObject* Sender) {}
void TFrmMain::N5Click(TObject* Sender) {}
void TFrmMain::N6Click(TObject* Sender) {}
