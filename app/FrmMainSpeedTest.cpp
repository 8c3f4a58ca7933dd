// The main window's server speed test: every server of a line of the service measured at
// once in the speed-test window, or, for a server the service does not list, nine echo
// requests to it.
#include "app/FrmMainSpeedTest.h"

#include <windows.h>

#include <cstdio>
#include <string>


namespace {

// The node table lies beside the program as "nodes.ini"; without it every server is
// pinged by its own name. The service's list, when there is one, takes its place.
vpn::speedtest::NodeTable LoadNodeTable() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::wstring file(path, n);
  file.erase(file.find_last_of(L"\\/") + 1);
  file += L"nodes.ini";
  FILE* f = _wfopen(file.c_str(), L"rb");
  if (!f) return {};
  std::string text;
  char buf[4096];
  size_t got;
  while ((got = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, got);
  fclose(f);
  return vpn::speedtest::NodeTable::Parse(text);
}

// Each server gets the echo count and the wait of the single server's test.
constexpr TSweepSettings kLineTestSettings{.Echoes = 9, .TimeoutMs = 1000, .SpacingMs = 20};

}  // namespace

void TFrmMain::Button3Click(TObject* Sender) {
  if (const int line = SpeedTestLine(); line >= 0) {
    TestServiceLine(line);
    return;
  }
  if (vpn::speedtest::NoServerChosen(IPAddrTxt->Text())) {
    IPAddrTxt->SetFocus();
    return;
  }
  if (!FServiceNodes) NodeTable = LoadNodeTable();
  PingHost = vpn::speedtest::PingHost(NodeTable, AreaTxt->Text(), IPAddrTxt->Text());
  Form1->ClearLines();
  Form1->Show();
  Form1->ICMP->Host = PingHost;
  Form1->ICMP->ReceiveTimeout = 1000;
  Button3->SetEnabled(false);
  try {
    for (int i = 0; i < 9; ++i) {
      Form1->ICMP->Ping("", 0);
      Application->ProcessMessages();
    }
  } catch (const std::exception& e) {
    // The remaining pings are dropped; the lines listed so far stay.
    Button3->SetEnabled(true);
    Application->HandleException(e);
    return;
  }
  Button3->SetEnabled(true);
}

// The line chosen in the line list; else the line of the server in the edit; else, with
// no server chosen, the list's first line. -1 without a service list, and for a server
// that it does not have.
int TFrmMain::SpeedTestLine() const {
  if (!FServiceNodes || NodeTable.Lines().empty()) return -1;
  if (AreaTxt->ItemIndex() > 0)
    if (const int line = NodeTable.FindLine(AreaTxt->Text()); line >= 0) return line;
  if (const int line = NodeTable.LineOf(IPAddrTxt->Text()); line >= 0) return line;
  return vpn::speedtest::NoServerChosen(IPAddrTxt->Text()) ? 0 : -1;
}

void TFrmMain::TestServiceLine(int line) {
  if (Form1->LineTestRunning()) return;
  const vpn::speedtest::NodeLine& chosen = NodeTable.Lines()[size_t(line)];
  // Where a network filters the echo, a connect to the port of the tunnel the connect
  // dials first stands in (none for the tunnels that run over UDP).
  const int port = vpn::speedtest::StandInPort(FirstTunnelName());
  std::vector<std::string> names;
  std::vector<TSweepTarget> targets;
  for (const vpn::speedtest::NodeServer& s : chosen.servers) {
    names.push_back(s.name);
    targets.push_back({s.host, port});
  }
  Button3->SetEnabled(false);
  Form1->TestLine(chosen.name, std::move(names), std::move(targets), kLineTestSettings,
                  [this] { Button3->SetEnabled(true); });
}

void TFrmMain::UseServer(const std::string& Server) {
  // The server of a connection under way stays as it was dialed.
  if (!IPAddrTxt->Enabled()) return;
  IPAddrTxt->SetText(Server);
  if (FServiceNodes) AreaTxt->SetItemIndex(NodeTable.LineOf(Server) + 1);
}

TSpeedTestSource SpeedTestSourceOf(TFrmMain& Main) {
  return {Main.IPAddrTxt, [&Main](TObject* Sender) { Main.Button3Click(Sender); },
          [&Main](const std::string& Server) { Main.UseServer(Server); }};
}
