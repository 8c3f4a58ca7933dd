// The performance-data walker on blocks built here byte by byte in the system's layout.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/ras/perf_data.h"

namespace {

using vpn::ras::PerfTotals;
using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::size_t off, std::uint32_t v) {
  if (b.size() < off + 4) b.resize(off + 4);
  std::memcpy(b.data() + off, &v, 4);
}

struct CounterDef {
  std::uint32_t index;
  std::uint32_t offset;
};

// A counter block of `length` bytes with 32-bit values at the given offsets.
Bytes CounterBlock(std::uint32_t length,
                   std::vector<std::pair<std::uint32_t, std::uint32_t>> values) {
  Bytes b(length, 0);
  Put32(b, 0, length);
  for (auto [off, v] : values) Put32(b, off, v);
  return b;
}

// One object: 64-byte header, 40-byte counter definitions, then either one counter block
// (instances < 0) or per instance a 24-byte definition followed by its block.
Bytes Object(const std::vector<CounterDef>& counters, std::int32_t instances,
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
Bytes Block(const std::vector<Bytes>& objects) {
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

bool Walk(const Bytes& b, PerfTotals& t, int* pumps = nullptr) {
  return vpn::ras::WalkPerfData(b.data(), b.size(), t, [&] {
    if (pumps) ++*pumps;
  });
}

TEST(PerfData, SingleBlockObjectGivesBothCounters) {
  auto obj = Object({{870, 4}, {872, 8}, {874, 12}}, -1,
                    {CounterBlock(16, {{4, 77}, {8, 1000}, {12, 2000}})});
  PerfTotals t;
  int pumps = 0;
  EXPECT_TRUE(Walk(Block({obj}), t, &pumps));
  EXPECT_EQ(t.bytes_xmit, 1000u);
  EXPECT_EQ(t.bytes_recv, 2000u);
  EXPECT_EQ(pumps, 1 + 3);  // once for the object, once per counter definition
}

TEST(PerfData, InstancesKeepTheLargestValue) {
  auto obj = Object({{874, 4}, {872, 8}}, 3,
                    {CounterBlock(12, {{4, 10}, {8, 300}}), CounterBlock(16, {{4, 900}, {8, 5}}),
                     CounterBlock(12, {{4, 20}, {8, 0x80000000u}})});
  PerfTotals t;
  EXPECT_TRUE(Walk(Block({obj}), t));
  EXPECT_EQ(t.bytes_recv, 900u);
  EXPECT_EQ(t.bytes_xmit, 300u);  // the negative reading is passed over
}

TEST(PerfData, SmallerReadingsDoNotLowerTheTotals) {
  auto obj = Object({{872, 4}, {874, 8}}, -1, {CounterBlock(12, {{4, 100}, {8, 100}})});
  PerfTotals t{5000, 50};
  EXPECT_TRUE(Walk(Block({obj}), t));
  EXPECT_EQ(t.bytes_xmit, 5000u);
  EXPECT_EQ(t.bytes_recv, 100u);
}

TEST(PerfData, LaterObjectsAreReachedByTheirLengths) {
  auto other = Object({{10, 4}, {12, 8}}, -1, {CounterBlock(12, {{4, 1}, {8, 2}})});
  other.resize(other.size() + 20);  // padding inside the object's length
  Put32(other, 0, static_cast<std::uint32_t>(other.size()));
  auto ras = Object({{872, 4}}, -1, {CounterBlock(8, {{4, 4242}})});
  PerfTotals t;
  int pumps = 0;
  EXPECT_TRUE(Walk(Block({other, ras}), t, &pumps));
  EXPECT_EQ(t.bytes_xmit, 4242u);
  EXPECT_EQ(pumps, 2 + 3);
}

TEST(PerfData, MoreThanFiftyCountersEndsTheReading) {
  std::vector<CounterDef> many;
  for (std::uint32_t i = 0; i < 51; ++i) many.push_back({872, 4});
  auto first = Object({{872, 4}}, -1, {CounterBlock(8, {{4, 11}})});
  auto big = Object(many, -1, {CounterBlock(8, {{4, 99}})});
  auto last = Object({{874, 4}}, -1, {CounterBlock(8, {{4, 33}})});
  PerfTotals t;
  EXPECT_FALSE(Walk(Block({first, big, last}), t));
  EXPECT_EQ(t.bytes_xmit, 11u);  // found before the refusal
  EXPECT_EQ(t.bytes_recv, 0u);   // never reached

  many.pop_back();  // exactly fifty is fine
  PerfTotals u;
  EXPECT_TRUE(Walk(Block({Object(many, -1, {CounterBlock(8, {{4, 99}})})}), u));
  EXPECT_EQ(u.bytes_xmit, 99u);
}

TEST(PerfData, ShortOrEmptyBlocksAreRefused) {
  PerfTotals t;
  Bytes empty = Block({});
  empty.resize(120);
  EXPECT_FALSE(Walk(empty, t));  // no object
  auto obj = Object({}, -1, {CounterBlock(4, {})});
  Bytes b = Block({obj});
  ASSERT_GE(b.size(), 100u);
  EXPECT_TRUE(Walk(b, t));
  b.resize(99);
  EXPECT_FALSE(Walk(b, t));
  EXPECT_FALSE(vpn::ras::WalkPerfData(nullptr, 0, t, [] {}));
}

TEST(PerfData, InconsistentLengthsStopInsideTheBuffer) {
  auto obj = Object({{872, 4}, {874, 8}}, -1, {CounterBlock(12, {{4, 7}, {8, 8}})});
  PerfTotals t;
  // Counter offset pointing beyond its block: the value is not taken.
  auto bad_offset = Object({{872, 400}}, -1, {CounterBlock(8, {{4, 7}})});
  EXPECT_TRUE(Walk(Block({bad_offset}), t));
  EXPECT_EQ(t.bytes_xmit, 0u);
  // Object longer than the block, zero-length object, header offset beyond the end,
  // instance count far beyond the data, block cut in the middle.
  auto b = Block({obj});
  auto longer = b;
  Put32(longer, 88, 100000);
  EXPECT_FALSE(Walk(longer, t));
  auto zero = b;
  Put32(zero, 88, 0);
  EXPECT_FALSE(Walk(zero, t));
  auto header = b;
  Put32(header, 24, 0xFFFFFFF0u);
  EXPECT_FALSE(Walk(header, t));
  auto instances = Block({Object({{872, 4}}, 1000000, {CounterBlock(8, {{4, 5}})})});
  EXPECT_FALSE(Walk(instances, t));
  EXPECT_EQ(t.bytes_xmit, 5u);  // the one instance that exists was read
  auto cut = b;
  cut.resize(b.size() - 6);
  EXPECT_FALSE(Walk(cut, t));
  auto many_objects = b;
  Put32(many_objects, 28, 0xFFFFFFFFu);
  EXPECT_FALSE(Walk(many_objects, t));
}

TEST(PerfData, ReadGrowsByStepsAndRemembersTheSize) {
  std::vector<std::uint32_t> tried;
  const std::uint32_t needed = 10000;
  auto query = [&](std::uint8_t* buf, std::uint32_t& size) -> std::uint32_t {
    tried.push_back(size);
    if (size < needed) return 234;
    std::memset(buf, 0xAB, needed);
    size = needed;
    return 0;
  };
  std::uint32_t remembered = 0;
  Bytes data;
  EXPECT_EQ(vpn::ras::ReadPerfData(remembered, data, query), 0u);
  EXPECT_EQ(tried, (std::vector<std::uint32_t>{8192, 9216, 10240}));
  EXPECT_EQ(remembered, 10240u);
  EXPECT_EQ(data.size(), needed);
  tried.clear();
  EXPECT_EQ(vpn::ras::ReadPerfData(remembered, data, query), 0u);
  EXPECT_EQ(tried, (std::vector<std::uint32_t>{10240}));
}

TEST(PerfData, ReadFailureLeavesNoData) {
  std::uint32_t remembered = 0;
  Bytes data{1, 2, 3};
  EXPECT_EQ(vpn::ras::ReadPerfData(
                remembered, data, [](std::uint8_t*, std::uint32_t&) -> std::uint32_t { return 2; }),
            2u);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(remembered, 8192u);
  // A system that always wants more is given up on.
  std::uint32_t calls = 0;
  EXPECT_EQ(vpn::ras::ReadPerfData(remembered, data,
                                   [&](std::uint8_t*, std::uint32_t&) -> std::uint32_t {
                                     ++calls;
                                     return 234;
                                   }),
            234u);
  EXPECT_TRUE(data.empty());
  EXPECT_LE(remembered, vpn::ras::kPerfMaxSize);
  EXPECT_GT(calls, 1000u);
}

}  // namespace
