// What the skin benchmarks share: a microsecond clock and a message pump with a limit.
#pragma once

#include <windows.h>

#include <functional>

namespace bench {

inline double Now() {
  static const double freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1e6 / freq;
}

inline void PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (!done() && static_cast<LONG>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
}

}  // namespace bench
