// Walking the system's performance-data block for the remote-access byte counters, and
// reading that block into a buffer that grows until the answer fits.
//
// The block is outside input (it comes from the registry's performance interface), so
// every length and offset in it is checked against the bytes that arrived: a short or
// inconsistent block ends the walk, never a read beyond the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vpn::ras {

// Counter name indexes of the remote-access object: total bytes transmitted / received.
inline constexpr std::uint32_t kCounterBytesXmit = 872;
inline constexpr std::uint32_t kCounterBytesRecv = 874;
// An object with more counters than this is not the one we look for; reading stops.
inline constexpr std::uint32_t kMaxCounters = 50;
// A block shorter than this holds no object worth reading.
inline constexpr std::size_t kMinPerfBlock = 100;

struct PerfTotals {
  std::uint32_t bytes_xmit = 0;
  std::uint32_t bytes_recv = 0;
};

// Walks every object of the block; each transmitted/received counter value that is not
// negative and larger than the current total replaces it. `pump` runs once per object
// and once per counter definition (the caller keeps its windows alive with it). Returns
// false for a block under 100 bytes, a block without objects, an object with more than
// 50 counters, or a block whose structure leaves its bytes; totals found before that
// stay.
bool WalkPerfData(const std::uint8_t* data, std::size_t size, PerfTotals& totals,
                  const std::function<void()>& pump);

// Performs one query into `buffer` of `size` bytes; sets `size` to the bytes returned
// and gives the system's result code.
using PerfQueryFn = std::function<std::uint32_t(std::uint8_t* buffer, std::uint32_t& size)>;

inline constexpr std::uint32_t kErrorMoreDataCode = 234;
inline constexpr std::uint32_t kPerfInitialSize = 8192;
inline constexpr std::uint32_t kPerfGrowStep = 1024;
// A system that keeps asking for more beyond this is not answered any further.
inline constexpr std::uint32_t kPerfMaxSize = 16u * 1024 * 1024;

// Queries with a buffer of `remembered_size` bytes (8192 when still 0), growing it by
// 1024 bytes for as long as the answer is the more-data code (234) and keeping the grown
// size in `remembered_size` for later reads. On success `data` holds exactly the bytes
// returned. Returns the last result code.
std::uint32_t ReadPerfData(std::uint32_t& remembered_size, std::vector<std::uint8_t>& data,
                           const PerfQueryFn& query);

}  // namespace vpn::ras
