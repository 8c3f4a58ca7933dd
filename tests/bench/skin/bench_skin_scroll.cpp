// Skinned scroll bars benchmark (not a test). Starts the skin gallery with a list box of
// 10 000 lines, once with the default skin and once unskinned, and drags the list box's
// thumb from the top of the bar to below its end with real mouse input, a few pixels at
// a time, each step waiting until the list has scrolled. The figure is the time from the
// press until the list shows its last page; the median of ROUNDS drags, skinned and
// unskinned side by side with their ratio.
//
//   bench_skin_scroll.exe [ROUNDS] [LINES]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/skin/SkinScrollGeometry.h"
#include "skin/SkinManager.h"
#include "tests/bench/skin/bench_clock.h"
#include "tools/skingallery/GalleryIds.h"

namespace {

using bench::Median;
using bench::Now;

int Send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  DWORD_PTR r = 0;
  SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &r);
  return static_cast<int>(r);
}

void Mouse(POINT p, DWORD flags = 0) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>(p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>(p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
  SendInput(1, &in, sizeof in);
}

bool WaitFor(const auto& done, DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (!done()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    Sleep(0);
  }
  return true;
}

struct TGallery {
  PROCESS_INFORMATION pi{};
  HWND window = nullptr, list = nullptr;
};

TGallery StartGallery(const std::wstring& args) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring exe = self;
  exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"skingallery.exe";
  std::wstring line = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  TGallery g;
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &g.pi)) {
    std::fprintf(stderr, "bench_skin_scroll: cannot start %ls\n", exe.c_str());
    return g;
  }
  WaitFor(
      [&] {
        HWND w = FindWindowW(gallery::kWindowClass, nullptr);
        DWORD pid = 0;
        if (w) GetWindowThreadProcessId(w, &pid);
        if (pid != g.pi.dwProcessId || !IsWindowVisible(w)) return false;
        g.window = w;
        return true;
      },
      20000);
  if (g.window) g.list = GetDlgItem(g.window, gallery::gcListBox);
  return g;
}

void StopGallery(TGallery& g) {
  if (g.window) PostMessageW(g.window, WM_CLOSE, 0, 0);
  if (g.pi.hProcess && WaitForSingleObject(g.pi.hProcess, 5000) != WAIT_OBJECT_0)
    TerminateProcess(g.pi.hProcess, 1);
  if (g.pi.hProcess) CloseHandle(g.pi.hProcess);
  if (g.pi.hThread) CloseHandle(g.pi.hThread);
}

// One drag from the top to below the end of the bar, in microseconds; negative when the
// list did not reach its last page.
double Drag(HWND list) {
  const int count = Send(list, LB_GETCOUNT);
  RECT wr{}, c{};
  GetWindowRect(list, &wr);
  GetClientRect(list, &c);
  const int page = c.bottom / std::max(1, Send(list, LB_GETITEMHEIGHT));
  const int last = count - page;
  Send(list, LB_SETTOPINDEX, 0);
  WaitFor([&] { return Send(list, LB_GETTOPINDEX) == 0; }, 2000);
  Sleep(100);
  const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  const int s = GetSystemMetrics(SM_CXHSCROLL);
  const vpn::skin::TPixelRect v =
      vpn::skin::ScrollBarsLayoutOf(wr.right - wr.left, wr.bottom - wr.top, c.right, c.bottom, s,
                                    GetSystemMetrics(SM_CXEDGE), style & WS_HSCROLL, true, false)
          .Vert;
  // The thumb of a list this long is at its shortest, just below the up arrow.
  const POINT grab{wr.left + (v.Left + v.Right) / 2, wr.top + v.Top + s + 3};
  const int end = wr.top + v.Bottom + 20;
  Mouse(grab);
  Sleep(100);

  const double start = Now();
  Mouse(grab, MOUSEEVENTF_LEFTDOWN);
  int top = 0;
  for (int y = grab.y + 4; y <= end; y += 4) {
    Mouse({grab.x, y});
    WaitFor([&] { return Send(list, LB_GETTOPINDEX) != top; }, 300);
    top = Send(list, LB_GETTOPINDEX);
    if (top == last) break;
  }
  const bool reached = WaitFor([&] { return Send(list, LB_GETTOPINDEX) == last; }, 3000);
  const double took = Now() - start;
  Mouse({grab.x, end}, MOUSEEVENTF_LEFTUP);
  Sleep(100);
  return reached ? took : -1;
}

// The median drag of one gallery run, or a negative number when it failed.
double Run(const std::wstring& args, int rounds, bool skinned) {
  TGallery g = StartGallery(args);
  if (!g.list) {
    std::fprintf(stderr, "bench_skin_scroll: no gallery list box (%ls)\n", args.c_str());
    StopGallery(g);
    return -1;
  }
  SetForegroundWindow(g.window);
  if (skinned && !WaitFor([&] { return Send(g.list, SM_QUERYSKINNED) == 1; }, 10000)) {
    std::fprintf(stderr, "bench_skin_scroll: the gallery's list box was not skinned\n");
    StopGallery(g);
    return -1;
  }
  Sleep(300);
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const double t = Drag(g.list);
    if (t < 0) {
      std::fprintf(stderr, "bench_skin_scroll: a drag did not reach the last line\n");
      continue;
    }
    times.push_back(t);
  }
  StopGallery(g);
  return Median(times);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const int lines = argc > 2 ? std::max(100, std::atoi(argv[2])) : 10000;
  const std::wstring count = std::to_wstring(lines);
  const double plain = Run(L"-unskinned -lines " + count, rounds, false);
  const double skinned = Run(L"-lines " + count, rounds, true);
  std::printf("thumb drag, top to bottom of a list box of %d lines, median of %d:\n", lines,
              rounds);
  std::printf("  unskinned  %9.1f ms\n", plain / 1000);
  std::printf("  skinned    %9.1f ms\n", skinned / 1000);
  if (plain > 0 && skinned > 0) std::printf("  ratio skinned / unskinned  %.2f\n", skinned / plain);
  return plain > 0 && skinned > 0 ? 0 : 1;
}
