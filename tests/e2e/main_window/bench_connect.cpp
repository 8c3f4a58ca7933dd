// Benchmark: the time from the Connect click to the connected status, against rassim
// with no simulated delay, so what is measured is the program's own work (entry, saved
// credentials, dial calls, status texts, statistics, going to the tray). Both dialing
// paths. Beside each, the same remote-access calls made by a process without a window
// (bench_dial_reference.exe) against the same service, and the ratio of the medians;
// then one line per path: runs, median, min and max in milliseconds.
//
// Each path is measured twice. "Seen from outside": the status bar is read every
// millisecond until it shows the connected text; the program answers each reading when
// it next handles messages, so the figure also holds the readings it answered on the
// way and whatever it did before it answered the last one (on the progress path: going
// to the tray). "By the program's log": nothing is asked of the program until it has
// gone to the tray; the time is the stamp its connection log gave the connected text
// when the text was set (local time, to the millisecond), as the reference stamps its
// own end.
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

// The local time of day in milliseconds, as the program's connection log stamps it.
double LocalMs() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return ((t.wHour * 60.0 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

// The stamp of the first status line that is exactly `text` (UTF-8) and was written at
// or after `since`; negative while there is none.
double LoggedAt(const std::wstring& log, const std::string& text, double since) {
  for (std::string line : e2e::ReadLines(log)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    const size_t mark = line.find(' ');  // after the date
    int h = 0, m = 0, sec = 0, ms = 0;
    if (mark == std::string::npos ||
        std::sscanf(line.c_str() + mark + 1, "%2d:%2d:%2d.%3d", &h, &m, &sec, &ms) != 4)
      continue;
    const double at = ((h * 60.0 + m) * 60 + sec) * 1000 + ms;
    if (at < since || line.size() <= text.size()) continue;
    if (line.compare(line.size() - text.size(), text.size(), text) == 0 &&
        line[line.size() - text.size() - 1] == ' ')
      return at;
  }
  return -1;
}

enum class Watch { kFromOutside, kByTheLog };

std::vector<double> Measure(const wchar_t* version, const wchar_t* connected, int runs,
                            Watch watch) {
  mw::SetReportedVersion(version);
  mw::FakeNotificationArea tray;
  mw::Session s(L"bench-connect", kScenario, true, /*record_status=*/false);
  s.Fill(L"IPAddrTxt", L"127.0.0.1");
  s.Fill(L"UserNameTxt", L"demo");
  s.Fill(L"PasswordTxt", L"demo");
  HWND bar = s.C(L"StatusBar1");
  HWND button = s.C(L"Button1");
  const std::wstring log = mw::ConnectionLogPath();
  const std::string logged = e2e::WideToUtf8(connected);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const size_t balloons = tray.BalloonCount();
    if (watch == Watch::kFromOutside) {
      const double start = Now();
      e2e::Click(button);
      if (!e2e::WaitUntil([&] { return e2e::StatusText(bar) == connected; }, 20000, 1))
        throw e2e::Failure("no connected status");
      times.push_back(Now() - start);
    } else {
      // The click as e2e::Click makes it (the pointer's move handled first), without the
      // request it sends after the release: that would be answered in the middle of the
      // connect. The time runs from the press.
      RECT r{};
      GetClientRect(button, &r);
      const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
      PostMessageW(button, WM_MOUSEMOVE, 0, at);
      e2e::Sync(s.Main());
      const double start = LocalMs();
      PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageW(button, WM_LBUTTONUP, 0, at);
      if (!tray.WaitForBalloon(20000, balloons)) throw e2e::Failure("not connected");
      double end = -1;
      // The log's writer follows a moment later.
      e2e::WaitUntil([&] { return (end = LoggedAt(log, logged, start)) >= 0; }, 5000);
      if (end < 0) throw e2e::Failure("the connection log has no connected status");
      times.push_back(end - start);
    }
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
    const auto direct = Measure(L"", L"连接成功", runs, Watch::kFromOutside);
    const auto progress = Measure(L"winxp", L"连接完成", runs, Watch::kFromOutside);
    const auto direct_log = Measure(L"", L"连接成功", runs, Watch::kByTheLog);
    const auto progress_log = Measure(L"winxp", L"连接完成", runs, Watch::kByTheLog);
    const auto reference = MeasureReference(runs);
    std::printf("click to connected, median of %d each (program, reference, their ratio):\n", runs);
    Compare("direct dial", direct, reference[0]);
    Compare("progress dial", progress, reference[1]);
    std::printf("the same, by the program's connection log (stamped to the millisecond):\n");
    Compare("direct dial, by the log", direct_log, reference[0]);
    Compare("progress dial, by the log", progress_log, reference[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_connect: %s\n", e.what());
    return 1;
  }
  return 0;
}
