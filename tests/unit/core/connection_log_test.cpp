#include "core/app/connection_log.h"

#include <gtest/gtest.h>

#include <string>

#include "core/app/advice.h"

namespace {

using vpn::app::kUtf8Mark;
using vpn::app::LogAfterAppend;

const vpn::app::LogTime kTime{2024, 5, 6, 21, 3, 7, 42};

std::string Lines(int from, int to) {
  std::string s;
  for (int i = from; i < to; ++i)
    s += "line " + std::to_string(i) + " ........................\r\n";
  return s;
}

TEST(ConnectionLog, OneEntryIsOneLineWithItsTimeAndKind) {
  EXPECT_EQ(vpn::app::LogLine(kTime, vpn::app::LogKind::Status, "连接中....请稍等"),
            "2024-05-06 21:03:07.042 [信息] 连接中....请稍等\r\n");
  // A text with line breaks (the system's error texts have them) stays one line.
  EXPECT_EQ(vpn::app::LogLine(kTime, vpn::app::LogKind::Error, "691\r\nbad\tpassword\n"),
            "2024-05-06 21:03:07.042 [错误] 691  bad password \r\n");
  // A runaway text is cut between characters.
  std::string long_text;
  for (int i = 0; i < 1500; ++i) long_text += "连";
  const std::string line = vpn::app::LogLine(kTime, vpn::app::LogKind::System, long_text);
  const std::string head = "2024-05-06 21:03:07.042 [系统] ";
  EXPECT_EQ(line.size(), head.size() + vpn::app::kLogEntryBytes + 2);
  EXPECT_EQ(line.substr(line.size() - 4), "连\r\n");
  EXPECT_EQ(vpn::app::StateChangeText(vpn::app::ConnectionState::Dialing,
                                      vpn::app::ConnectionState::Connected,
                                      vpn::app::ConnectionEvent::LineUp),
            "正在连接 → 已连接（LineUp）");
}

TEST(ConnectionLog, TheFileKeepsTheNewerHalfAndNeverPassesItsLimit) {
  const std::size_t limit = 4096;
  // Room enough: the lines are appended after the mark.
  EXPECT_EQ(LogAfterAppend("", "a\r\n", limit), std::string(kUtf8Mark) + "a\r\n");
  EXPECT_EQ(LogAfterAppend(std::string(kUtf8Mark) + "a\r\n", "b\r\n", limit),
            std::string(kUtf8Mark) + "a\r\nb\r\n");
  // A file without its mark (written by something else) gets one.
  EXPECT_EQ(LogAfterAppend("a\r\n", "b\r\n", limit), std::string(kUtf8Mark) + "a\r\nb\r\n");
  // A last line cut short by a crash does not swallow the next.
  EXPECT_EQ(LogAfterAppend("a\r\nhal", "b\r\n", limit),
            std::string(kUtf8Mark) + "a\r\nhal\r\nb\r\n");

  // Over the limit: the older half goes, cut at a line start.
  const std::string full = std::string(kUtf8Mark) + Lines(0, 120);
  ASSERT_GT(full.size() + 40, limit);
  const std::string after = LogAfterAppend(full, Lines(1000, 1001), limit);
  EXPECT_TRUE(after.starts_with(kUtf8Mark));
  EXPECT_LE(after.size(), limit);
  EXPECT_GE(after.size(), full.size() / 2 - 40);
  EXPECT_LE(after.size(), full.size() / 2 + 40);
  EXPECT_TRUE(after.substr(kUtf8Mark.size()).starts_with("line "));
  EXPECT_TRUE(after.ends_with(Lines(119, 120) + Lines(1000, 1001)));
  EXPECT_EQ(after.find("line 0 "), std::string::npos);

  // A file filled entry by entry never passes the limit, and always ends with the newest.
  std::string file;
  for (int i = 0; i < 10000; ++i) {
    const std::string entry = Lines(i, i + 1);
    file = vpn::app::AppendFits(file.size(), entry.size(), limit) && !file.empty()
               ? file + entry
               : LogAfterAppend(file, entry, limit);
    ASSERT_LE(file.size(), limit) << i;
  }
  EXPECT_TRUE(file.ends_with(Lines(9999, 10000)));
  EXPECT_GT(file.size(), limit / 2 - 40);

  // New lines over half the limit keep only their newest lines that fit.
  const std::string flood = Lines(0, 200);
  const std::string kept = LogAfterAppend(full, flood, limit);
  EXPECT_LE(kept.size(), limit);
  EXPECT_TRUE(kept.ends_with(Lines(199, 200)));
  EXPECT_TRUE(kept.substr(kUtf8Mark.size()).starts_with("line "));
  // A limit too small for the mark still gives a file (only the mark).
  EXPECT_EQ(LogAfterAppend(full, "x\r\n", 2), std::string(kUtf8Mark));
}

TEST(ConnectionLog, AFailureKeepsTheDesignsTextFirstAndEveryErrorHasAdvice) {
  const std::string text = vpn::app::DialFailureText(691);
  EXPECT_TRUE(text.starts_with("无法连接，错误号为:691\r\n"));
  EXPECT_EQ(text.substr(text.find('\n') + 1), vpn::app::DialAdvice(691));
  // Each of the common errors has a sentence of its own.
  const std::string general = vpn::app::DialAdvice(999999);
  for (long long code : std::initializer_list<long long>{
           691, 718, 720, 800, 806, 809, 812, 789, 868, 13801, 13806, 633, 623, 13868, 628,
           0x800B0109LL, 0x800B0101LL, 0x800B010FLL, 0x80092013LL})
    EXPECT_NE(vpn::app::DialAdvice(code), general) << code;
  // A certificate error reads the same whether it came signed or unsigned, and one of the
  // family without a sentence of its own still gets the certificate advice.
  EXPECT_EQ(vpn::app::DialAdvice(static_cast<std::int32_t>(0x800B0109u)),
            vpn::app::DialAdvice(0x800B0109LL));
  EXPECT_EQ(vpn::app::DialAdvice(0x800B0112LL), vpn::app::DialAdvice(0x800B010ALL));
  EXPECT_NE(vpn::app::DialAdvice(0x800B0112LL), general);
  EXPECT_TRUE(vpn::app::DialAdvice(0).empty());
}

}  // namespace
