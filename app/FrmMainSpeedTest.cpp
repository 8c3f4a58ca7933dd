// The main window's server speed test: nine echo requests to the chosen server, listed in
// the speed-test window.
#include "app/FrmMainSpeedTest.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The node table lies beside the program as "nodes.ini"; without it every server is
// pinged by its own name.
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

}  // namespace

void TFrmMain::Button3Click(TObject* Sender) {
  if (vpn::speedtest::NoServerChosen(IPAddrTxt->Text())) {
    IPAddrTxt->SetFocus();
    return;
  }
  NodeTable = LoadNodeTable();
  PingHost = vpn::speedtest::PingHost(NodeTable, AreaTxt->Text(), IPAddrTxt->Text());
  Form1->ListBox1->Items()->Clear();
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

TSpeedTestSource SpeedTestSourceOf(TFrmMain& Main) {
  return {Main.IPAddrTxt, [&Main](TObject* Sender) { Main.Button3Click(Sender); }};
}
