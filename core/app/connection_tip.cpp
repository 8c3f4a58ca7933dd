#include "core/app/connection_tip.h"

#include <cstdio>
#include <iterator>

#include "core/tray/tray_text.h"

namespace vpn::app {

std::string ConnectedTime(std::uint64_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%02llu:%02u:%02u",
                static_cast<unsigned long long>(seconds / 3600),
                static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
  return text;
}

std::string ByteAmount(std::uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " B";
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  // Tenths of the unit, rounded; a value that rounds up to 1024.0 is shown in the next
  // unit instead ("1.0 MB", not "1024.0 KB").
  long double value = static_cast<long double>(bytes) / 1024;
  std::size_t unit = 0;
  while (unit + 1 < std::size(kUnits) && value * 10 + 0.5L >= 1024 * 10) {
    value /= 1024;
    ++unit;
  }
  const auto tenths = static_cast<unsigned long long>(value * 10 + 0.5L);
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " " + kUnits[unit];
}

std::uint64_t ExtendCounter(std::uint64_t total, std::uint32_t counter) {
  std::uint64_t next = (total & ~std::uint64_t{0xFFFFFFFF}) | counter;
  if (next < total) next += std::uint64_t{1} << 32;
  return next;
}

std::string ConnectedTip(std::string_view caption, std::uint64_t seconds, std::uint64_t sent,
                         std::uint64_t received) {
  std::string tip(caption);
  tip +=
      " 已连接 " + ConnectedTime(seconds) + " ↑" + ByteAmount(sent) + " ↓" + ByteAmount(received);
  return std::string(GbkPrefix(tip, kTipBytes));
}

}  // namespace vpn::app
