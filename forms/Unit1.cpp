#include "forms/Unit1.h"

#include <utility>

#include "core/speedtest/SpeedTest.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* AOwner, TSpeedTestSource Source)
    : TForm(AOwner), FSource(std::move(Source)) {
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

// The speed test itself belongs to the window that handed it over at creation.
void TForm1::Button1Click(TObject* Sender) {
  ListBox1->Items()->Clear();
  if (FSource.RunTest) FSource.RunTest(Sender);
  Application->ProcessMessages();
}

void TForm1::Button2Click(TObject* Sender) {
  Close();
}

// One line per reply, headed by the server as the user typed it in the main window.
void TForm1::ICMPReply(TNetIcmpClient* ASender, const TReplyStatus& AReplyStatus) {
  const std::string server = FSource.Server ? FSource.Server->Text() : std::string();
  ListBox1->Items()->Add(vpn::speedtest::ReplyLine(server, AReplyStatus.RoundTripMs));
}
