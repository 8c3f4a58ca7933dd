// Arbitrary node tables: the table beside the program, read leniently, and the service's
// list, read strictly; neither may crash, and a list taken must hold what was promised.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/speedtest/SpeedTest.h"

using namespace vpn::speedtest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto table = NodeTable::Parse(text);
  table.ReadString(text.substr(0, size / 3), text.substr(size / 3, size / 3), "");
  PingHost(table, "a", text.substr(0, 8));
  const NodeListReading r = ReadNodeList(text);
  NodeListFaultText(r, size % 2 == 0);
  if (r.fault != NodeListFault::kNone) {
    if (!r.table.Empty()) std::abort();
    return 0;
  }
  if (r.table.Lines().empty()) std::abort();
  for (const NodeLine& line : r.table.Lines()) {
    if (line.servers.empty() || line.servers.size() > kMaxServersPerLine) std::abort();
    if (r.table.FindLine(line.name) < 0) std::abort();
    for (const NodeServer& s : line.servers) {
      if (s.host.empty() || s.host.size() > kMaxHost || s.name.size() > kMaxServerName)
        std::abort();
      if (r.table.LineOf(s.name) < 0) std::abort();
      const NodeTable& t = r.table;
      if (t.ReadString(line.name, s.name, "").empty()) std::abort();
    }
  }
  return 0;
}
