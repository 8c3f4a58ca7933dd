// What the skin benchmarks share: a microsecond clock, medians of timed runs and a message
// pump with a limit.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "tests/support/wait_until.h"

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

// The middle figure (-1 when there is none).
inline double Median(std::vector<double> t) {
  if (t.empty()) return -1;
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

// Median in microseconds of `rounds` runs of `step`; each run ends with GdiFlush, so the
// drawing it queued counts.
inline double Median(int rounds, const std::function<void()>& step) {
  std::vector<double> t;
  for (int i = 0; i < rounds; ++i) {
    const double start = Now();
    step();
    GdiFlush();
    t.push_back(Now() - start);
  }
  return Median(std::move(t));
}

inline void PumpUntil(const std::function<bool()>& done, DWORD ms) {
  testwait::PumpUntil(done, ms);
}

}  // namespace bench
