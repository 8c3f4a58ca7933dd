#include "dialup/Statistics.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/ras/perf_data.h"
#include "framework/Handles.h"

namespace dialup {

namespace {

std::uint32_t PerfSize = 0;

const char kEnumKey[] = "System\\CurrentControlSet\\Control\\PerfStats\\Enum";
const char kStartStat[] = "PerfStats\\StartStat";
const char kStopStat[] = "PerfStats\\StopStat";
const char kStatData[] = "PerfStats\\StatData";
const char kXmit[] = "\\TotalBytesXmit";
const char kRecv[] = "\\TotalBytesRecvd";
const char kSpeed[] = "\\ConnectSpeed";

// A key of the statistics, opened for the one read or write that needs it; an empty
// owner when the key cannot be opened.
TRegKeyHandle OpenKey(HKEY root, const char* path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, access, &key) != ERROR_SUCCESS) return {};
  return TRegKeyHandle(key);
}

// Reads a value's size, then its data into a buffer of that size (on that system the
// reading itself starts or stops the counters).
bool TouchValue(HKEY key, const std::string& name) {
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return false;
  }
  std::vector<BYTE> data(std::max<DWORD>(size, 1));
  return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, data.data(), &size) == ERROR_SUCCESS;
}

bool ReadDword(HKEY key, const std::string& name, std::uint32_t& value) {
  DWORD v = 0;
  DWORD size = sizeof v;
  if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  value = v;
  return true;
}

}  // namespace

std::uint32_t PerfDataBufferSize() {
  return PerfSize;
}

bool TRasStatistics::CollectAdapters(TPlatformFamily family) {
  if (family != pfWindows95) return false;
  DUNA.clear();
  const TRegKeyHandle adapters = OpenKey(HKEY_LOCAL_MACHINE, kEnumKey, KEY_READ);
  const TRegKeyHandle start = OpenKey(HKEY_DYN_DATA, kStartStat, KEY_READ);
  const bool opened = adapters && start;
  if (opened) {
    DWORD subkeys = 0;
    if (RegQueryInfoKeyA(adapters.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      for (DWORD i = 0; i < subkeys; ++i) {
        char name[33];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(adapters.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
          continue;
        }
        const std::string adapter(name, length);
        DWORD size = 0;
        if (RegQueryValueExA(start.Get(), (adapter + kSpeed).c_str(), nullptr, nullptr, nullptr,
                             &size) == ERROR_SUCCESS) {
          DUNA.push_back(adapter);
        }
      }
    }
  }
  std::sort(DUNA.begin(), DUNA.end());
  return opened;
}

bool TRasStatistics::ControlStatistics(TPlatformFamily family, bool start, bool refresh) {
  switch (family) {
    case pfWin32s:
      return false;
    case pfWindowsNT: {
      // One read, then the reset: a start counts from 0 and costs one query.
      const bool ok = !start || ReadStatistics(family);
      ResetStatistics();
      return ok;
    }
    case pfWindows95:
      break;
  }
  if (refresh) {
    CollectAdapters(family);
    if (DUNA.empty()) return false;
    DUNA_Key = DUNA.front();
  }
  bool ok = false;
  {
    const TRegKeyHandle key =
        OpenKey(HKEY_DYN_DATA, start ? kStartStat : kStopStat, KEY_ALL_ACCESS);
    if (!key) return false;
    ok = TouchValue(key.Get(), DUNA_Key + kXmit) && TouchValue(key.Get(), DUNA_Key + kRecv) &&
         TouchValue(key.Get(), DUNA_Key + kSpeed);
  }
  if (ok) {
    if (start) ReadStatistics(family);
    ResetStatistics();
  }
  return ok;
}

bool TRasStatistics::ReadStatistics(TPlatformFamily family) {
  switch (family) {
    case pfWin32s:
      return false;
    case pfWindows95:
      return ReadWindows95();
    case pfWindowsNT:
      return ReadPerformanceData();
  }
  return false;
}

bool TRasStatistics::ReadWindows95() {
  std::uint32_t speed = 0;
  bool ok = false;
  {
    const TRegKeyHandle key = OpenKey(HKEY_DYN_DATA, kStatData, KEY_READ);
    if (!key) return false;
    ok = ReadDword(key.Get(), DUNA_Key + kXmit, RawXmit) &&
         ReadDword(key.Get(), DUNA_Key + kRecv, RawRecv) &&
         ReadDword(key.Get(), DUNA_Key + kSpeed, speed);
  }
  if (!ok) return false;
  // A counter that went backwards belongs to a new connection: start counting afresh.
  if (RawXmit < BaseXmit) ResetStatistics();
  if (RawRecv < BaseRecv) ResetStatistics();
  ConnectionSpeed = speed;
  BytesXmit = RawXmit - BaseXmit;
  BytesRecv = RawRecv - BaseRecv;
  return true;
}

bool TRasStatistics::ReadPerformanceData() {
  std::vector<std::uint8_t> data;
  // "906" is the remote-access service's performance object.
  const vpn::ras::PerfQueryFn system = [](std::uint8_t* buffer,
                                          std::uint32_t& size) -> std::uint32_t {
    DWORD type = 0;
    DWORD length = size;
    const LONG rc = RegQueryValueExA(HKEY_PERFORMANCE_DATA, "906", nullptr, &type, buffer, &length);
    size = length;
    return static_cast<std::uint32_t>(rc);
  };
  const std::uint32_t code = vpn::ras::ReadPerfData(PerfSize, data, PerfQuery ? PerfQuery : system);
  if (!PerfQuery) RegCloseKey(HKEY_PERFORMANCE_DATA);
  if (code != ERROR_SUCCESS) return false;
  vpn::ras::PerfTotals totals{BytesXmit, BytesRecv};
  const bool ok = vpn::ras::WalkPerfData(data.data(), data.size(), totals, [this] {
    if (Pump) Pump();
  });
  BytesXmit = totals.bytes_xmit;
  BytesRecv = totals.bytes_recv;
  // Only a block with objects counts as read; the walk's refusals are reported as well.
  return ok;
}

void TRasStatistics::ResetStatistics() {
  BaseXmit = RawXmit;
  BaseRecv = RawRecv;
  BytesXmit = 0;
  BytesRecv = 0;
}

}  // namespace dialup
