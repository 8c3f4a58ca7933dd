// Performance-data blocks built byte by byte in the system's layout, for the tests of
// the walker and of the statistics that read them.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace perf_blocks {

using Bytes = std::vector<std::uint8_t>;

inline void Put32(Bytes& b, std::size_t off, std::uint32_t v) {
  if (b.size() < off + 4) b.resize(off + 4);
  std::memcpy(b.data() + off, &v, 4);
}

struct CounterDef {
  std::uint32_t index;
  std::uint32_t offset;
};

// A counter block of `length` bytes with 32-bit values at the given offsets.
inline Bytes CounterBlock(std::uint32_t length,
                          std::vector<std::pair<std::uint32_t, std::uint32_t>> values) {
  Bytes b(length, 0);
  Put32(b, 0, length);
  for (auto [off, v] : values) Put32(b, off, v);
  return b;
}

// One object: 64-byte header, 40-byte counter definitions, then either one counter block
// (instances < 0) or per instance a 24-byte definition followed by its block.
inline Bytes Object(const std::vector<CounterDef>& counters, std::int32_t instances,
                    const std::vector<Bytes>& blocks) {
  Bytes b(64, 0);
  for (const auto& c : counters) {
    Bytes def(40, 0);
    Put32(def, 0, 40);
    Put32(def, 4, c.index);
    Put32(def, 32, 4);
    Put32(def, 36, c.offset);
    b.insert(b.end(), def.begin(), def.end());
  }
  const auto definition_length = static_cast<std::uint32_t>(b.size());
  for (const auto& blk : blocks) {
    if (instances > 0) {
      Bytes inst(24, 0);
      Put32(inst, 0, 24);
      b.insert(b.end(), inst.begin(), inst.end());
    }
    b.insert(b.end(), blk.begin(), blk.end());
  }
  Put32(b, 0, static_cast<std::uint32_t>(b.size()));
  Put32(b, 4, definition_length);
  Put32(b, 8, 64);
  Put32(b, 12, 906);
  Put32(b, 32, static_cast<std::uint32_t>(counters.size()));
  Put32(b, 40, static_cast<std::uint32_t>(instances));
  return b;
}

// The data block: an 88-byte header (signature "PERF" in UTF-16) followed by objects.
inline Bytes Block(const std::vector<Bytes>& objects) {
  Bytes b(88, 0);
  const char16_t sig[] = u"PERF";
  std::memcpy(b.data(), sig, 8);
  Put32(b, 8, 1);
  Put32(b, 24, 88);
  Put32(b, 28, static_cast<std::uint32_t>(objects.size()));
  for (const auto& o : objects) b.insert(b.end(), o.begin(), o.end());
  Put32(b, 20, static_cast<std::uint32_t>(b.size()));
  return b;
}

}  // namespace perf_blocks
