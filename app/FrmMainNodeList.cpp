// The service's node list in the main window: the copy kept from an earlier start is used
// at once, the service's own replaces it once fetched; a list that cannot be had or used
// is told in the status bar and changes nothing. Both come after the first picture.
#include <utility>

#include "app/ServiceConfig.h"
#include "app/Unit_FrmMain.h"
#include "core/text/text.h"

namespace {

bool IsHttpsAddress(const std::string& address) {
  return address.size() >= 8 && vpn::SameTextAscii(address.substr(0, 8), "https://");
}

}  // namespace

void TFrmMain::StartNodeList() {
  const std::string address = NodeListAddress();
  if (address.empty() || FNodeListFetch) return;
  if (const auto kept = LoadKeptNodeList(address)) {
    vpn::speedtest::NodeListReading reading = vpn::speedtest::ReadNodeList(NodeListText(*kept));
    if (reading.fault == vpn::speedtest::NodeListFault::kNone) {
      UseNodeList(std::move(reading.table));
      FNodeListKept = true;
    }
  }
  // The program's HTTP client speaks no TLS: an https address is refused plainly rather
  // than left to fail somewhere on the way.
  if (IsHttpsAddress(address)) {
    TellNodeListProblem(vpn::speedtest::NodeListFetchProblem(true, FNodeListKept));
    return;
  }
  const TNodeListLimits limits;
  const HWND window = Handle();
  FNodeListFetch = std::make_unique<TNodeListFetch>(
      address, limits, [window] { PostMessageW(window, PM_NODELISTFETCHED, 0, 0); });
  NodeListTimer->SetInterval(unsigned(limits.TotalTimeoutMs));
  NodeListTimer->SetEnabled(true);
}

// The whole fetch took too long: it is told to stop, and ends as a failure.
void TFrmMain::NodeListTimedOut() {
  NodeListTimer->SetEnabled(false);
  if (FNodeListFetch) FNodeListFetch->Stop();
}

void TFrmMain::NodeListFetched() {
  if (!FNodeListFetch || !FNodeListFetch->Ended()) return;
  const std::unique_ptr<TNodeListFetch> fetch = std::move(FNodeListFetch);
  NodeListTimer->SetEnabled(false);
  using vpn::speedtest::NodeListFault;
  vpn::speedtest::NodeListReading reading;
  switch (fetch->Result()) {
    case nfFetched:
      reading = vpn::speedtest::ReadNodeList(NodeListText(fetch->Body()));
      break;
    case nfTooLarge:
      reading.fault = NodeListFault::kTooLarge;
      break;
    case nfUnsupported:
      TellNodeListProblem(vpn::speedtest::NodeListFetchProblem(true, FNodeListKept));
      return;
    case nfFailed:
      TellNodeListProblem(vpn::speedtest::NodeListFetchProblem(false, FNodeListKept));
      return;
  }
  if (reading.fault != NodeListFault::kNone) {
    TellNodeListProblem(vpn::speedtest::NodeListFaultText(reading, FNodeListKept));
    return;
  }
  UseNodeList(std::move(reading.table));
  FNodeListKept = false;
  // Kept for a start on which the service cannot be reached; a copy that cannot be written
  // costs only that.
  KeepNodeList(NodeListAddress(), fetch->Body());
}

void TFrmMain::UseNodeList(vpn::speedtest::NodeTable table) {
  NodeTable = std::move(table);
  FServiceNodes = true;
  // The line chosen stays chosen when the new list still has it.
  const std::string chosen = AreaTxt->ItemIndex() > 0 ? AreaTxt->Text() : std::string();
  TStrings* items = AreaTxt->Items();
  items->Clear();
  items->Add("选择线路");
  for (const vpn::speedtest::NodeLine& line : NodeTable.Lines()) items->Add(line.name);
  AreaTxt->SetItemIndex(chosen.empty() ? 0 : NodeTable.FindLine(chosen) + 1);
  // Every server of the list, with its line, offered under the server edit.
  std::vector<TEditSuggest::TChoice> choices;
  for (const vpn::speedtest::NodeLine& line : NodeTable.Lines())
    for (const vpn::speedtest::NodeServer& server : line.servers)
      choices.push_back({server.name, line.name});
  if (ServerSuggest) ServerSuggest->SetChoices(std::move(choices));
}

// Told only while nothing else speaks there: not during a connection, and not over the
// news that service.ini could not be used.
void TFrmMain::TellNodeListProblem(const std::string& text) {
  if (FState == vpn::app::ConnectionState::Idle && ServiceConfigurationProblem().empty())
    SetStatus(text);
}
