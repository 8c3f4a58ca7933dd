// Performance-data blocks come from the system's registry interface: any bytes must walk
// without reading outside the buffer and without running away.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/ras/perf_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Copy into a buffer of exactly the input's size so that any over-read is caught.
  std::vector<std::uint8_t> block(data, data + size);
  vpn::ras::PerfTotals totals;
  std::size_t pumps = 0;
  vpn::ras::WalkPerfData(block.data(), block.size(), totals, [&] { ++pumps; });
  return 0;
}
