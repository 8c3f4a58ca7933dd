#include "forms/Unit1.h"

#include <any>
#include <functional>

#include "core/speedtest/SpeedTest.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
  PublishField("Panel1", Panel1);
  PublishField("ListBox1", ListBox1);
  PublishField("Button1", Button1);
  PublishField("Button2", Button2);
  PublishMethod("Button1Click", &TForm1::Button1Click);
  PublishMethod("Button2Click", &TForm1::Button2Click);
  LoadLayout(*this, Form1Layout);
  ICMP = std::make_unique<TNetIcmpClient>();
  ICMP->OnReply = [this](TNetIcmpClient* ASender, const TReplyStatus& AReplyStatus) {
    ICMPReply(ASender, AReplyStatus);
  };
}

// The speed test itself belongs to the main window; it is reached by name, as the layouts
// bind handlers, so this window needs nothing of the main window's code.
void TForm1::Button1Click(TObject* Sender) {
  ListBox1->Items()->Clear();
  if (TForm* main = Application->MainForm()) {
    std::any handler = main->FindMethod("Button3Click");
    if (auto* run = std::any_cast<std::function<void(TObject*)>>(&handler)) (*run)(Sender);
  }
  Application->ProcessMessages();
}

void TForm1::Button2Click(TObject* Sender) {
  Close();
}

// One line per reply, headed by the server as the user typed it in the main window.
void TForm1::ICMPReply(TNetIcmpClient* ASender, const TReplyStatus& AReplyStatus) {
  std::string server;
  if (TForm* main = Application->MainForm())
    if (auto* edit = dynamic_cast<TEdit*>(main->FindComponent("IPAddrTxt"))) server = edit->Text();
  ListBox1->Items()->Add(vpn::speedtest::ReplyLine(server, AReplyStatus.RoundTripMs));
}
