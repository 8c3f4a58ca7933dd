// Start-up probe: starts a window program several times and measures, from just before
// CreateProcess until a top-level window of the given class (and caption) of that process
// is visible, in milliseconds; with "skinned", until that window also wears the skin's
// frame (its window region is set, which the skin does once the frame is fitted). Prints
// one line per run and the median.
//
//   startup_probe.exe PROGRAM.exe CLASS CAPTION|- RUNS [skinned]
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5 && !(argc == 6 && wcscmp(argv[5], L"skinned") == 0)) {
    fwprintf(stderr, L"usage: startup_probe PROGRAM CLASS CAPTION|- RUNS [skinned]\n");
    return 2;
  }
  std::wstring exe = argv[1];
  const wchar_t* cls = argv[2];
  const wchar_t* caption = wcscmp(argv[3], L"-") == 0 ? nullptr : argv[3];
  int runs = _wtoi(argv[4]);
  std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/"));
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    double start = Now();
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                        &si, &pi)) {
      fwprintf(stderr, L"cannot start %ls (error %lu)\n", exe.c_str(), GetLastError());
      return 1;
    }
    Search s{pi.dwProcessId, cls, caption, argc == 6};
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
    if (elapsed < 0) {
      fwprintf(stderr, L"run %d: no visible %ls window appeared\n", i + 1, cls);
      return 1;
    }
    wprintf(L"run %d: %.1f ms\n", i + 1, elapsed);
    times.push_back(elapsed);
  }
  std::sort(times.begin(), times.end());
  size_t n = times.size();
  double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  wprintf(L"median_ms=%.1f\n", median);
  return 0;
}
