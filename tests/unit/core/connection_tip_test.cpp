#include "core/app/connection_tip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/reconnect.h"

namespace {

using namespace vpn::app;

TEST(ConnectionTip, TheExampleTipAndItsBytes) {
  const std::uint64_t MB = 1024 * 1024;
  const std::string tip = ConnectedTip("Morlu连接器", 3723, MB + MB / 5, 15 * MB + MB * 8 / 10);
  EXPECT_EQ(tip, "Morlu连接器 已连接 01:02:03 ↑1.2 MB ↓15.8 MB");
  // The arrows are the GBK characters A1FC and A1FD, not a replacement sign.
  EXPECT_NE(tip.find("\xA1\xFC"
                     "1.2 MB \xA1\xFD"
                     "15.8 MB"),
            std::string::npos);
}

TEST(ConnectionTip, TimeCountsHoursPastADay) {
  EXPECT_EQ(ConnectedTime(0), "00:00:00");
  EXPECT_EQ(ConnectedTime(59), "00:00:59");
  EXPECT_EQ(ConnectedTime(3599), "00:59:59");
  EXPECT_EQ(ConnectedTime(86400 + 61), "24:01:01");
  EXPECT_EQ(ConnectedTime(123 * 3600 + 4 * 60 + 5), "123:04:05");
}

TEST(ConnectionTip, BytesTakeTheLargestUnitThatStaysAtOne) {
  const std::vector<std::pair<std::uint64_t, std::string>> cases = {
      {0, "0 B"},
      {1023, "1023 B"},
      {1024, "1.0 KB"},
      {1075, "1.0 KB"},  // 1.0498 rounds down
      {1076, "1.1 KB"},  // 1.0508 rounds up
      {1024 * 1024 - 52, "1023.9 KB"},
      {1024 * 1024 - 51, "1.0 MB"},  // would round to 1024.0 KB
      {1024ull * 1024 * 1024 * 3 / 2, "1.5 GB"},
      {1024ull * 1024 * 1024 * 1024, "1.0 TB"},
      {~0ull, "16.0 EB"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(ByteAmount(bytes), text) << bytes;
}

TEST(ConnectionTip, ALongCaptionIsCutBetweenCharactersWithinTheTip) {
  // 125 bytes of caption and a blank: the next character, two bytes, no longer fits in
  // 127 and is left out whole.
  std::string caption = "a";
  for (int i = 0; i < 62; ++i) caption += "连";
  EXPECT_EQ(ConnectedTip(caption, 1, 2, 3), caption + " ");
  // 124 bytes: the whole of "已" fits, the "连" after it does not.
  caption = "ab";
  for (int i = 0; i < 61; ++i) caption += "连";
  EXPECT_EQ(ConnectedTip(caption, 1, 2, 3), caption + " 已");
  // The longest figures still fit behind the program's own caption.
  const std::string full = ConnectedTip("Morlu连接器", ~0ull, ~0ull, ~0ull);
  EXPECT_LE(full.size(), kTipBytes);
  EXPECT_EQ(full.substr(full.size() - 7), "16.0 EB");
}

TEST(ConnectionTip, CountersGoOnPastFourGigabytes) {
  std::uint64_t total = 0;
  for (std::uint32_t reading : {1000u, 0xFFFFFF00u, 0x100u, 0x100u, 0x80000000u, 5u})
    total = ExtendCounter(total, reading);
  EXPECT_EQ(total, (std::uint64_t{2} << 32) + 5);
  EXPECT_EQ(ExtendCounter(0, 0), 0u);
}

TEST(Reconnect, WaitsDoubleUpToAMinute) {
  std::vector<unsigned> waits;
  for (unsigned attempt = 1; attempt <= 8; ++attempt)
    waits.push_back(ReconnectDelaySeconds(attempt));
  EXPECT_EQ(waits, (std::vector<unsigned>{2, 4, 8, 16, 32, 60, 60, 60}));
  EXPECT_EQ(ReconnectDelaySeconds(1000), 60u);
}

TEST(Reconnect, OnlyAWrongPasswordEndsTheTries) {
  EXPECT_TRUE(StopsReconnecting(691));
  for (std::int64_t e : {0, 600, 629, 678, 800, 868}) EXPECT_FALSE(StopsReconnecting(e)) << e;
}

TEST(Reconnect, TextsNameTheTryTheWaitAndTheLastError) {
  EXPECT_EQ(ReconnectWaitText(1, 2, 0), "连接已断开，2秒后第1次重连");
  EXPECT_EQ(ReconnectWaitText(3, 8, 800), "重连失败，错误号为:800，8秒后第3次重连");
  EXPECT_EQ(ReconnectDialText(2), "正在第2次重连...");
  EXPECT_EQ(ReconnectTip("Morlu连接器", ReconnectDialText(2)), "Morlu连接器 正在第2次重连...");
  EXPECT_TRUE(AutoReconnectOn(AutoReconnectValue(true)));
  EXPECT_FALSE(AutoReconnectOn(AutoReconnectValue(false)));
  EXPECT_FALSE(AutoReconnectOn(""));
  EXPECT_FALSE(AutoReconnectOn("yes"));
}

}  // namespace
