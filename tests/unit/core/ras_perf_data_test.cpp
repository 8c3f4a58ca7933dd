// The performance-data walker on blocks built byte by byte in the system's layout.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/ras/perf_data.h"
#include "tests/unit/core/perf_blocks.h"

namespace {

using namespace perf_blocks;
using vpn::ras::PerfTotals;

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
