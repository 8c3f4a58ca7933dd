// Byte counters and link speed of the dial-up connection, read from the system's
// dynamic statistics keys (Windows 95 family) or its performance data (NT family).
// Failures show only in the flag results; registry errors are never raised.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ras/perf_data.h"
#include "dialup/OsVersion.h"

namespace dialup {

class TRasStatistics {
 public:
  std::vector<std::string> DUNA;  // dial-up adapter names (Windows 95 family)
  std::string DUNA_Key;           // the adapter whose counters are read
  std::uint32_t BytesXmit = 0;
  std::uint32_t BytesRecv = 0;
  std::uint32_t ConnectionSpeed = 0;
  std::uint32_t RawXmit = 0;
  std::uint32_t RawRecv = 0;
  std::uint32_t BaseXmit = 0;
  std::uint32_t BaseRecv = 0;
  // Runs while the performance data is walked (the owner pumps window messages).
  std::function<void()> Pump;
  // One query of the remote-access performance object; the system's registry when empty
  // (tests answer from here).
  vpn::ras::PerfQueryFn PerfQuery;

  bool CollectAdapters(TPlatformFamily family);
  bool ControlStatistics(TPlatformFamily family, bool start, bool refresh);
  bool ReadStatistics(TPlatformFamily family);
  void ResetStatistics();

 private:
  bool ReadWindows95();
  bool ReadPerformanceData();
};

// The size the performance data is read with; 0 until the first read, kept between
// reads once an answer needed more.
std::uint32_t PerfDataBufferSize();

}  // namespace dialup
