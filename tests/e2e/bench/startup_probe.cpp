// Start-up probe: starts window programs in turn and measures, from just before
// CreateProcess until a top-level window of the given class (and caption) of that process
// is visible ("visible"), or visible and wearing the skin's frame ("skinned": its window
// region is set, which the skin does once the frame is fitted), in milliseconds. The programs take
// turns start by start (the first of a round alternates), so a change in the machine's load falls
// on all of them alike. Prints one line per start, then each program's median, then the ratio of
// every program's median to the last program's (the reference).
//
//   startup_probe.exe RUNS PROGRAM.exe CLASS CAPTION|- visible|skinned [PROGRAM.exe ...]...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD pid;
  const wchar_t* cls;
  const wchar_t* caption;
  bool skinned = false;
  HWND found = nullptr;
};

BOOL CALLBACK Match(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != s->pid || !IsWindowVisible(w)) return TRUE;
  wchar_t buf[256];
  if (!GetClassNameW(w, buf, 256) || wcscmp(buf, s->cls) != 0) return TRUE;
  if (s->caption) {
    // The caption of another process's window, read without sending it a message, so
    // that the probe never waits on the program it measures.
    if (!InternalGetWindowText(w, buf, 256) || wcscmp(buf, s->caption) != 0) return TRUE;
  }
  if (s->skinned) {
    // The window server answers this one too, without the program.
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    const bool outlined = GetWindowRgn(w, rgn) != ERROR;
    DeleteObject(rgn);
    if (!outlined) return TRUE;
  }
  s->found = w;
  return FALSE;
}

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

struct Target {
  std::wstring exe;
  const wchar_t* cls;
  const wchar_t* caption;
  bool skinned;
  std::vector<double> times;
  std::wstring Label() const {
    return exe.substr(exe.find_last_of(L"\\/") + 1) + (skinned ? L",skinned" : L"");
  }
};

// One start: milliseconds until the window showed, or -1.
double StartOnce(const Target& t) {
  std::wstring dir = t.exe.substr(0, t.exe.find_last_of(L"\\/"));
  std::wstring cmd = L"\"" + t.exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  double start = Now();
  if (!CreateProcessW(t.exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                      &si, &pi)) {
    fwprintf(stderr, L"cannot start %ls (error %lu)\n", t.exe.c_str(), GetLastError());
    return -1;
  }
  Search s{pi.dwProcessId, t.cls, t.caption, t.skinned};
  double elapsed = -1;
  while (Now() - start < 60000) {
    EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
      elapsed = Now() - start;
      break;
    }
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    Sleep(1);
  }
  if (s.found) PostMessageW(s.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (elapsed < 0) fwprintf(stderr, L"no visible %ls window appeared\n", t.cls);
  return elapsed;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 6 || (argc - 2) % 4 != 0) {
    fwprintf(
        stderr,
        L"usage: startup_probe RUNS PROGRAM CLASS CAPTION|- visible|skinned [PROGRAM ...]...\n");
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  std::vector<Target> targets;
  for (int i = 2; i + 3 < argc; i += 4)
    targets.push_back({argv[i],
                       argv[i + 1],
                       wcscmp(argv[i + 2], L"-") == 0 ? nullptr : argv[i + 2],
                       wcscmp(argv[i + 3], L"skinned") == 0,
                       {}});
  const size_t n = targets.size();
  for (int run = 0; run < runs; ++run) {
    for (size_t k = 0; k < n; ++k) {
      // Round r starts with program r mod n, so none is always first after a pause.
      Target& t = targets[(k + static_cast<size_t>(run)) % n];
      double ms = StartOnce(t);
      if (ms < 0) return 1;
      wprintf(L"run %d %ls: %.1f ms\n", run + 1, t.Label().c_str(), ms);
      t.times.push_back(ms);
    }
  }
  for (const Target& t : targets) wprintf(L"median %ls %.1f\n", t.Label().c_str(), Median(t.times));
  const double reference = Median(targets.back().times);
  for (size_t k = 0; k + 1 < n; ++k)
    wprintf(L"ratio %ls %.2f\n", targets[k].Label().c_str(), Median(targets[k].times) / reference);
  return 0;
}
