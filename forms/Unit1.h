// The speed-test window: nine echo requests to the server, one line per reply.
#pragma once

#include <memory>

#include "framework/Framework.h"
#include "framework/Layout.h"
#include "net/NetIcmpClient.h"

// What the speed-test window takes from the window that runs the test: the edit whose
// text heads every reply line, and the test itself, run again by "重测". Either may be
// empty; the window then lists lines without a server and the retest only clears them.
struct TSpeedTestSource {
  TEdit* Server = nullptr;
  TNotifyEvent RunTest;
};

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* AOwner, TSpeedTestSource Source = {});

  TPanel* Panel1 = nullptr;
  TListBox* ListBox1 = nullptr;
  TButton* Button1 = nullptr;  // "重测": run the test again
  TButton* Button2 = nullptr;  // "关闭"
  // The echo client the main window's speed test pings with; replies go to ICMPReply.
  std::unique_ptr<TNetIcmpClient> ICMP;

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void ICMPReply(TNetIcmpClient* ASender, const TReplyStatus& AReplyStatus);

 private:
  TSpeedTestSource FSource;
};

extern TForm1* Form1;
extern const TFormLayout Form1Layout;
