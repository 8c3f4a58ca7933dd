// Arbitrary node table files.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/speedtest/SpeedTest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto table = vpn::speedtest::NodeTable::Parse(text);
  table.ReadString(text.substr(0, size / 3), text.substr(size / 3, size / 3), "");
  vpn::speedtest::PingHost(table, "a", text.substr(0, 8));
  return 0;
}
