// The speed-test window: nine echo requests to one server, one line per reply; or every
// server of a line of the service measured at once, fastest first, with the way to take
// one into the main window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/speedtest/SpeedTest.h"
#include "framework/Framework.h"
#include "framework/Layout.h"
#include "net/NetIcmpClient.h"
#include "net/NetSpeedSweep.h"
#include "net/NetWorker.h"

// What the speed-test window takes from the window that runs the test: the edit whose
// text heads every reply line, the test itself, run again by "重测", and where a server
// chosen in the list goes. Any may be empty; the window then lists lines without a server,
// the retest only clears them, and a chosen server goes nowhere.
struct TSpeedTestSource {
  TEdit* Server = nullptr;
  TNotifyEvent RunTest;
  std::function<void(const std::string& Server)> UseServer;
};

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* AOwner, TSpeedTestSource Source = {});
  ~TForm1() override;

  TPanel* Panel1 = nullptr;
  TListBox* ListBox1 = nullptr;
  TButton* Button1 = nullptr;  // "重测": run the test again
  TButton* Button3 = nullptr;  // "使用最快": the fastest server of the line into the main window
  TButton* Button2 = nullptr;  // "关闭"
  // The echo client the main window's speed test pings with; replies go to ICMPReply.
  std::unique_ptr<TNetIcmpClient> ICMP;

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void ListBox1DblClick(TObject* Sender);
  void ICMPReply(TNetIcmpClient* ASender, const TReplyStatus& AReplyStatus);

  // Empties the list, and forgets the servers of a line's test.
  void ClearLines();
  // Measures the servers of a line all at once on a worker thread while the window shows
  // that it does; then lists them fastest first. `Ended` runs once the list is there.
  void TestLine(const std::string& Line, std::vector<std::string> Servers,
                std::vector<TSweepTarget> Targets, const TSweepSettings& Settings,
                std::function<void()> Ended);
  bool LineTestRunning() const { return FLineTest != nullptr; }
  // The servers the list shows after a line's test, in its order (empty otherwise).
  const std::vector<vpn::speedtest::ServerTiming>& Timings() const { return FTimings; }

 protected:
  void WndProc(TMessage& Message) override;

 private:
  void LineTestEnded();
  void UseTiming(size_t Index);

  TSpeedTestSource FSource;
  struct TLineTest;
  std::unique_ptr<TLineTest> FLineTest;
  std::vector<vpn::speedtest::ServerTiming> FTimings;
};

extern TForm1* Form1;
extern const TFormLayout Form1Layout;
