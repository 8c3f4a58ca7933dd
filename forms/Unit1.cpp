#include "forms/Unit1.h"

#include <stdexcept>
#include <utility>

TForm1* Form1 = nullptr;

namespace {

// The worker of a line's test has ended (posted from the worker's thread).
constexpr UINT kLineTestEnded = WM_APP + 0x25;

}  // namespace

// One line's test: what it measures, and what its worker hands back.
struct TForm1::TLineTest {
  struct TResult {
    std::vector<TSweepOutcome> Outcomes;
    std::string Error;  // what the measurement raised, if it did
  };
  std::vector<std::string> Servers;
  std::vector<TSweepTarget> Targets;
  std::function<void()> Ended;
  std::shared_ptr<TResult> Result = std::make_shared<TResult>();
  std::unique_ptr<TNetWorker> Worker;
};

TForm1::TForm1(TComponent* AOwner, TSpeedTestSource Source)
    : TForm(AOwner), FSource(std::move(Source)) {
  PublishField("Panel1", Panel1);
  PublishField("ListBox1", ListBox1);
  PublishField("Button1", Button1);
  PublishField("Button3", Button3);
  PublishField("Button2", Button2);
  PublishMethod("Button1Click", &TForm1::Button1Click);
  PublishMethod("Button2Click", &TForm1::Button2Click);
  PublishMethod("Button3Click", &TForm1::Button3Click);
  PublishMethod("ListBox1DblClick", &TForm1::ListBox1DblClick);
  LoadLayout(*this, Form1Layout);
  ICMP = std::make_unique<TNetIcmpClient>();
  ICMP->OnReply = [this](TNetIcmpClient* ASender, const TReplyStatus& AReplyStatus) {
    ICMPReply(ASender, AReplyStatus);
  };
}

TForm1::~TForm1() = default;

// The speed test itself belongs to the window that handed it over at creation.
void TForm1::Button1Click(TObject* Sender) {
  ClearLines();
  if (FSource.RunTest) FSource.RunTest(Sender);
  Application->ProcessMessages();
}

void TForm1::ClearLines() {
  ListBox1->Items()->Clear();
  FTimings.clear();
  Button3->SetEnabled(false);
}

void TForm1::Button2Click(TObject* Sender) {
  Close();
}

void TForm1::Button3Click(TObject* Sender) {
  UseTiming(0);
}

// A double click on a server's line takes that server; the line above them names the
// line of the service.
void TForm1::ListBox1DblClick(TObject* Sender) {
  const int index = ListBox1->ItemIndex();
  if (index >= 1) UseTiming(size_t(index - 1));
}

void TForm1::UseTiming(size_t Index) {
  if (Index >= FTimings.size() || FTimings[Index].measure == vpn::speedtest::Measure::kNone) return;
  if (FSource.UseServer) FSource.UseServer(FTimings[Index].name);
}

// One line per reply, headed by the server as the user typed it in the main window.
void TForm1::ICMPReply(TNetIcmpClient* ASender, const TReplyStatus& AReplyStatus) {
  const std::string server = FSource.Server ? FSource.Server->Text() : std::string();
  ListBox1->Items()->Add(vpn::speedtest::ReplyLine(server, AReplyStatus.RoundTripMs));
}

void TForm1::TestLine(const std::string& Line, std::vector<std::string> Servers,
                      std::vector<TSweepTarget> Targets, const TSweepSettings& Settings,
                      std::function<void()> Ended) {
  if (FLineTest) return;
  ClearLines();
  ListBox1->Items()->Add("线路: " + Line);
  ListBox1->Items()->Add("正在测速 " + std::to_string(Servers.size()) + " 台服务器...");
  Button1->SetEnabled(false);
  Show();
  auto test = std::make_unique<TLineTest>();
  test->Servers = std::move(Servers);
  test->Targets = std::move(Targets);
  test->Ended = std::move(Ended);
  const HWND window = Handle();
  test->Worker = std::make_unique<TNetWorker>(
      [result = test->Result, targets = test->Targets, Settings](const std::atomic<bool>& abort) {
        try {
          TNetSpeedSweep sweep;
          result->Outcomes = sweep.Run(targets, Settings, &abort);
        } catch (const std::exception& e) {
          result->Error = e.what();
        }
      },
      [window] { PostMessageW(window, kLineTestEnded, 0, 0); });
  FLineTest = std::move(test);
}

void TForm1::WndProc(TMessage& Message) {
  if (Message.Msg == kLineTestEnded) {
    LineTestEnded();
    return;
  }
  TForm::WndProc(Message);
}

void TForm1::LineTestEnded() {
  if (!FLineTest || !FLineTest->Worker->Ended()) return;
  const std::unique_ptr<TLineTest> test = std::move(FLineTest);
  const TLineTest::TResult& result = *test->Result;
  // The heading stays; the servers follow it.
  while (ListBox1->Items()->Count() > 1) ListBox1->Items()->Delete(1);
  for (size_t i = 0; i < result.Outcomes.size() && i < test->Servers.size(); ++i) {
    const TSweepOutcome& o = result.Outcomes[i];
    FTimings.push_back(vpn::speedtest::TimingOf(test->Servers[i], o.Resolved, o.Sent, o.Answered,
                                                o.EchoTotalMs, o.TcpMs, test->Targets[i].TcpPort));
  }
  vpn::speedtest::SortFastestFirst(FTimings);
  for (const auto& t : FTimings) ListBox1->Items()->Add(vpn::speedtest::TimingLine(t));
  Button1->SetEnabled(true);
  Button3->SetEnabled(!FTimings.empty() &&
                      FTimings.front().measure != vpn::speedtest::Measure::kNone);
  if (test->Ended) test->Ended();
  // A measurement that could not start goes to the default handler, as a failed ping does.
  if (!result.Error.empty()) Application->HandleException(std::runtime_error(result.Error));
}
