#include "core/lzh/Lzh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/lzh/LzhTree.h"
#include "tools/skinpack/LzhEncoder.h"

using vpn::lzh::HuffTree;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& data) {
  const std::vector<uint8_t> bits = skinpack::LzhEncode(data);
  return vpn::lzh::Unpack(bits, static_cast<int32_t>(data.size()));
}

std::vector<uint8_t> Random(size_t n, uint32_t seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng() % alphabet);
  return v;
}

// The counts of a valid tree are ascending, every inner count is the sum of its
// children, and parent links agree with child links.
void ExpectConsistent(const HuffTree& t) {
  for (int i = 0; i < vpn::lzh::kRoot; ++i) ASSERT_LE(t.freq[i], t.freq[i + 1]) << i;
  for (int i = 0; i < vpn::lzh::kNodes; ++i) {
    const int s = t.son[i];
    if (s >= vpn::lzh::kNodes) {
      ASSERT_EQ(t.prnt[s], i);
    } else {
      ASSERT_EQ(t.prnt[s], i);
      ASSERT_EQ(t.prnt[s + 1], i);
      ASSERT_EQ(t.freq[i], t.freq[s] + t.freq[s + 1]) << i;
    }
  }
}

}  // namespace

TEST(Lzh, RoundTripsVariedData) {
  std::vector<std::vector<uint8_t>> cases;
  cases.push_back({});
  cases.push_back({0x41});
  std::vector<uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
  cases.push_back(all);
  cases.push_back(std::vector<uint8_t>(100000, 0));
  cases.push_back(std::vector<uint8_t>(5000, 0xFF));
  std::string text;
  for (int i = 0; i < 400; ++i)
    text +=
        "[Personality]\r\nTop=skins\\top.bmp\r\nTopFrame=2 ; line " + std::to_string(i) + "\r\n";
  cases.push_back(Bytes(text));
  for (size_t n : {2u, 3u, 59u, 60u, 61u, 4095u, 4096u, 4097u, 70000u})
    cases.push_back(Random(n, static_cast<uint32_t>(n)));
  cases.push_back(Random(300000, 7, 4));  // long and repetitive: many matches, many symbols
  for (const auto& data : cases) {
    const std::vector<uint8_t> out = RoundTrip(data);
    ASSERT_EQ(out.size(), data.size());
    EXPECT_TRUE(out == data) << "size " << data.size();
  }
}

TEST(Lzh, FindsMatchesAcrossTheWindow) {
  // 3000 random bytes repeated: the second copy lies within the 4096-byte window.
  std::vector<uint8_t> block = Random(3000, 11);
  std::vector<uint8_t> data = block;
  data.insert(data.end(), block.begin(), block.end());
  const size_t packedOnce = skinpack::LzhEncode(block).size();
  const size_t packedTwice = skinpack::LzhEncode(data).size();
  EXPECT_LT(packedTwice, packedOnce + packedOnce / 10);
  EXPECT_TRUE(RoundTrip(data) == data);
  // Text of a skin packs to well under half.
  std::string ini;
  for (int i = 0; i < 200; ++i)
    ini += "[Button" + std::to_string(i) + "]\r\nAction=0\r\nAlign=1\r\n";
  EXPECT_LT(skinpack::LzhEncode(Bytes(ini)).size() * 3, ini.size());
}

TEST(Lzh, ZeroSizeReadsNothing) {
  int reads = 0, writes = 0;
  TLZH().Unpack(
      0,
      [&](uint8_t*, int) {
        ++reads;
        return 0;
      },
      [&](const uint8_t*, int) { ++writes; });
  EXPECT_EQ(reads, 0);
  EXPECT_EQ(writes, 0);
  EXPECT_TRUE(vpn::lzh::Unpack({}, -5).empty());
}

TEST(Lzh, UnwrittenWindowReadsAsBlanks) {
  // Blanks at the start are coded as one match into the preset window: a few bits.
  const std::vector<uint8_t> blanks(60, ' ');
  const std::vector<uint8_t> bits = skinpack::LzhEncode(blanks);
  EXPECT_LE(bits.size(), 3u);
  EXPECT_TRUE(vpn::lzh::Unpack(bits, 60) == blanks);
  // Text after blanks: the blanks still come from the preset window.
  const std::vector<uint8_t> mixed = Bytes(std::string(100, ' ') + "abc" + std::string(70, ' '));
  EXPECT_TRUE(RoundTrip(mixed) == mixed);
}

TEST(Lzh, EarlyEndReadsAsZeroBytes) {
  const std::vector<uint8_t> data = Random(20000, 3, 16);
  std::vector<uint8_t> bits = skinpack::LzhEncode(data);
  std::vector<uint8_t> cut(bits.begin(), bits.begin() + static_cast<long>(bits.size() / 2));
  std::vector<uint8_t> padded = cut;
  padded.resize(bits.size() + 1000, 0);
  const std::vector<uint8_t> fromCut = vpn::lzh::Unpack(cut, 20000);
  EXPECT_GE(fromCut.size(), 20000u);
  EXPECT_TRUE(fromCut == vpn::lzh::Unpack(padded, 20000));
  // What the half stream still held decodes unchanged.
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + 5000, fromCut.begin()));
}

TEST(Lzh, MatchUnderWayIsCopiedToItsEnd) {
  const std::vector<uint8_t> data(200, 'x');  // one literal, then long matches
  const std::vector<uint8_t> bits = skinpack::LzhEncode(data);
  const std::vector<uint8_t> out = vpn::lzh::Unpack(bits, 2);
  EXPECT_GT(out.size(), 2u);
  EXPECT_LE(out.size(), 2u + 59u);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 'x'; }));
}

TEST(Lzh, ReadsInputInAnyChunking) {
  // The reader may hand over fewer bytes than asked only at the end of the input.
  const std::vector<uint8_t> data = Random(50000, 5, 32);
  const std::vector<uint8_t> bits = skinpack::LzhEncode(data);
  size_t pos = 0;
  std::vector<uint8_t> out;
  TLZH().Unpack(
      static_cast<int32_t>(data.size()),
      [&](uint8_t* buf, int count) {
        const size_t n = std::min<size_t>(count, bits.size() - pos);
        std::copy_n(bits.begin() + static_cast<long>(pos), n, buf);
        pos += n;
        return static_cast<int>(n);
      },
      [&](const uint8_t* buf, int count) { out.insert(out.end(), buf, buf + count); });
  EXPECT_TRUE(out == data);
}

TEST(LzhTree, RebuildsAfter0x8000UpdatesAndStaysConsistent) {
  HuffTree t;
  ExpectConsistent(t);
  EXPECT_EQ(t.freq[vpn::lzh::kRoot], vpn::lzh::kSymbols);
  std::mt19937 rng(1);
  int updates = 0;
  while (t.rebuilds == 0) {
    t.Update(static_cast<int>(rng() % 40 == 0 ? rng() % vpn::lzh::kSymbols : rng() % 8));
    ++updates;
  }
  EXPECT_EQ(updates, 0x8000 - vpn::lzh::kSymbols + 1);
  EXPECT_LT(t.freq[vpn::lzh::kRoot], 0x8000 / 2 + vpn::lzh::kSymbols);
  ExpectConsistent(t);
  for (int i = 0; i < 100000; ++i) t.Update(static_cast<int>(rng() % vpn::lzh::kSymbols));
  EXPECT_GE(t.rebuilds, 3);
  ExpectConsistent(t);
}

TEST(LzhTree, DecodingGoesOnUnchangedAcrossRebuilds) {
  // 150 000 literals of a skewed alphabet: several rebuilds on both sides.
  std::vector<uint8_t> data = Random(150000, 9, 256);
  for (size_t i = 0; i < data.size(); ++i)
    if (i % 3) data[i] = static_cast<uint8_t>(data[i] % 5);
  EXPECT_TRUE(RoundTrip(data) == data);
}

TEST(LzhTree, PositionTablesCoverEveryPositionOnce) {
  const auto& p = vpn::lzh::Positions();
  // Each upper value owns 2^(8 - len + ... ) first bytes: together exactly 256 codes,
  // and lengths grow with the value.
  int last = 0;
  for (int i = 0; i < 256; ++i) {
    EXPECT_GE(p.code[i], last);
    last = p.code[i];
    EXPECT_GE(p.len[i], 3);
    EXPECT_LE(p.len[i], 8);
  }
  EXPECT_EQ(p.code[0], 0);
  EXPECT_EQ(p.code[0x20], 1);
  EXPECT_EQ(p.code[0x50], 4);
  EXPECT_EQ(p.code[0x90], 0x0C);
  EXPECT_EQ(p.code[0xC0], 0x18);
  EXPECT_EQ(p.code[0xFF], 0x3F);
  EXPECT_EQ(p.len[0x1F], 3);
  EXPECT_EQ(p.len[0x20], 4);
  EXPECT_EQ(p.len[0xEF], 7);
  EXPECT_EQ(p.len[0xF0], 8);
}
