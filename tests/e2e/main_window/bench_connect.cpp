// Benchmark: the time from the Connect click to the connected status, against rassim
// with no simulated delay, so what is measured is the program's own work (entry, saved
// credentials, dial calls, status texts, statistics, going to the tray). Both dialing
// paths. Beside each, the same remote-access calls made by a process without a window
// (bench_dial_reference.exe) against the same service, and the ratio of the medians;
// then one line per path: runs, median, min and max in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

double Median(std::vector<double> t) {
  std::sort(t.begin(), t.end());
  const size_t n = t.size();
  return n % 2 ? t[n / 2] : (t[n / 2 - 1] + t[n / 2]) / 2;
}

void Print(const char* name, std::vector<double> t) {
  std::sort(t.begin(), t.end());
  std::printf("  %-34s runs=%zu median=%.1f ms min=%.1f ms max=%.1f ms\n", name, t.size(),
              Median(t), t.front(), t.back());
}

// The reference figures of both paths: "direct" and "progress", in that order.
std::vector<std::vector<double>> MeasureReference(int runs) {
  // As for the program: Wine takes rassim beside it only when told so for that program.
  e2e::RegSetString(HKEY_CURRENT_USER,
                    L"Software\\Wine\\AppDefaults\\bench_dial_reference.exe\\DllOverrides",
                    L"rasapi32", L"native,builtin");
  e2e::StartOptions options;
  options.exe = e2e::BinDir() + L"\\bench_dial_reference.exe";
  const std::wstring out = e2e::ArtifactPath(L"bench-dial-reference.txt");
  DeleteFileW(out.c_str());
  options.args = std::to_wstring(runs) + L" \"" + out + L"\"";
  options.clean_settings = false;
  options.main_class.clear();
  e2e::UseRassim(options, L"bench-dial-reference", kScenario);
  e2e::Program reference = e2e::Program::Start(options);
  const auto code = reference.WaitExit(120000);
  if (code != 0u) throw e2e::Failure("the reference dials failed");
  std::vector<std::vector<double>> figures;
  for (const std::string& line : e2e::ReadLines(out)) {
    std::vector<double> times;
    const char* p = std::strchr(line.c_str(), ' ');
    while (p && *p) {
      char* end = nullptr;
      const double ms = std::strtod(p, &end);
      if (end == p) break;
      times.push_back(ms);
      p = end;
    }
    if (times.empty()) throw e2e::Failure("no reference figures in " + line);
    figures.push_back(times);
  }
  if (figures.size() != 2) throw e2e::Failure("the reference gave no figures for both paths");
  return figures;
}

void Compare(const char* name, const std::vector<double>& program,
             const std::vector<double>& reference) {
  std::printf("%-34s %8.1f ms  reference %8.1f ms  ratio %5.2f\n", name, Median(program),
              Median(reference), Median(program) / Median(reference));
  Print("program", program);
  Print("reference (no window)", reference);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  try {
    const auto direct = Measure(L"", L"连接成功", runs);
    const auto progress = Measure(L"winxp", L"连接完成", runs);
    const auto reference = MeasureReference(runs);
    std::printf("click to connected, median of %d each (program, reference, their ratio):\n", runs);
    Compare("direct dial", direct, reference[0]);
    Compare("progress dial", progress, reference[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_connect: %s\n", e.what());
    return 1;
  }
  return 0;
}
