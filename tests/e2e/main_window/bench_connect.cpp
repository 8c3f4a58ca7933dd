// Benchmark: the time from the Connect click to the connected status, against rassim
// with no simulated delay, so what is measured is the program's own work (entry, saved
// credentials, dial calls, status texts, statistics, going to the tray). Both dialing
// paths; prints one line per path: runs, median, min and max in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/main_window/support.h"

namespace {

const char kScenario[] =
    "[service]\nstate_delay_ms=0\nhangup_delay_ms=0\n[account demo]\npassword=demo\n";

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * double(c.QuadPart) / double(f.QuadPart);
}

std::vector<double> Measure(const wchar_t* version, const wchar_t* connected, int runs) {
  mw::SetReportedVersion(version);
  mw::FakeNotificationArea tray;
  mw::Session s(L"bench-connect", kScenario, true, /*record_status=*/false);
  s.Fill(L"IPAddrTxt", L"127.0.0.1");
  s.Fill(L"UserNameTxt", L"demo");
  s.Fill(L"PasswordTxt", L"demo");
  HWND bar = s.C(L"StatusBar1");
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const size_t balloons = tray.BalloonCount();
    const double start = Now();
    e2e::Click(s.C(L"Button1"));
    if (!e2e::WaitUntil([&] { return e2e::StatusText(bar) == connected; }, 20000, 1))
      throw e2e::Failure("no connected status");
    times.push_back(Now() - start);
    tray.WaitForBalloon(5000, balloons);
    tray.ClickIcon();
    e2e::WaitUntil([&] { return s.Visible(); }, 5000);
    e2e::Click(s.C(L"Button2"));
    if (!e2e::WaitForStatus(bar, L"断开成功", 20000)) throw e2e::Failure("no disconnect");
  }
  mw::SetReportedVersion(L"");
  return times;
}

void Print(const char* name, std::vector<double> t) {
  std::sort(t.begin(), t.end());
  std::printf("%-34s runs=%zu median=%.1f ms min=%.1f ms max=%.1f ms\n", name, t.size(),
              t[t.size() / 2], t.front(), t.back());
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  try {
    Print("direct dial, click to connected", Measure(L"", L"连接成功", runs));
    Print("progress dial, click to connected", Measure(L"winxp", L"连接完成", runs));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_connect: %s\n", e.what());
    return 1;
  }
  return 0;
}
