// The connect benchmark's yardstick: the remote-access calls of one connect as the program
// makes them (the entry, the user name and password saved with it, then either the direct
// dial or the dial with progress reports up to the connected state), in a process with no
// window, against the same simulated service. What the program takes beyond this is its
// own work: status texts, the window, statistics, the tray.
//
//   bench_dial_reference.exe RUNS OUTPUT-FILE
// writes "direct MS MS ..." and "progress MS MS ..." to OUTPUT-FILE.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/app/connect_rules.h"
#include "core/ras/records.h"
#include "dialup/Ras.h"
#include "dialup/VpnEntry.h"

namespace r = vpn::ras;

namespace {

constexpr DWORD kConnected = 0x2000;  // the connected state of the dial's reports
HANDLE gDialEnded = nullptr;
DWORD gDialError = 0;

void WINAPI Report(UINT, DWORD state, DWORD error) {
  if (error != 0 || state == kConnected) {
    gDialError = error;
    SetEvent(gDialEnded);
  }
}

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * double(c.QuadPart) / double(f.QuadPart);
}

bool Fail(const char* what, DWORD code) {
  std::fprintf(stderr, "bench_dial_reference: %s failed (%lu)\n", what, code);
  return false;
}

void HangUp(HRASCONN line) {
  dialup::RasHangUpA(line);
  // Gone when its status can no longer be read.
  r::RasConnStatusA status{};
  status.dwSize = sizeof status;
  for (int i = 0; i < 2000 && dialup::RasGetConnectStatusA(line, &status) == 0; ++i) Sleep(1);
}

// The user name and password saved with the entry, as the program saves them on both
// paths: the entry's parameters read once and written once.
DWORD SaveAccount(const char* user, const char* password) {
  r::RasDialParamsA params;
  r::BuildEntryDialParams(vpn::app::kEntryName, params);
  BOOL has_password = FALSE;
  if (DWORD code = dialup::RasGetEntryDialParamsA(nullptr, &params, &has_password)) return code;
  r::CopyText(params.szUserName, user);
  r::CopyText(params.szPassword, password);
  return dialup::RasSetEntryDialParamsA(nullptr, &params, FALSE);
}

bool DirectConnect(double& ms) {
  const double start = Now();
  dialup::WriteVpnEntry(vpn::app::kEntryName, "127.0.0.1", false);
  if (DWORD code = SaveAccount("demo", "demo")) return Fail("account", code);
  HRASCONN line = nullptr;
  const DWORD code = dialup::DirectDial(vpn::app::kEntryName, "demo", "demo", &line);
  ms = Now() - start;
  if (line) HangUp(line);
  return code == 0 || Fail("direct dial", code);
}

bool ProgressConnect(double& ms) {
  const double start = Now();
  dialup::WriteVpnEntry(vpn::app::kEntryName, "127.0.0.1", false);
  if (DWORD code = SaveAccount("demo", "demo")) return Fail("account", code);
  r::RasDialParamsA params;
  r::BuildEntryDialParams(vpn::app::kEntryName, params);
  BOOL has_password = FALSE;
  if (DWORD code = dialup::RasGetEntryDialParamsA(nullptr, &params, &has_password))
    return Fail("reading the dial parameters", code);
  ResetEvent(gDialEnded);
  HRASCONN line = nullptr;
  DWORD code =
      dialup::RasDialA(nullptr, nullptr, &params, 0, reinterpret_cast<void*>(&Report), &line);
  if (code == 0 && WaitForSingleObject(gDialEnded, 20000) != WAIT_OBJECT_0) code = WAIT_TIMEOUT;
  if (code == 0) code = gDialError;
  ms = Now() - start;
  if (line) HangUp(line);
  return code == 0 || Fail("dial with progress", code);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_dial_reference RUNS OUTPUT-FILE\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  gDialEnded = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::string out;
  for (const auto& [name, connect] :
       {std::pair{"direct", &DirectConnect}, std::pair{"progress", &ProgressConnect}}) {
    out += name;
    for (int i = 0; i < runs; ++i) {
      double ms = 0;
      if (!connect(ms)) return 1;
      char figure[32];
      std::snprintf(figure, sizeof figure, " %.2f", ms);
      out += figure;
    }
    out += "\n";
  }
  FILE* f = std::fopen(argv[2], "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size()) return 1;
  std::fclose(f);
  return 0;
}
