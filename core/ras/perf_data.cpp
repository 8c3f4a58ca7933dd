#include "core/ras/perf_data.h"

#include <cstring>

namespace vpn::ras {

namespace {

// Offsets of the fields read, as the system lays the records out (the same in 32- and
// 64-bit programs: every field read is a 32-bit value).
constexpr std::size_t kBlockHeaderLength = 24;
constexpr std::size_t kBlockNumObjects = 28;

constexpr std::size_t kObjectSize = 64;
constexpr std::size_t kObjectTotalLength = 0;
constexpr std::size_t kObjectDefinitionLength = 4;
constexpr std::size_t kObjectHeaderLength = 8;
constexpr std::size_t kObjectNumCounters = 32;
constexpr std::size_t kObjectNumInstances = 40;

constexpr std::size_t kCounterDefSize = 40;
constexpr std::size_t kCounterDefByteLength = 0;
constexpr std::size_t kCounterDefNameIndex = 4;
constexpr std::size_t kCounterDefOffset = 36;

constexpr std::size_t kInstanceSize = 24;
constexpr std::size_t kCounterBlockSize = 4;

std::uint32_t U32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

struct Counter {
  std::uint32_t index;
  std::uint32_t offset;
};

// Reads the wanted counters out of one counter block of `length` bytes at `block`.
void TakeValues(const std::uint8_t* block, std::size_t length, const Counter* counters,
                std::size_t count, PerfTotals& totals) {
  for (std::size_t i = 0; i < count; ++i) {
    const Counter& c = counters[i];
    if (c.index != kCounterBytesXmit && c.index != kCounterBytesRecv) continue;
    if (c.offset > length || length - c.offset < 4) continue;
    const auto value = static_cast<std::int32_t>(U32(block + c.offset));
    if (value < 0) continue;
    std::uint32_t& total = c.index == kCounterBytesXmit ? totals.bytes_xmit : totals.bytes_recv;
    if (static_cast<std::uint32_t>(value) > total) total = static_cast<std::uint32_t>(value);
  }
}

// One object of `length` bytes at `obj`; false ends the walk.
bool WalkObject(const std::uint8_t* obj, std::size_t length, PerfTotals& totals,
                const std::function<void()>& pump) {
  const std::uint32_t definition_length = U32(obj + kObjectDefinitionLength);
  const std::uint32_t header_length = U32(obj + kObjectHeaderLength);
  const std::uint32_t num_counters = U32(obj + kObjectNumCounters);
  const auto num_instances = static_cast<std::int32_t>(U32(obj + kObjectNumInstances));
  if (num_counters > kMaxCounters) return false;

  Counter counters[kMaxCounters];
  std::size_t pos = header_length;
  for (std::uint32_t i = 0; i < num_counters; ++i) {
    pump();
    if (pos > length || length - pos < kCounterDefSize) return false;
    counters[i] = {U32(obj + pos + kCounterDefNameIndex), U32(obj + pos + kCounterDefOffset)};
    pos += U32(obj + pos + kCounterDefByteLength);
  }

  pos = definition_length;
  if (num_instances <= 0) {
    // A single counter block right after the definitions.
    if (pos > length || length - pos < kCounterBlockSize) return false;
    const std::uint32_t block_length = U32(obj + pos);
    if (block_length > length - pos) return false;
    TakeValues(obj + pos, block_length, counters, num_counters, totals);
    return true;
  }
  for (std::int32_t i = 0; i < num_instances; ++i) {
    if (pos > length || length - pos < kInstanceSize) return false;
    const std::uint32_t instance_length = U32(obj + pos);
    if (instance_length < kInstanceSize || instance_length > length - pos) return false;
    pos += instance_length;
    if (length - pos < kCounterBlockSize) return false;
    const std::uint32_t block_length = U32(obj + pos);
    if (block_length < kCounterBlockSize || block_length > length - pos) return false;
    TakeValues(obj + pos, block_length, counters, num_counters, totals);
    pos += block_length;
  }
  return true;
}

}  // namespace

bool WalkPerfData(const std::uint8_t* data, std::size_t size, PerfTotals& totals,
                  const std::function<void()>& pump) {
  if (data == nullptr || size < kMinPerfBlock) return false;
  const std::uint32_t num_objects = U32(data + kBlockNumObjects);
  if (num_objects == 0) return false;
  std::size_t pos = U32(data + kBlockHeaderLength);
  for (std::uint32_t i = 0; i < num_objects; ++i) {
    pump();
    if (pos > size || size - pos < kObjectSize) return false;
    const std::uint32_t object_length = U32(data + pos + kObjectTotalLength);
    if (object_length < kObjectSize || object_length > size - pos) return false;
    if (!WalkObject(data + pos, object_length, totals, pump)) return false;
    pos += object_length;
  }
  return true;
}

std::uint32_t ReadPerfData(std::uint32_t& remembered_size, std::vector<std::uint8_t>& data,
                           const PerfQueryFn& query) {
  if (remembered_size == 0) remembered_size = kPerfInitialSize;
  for (;;) {
    data.resize(remembered_size);
    std::uint32_t size = remembered_size;
    const std::uint32_t code = query(data.data(), size);
    if (code == kErrorMoreDataCode) {
      if (remembered_size > kPerfMaxSize - kPerfGrowStep) {
        data.clear();
        return code;
      }
      remembered_size += kPerfGrowStep;
      continue;
    }
    if (code != 0 || size > data.size()) {
      data.clear();
      return code;
    }
    data.resize(size);
    return code;
  }
}

}  // namespace vpn::ras
