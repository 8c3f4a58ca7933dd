#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/ras/status_text.h"

namespace {

using vpn::ras::StatusTable;
using vpn::ras::StatusText;

std::uint32_t NoText(std::uint32_t, char*, std::uint32_t) {
  return 87;
}

TEST(StatusText, TablesByState) {
  EXPECT_EQ(StatusText(StatusTable::English, 0, 0, NoText), "Opening port");
  EXPECT_EQ(StatusText(StatusTable::LowerCase, 0, 0, NoText), "opening port");
  EXPECT_EQ(StatusText(StatusTable::Chinese, 0, 0, NoText), "打开端口");
  EXPECT_EQ(StatusText(StatusTable::Chinese, 10, 0, NoText), "状态: 连接中...");
  EXPECT_EQ(StatusText(StatusTable::Chinese, 13, 0, NoText), "状态: reauthenticate");
  EXPECT_EQ(StatusText(StatusTable::English, 13, 0, NoText), "Authentication: reauthenticate");
  EXPECT_EQ(StatusText(StatusTable::Chinese, 16, 0, NoText), "等待modem重设");
  EXPECT_EQ(StatusText(StatusTable::English, 4097, 0, NoText), "Retry Authentication");
  EXPECT_EQ(StatusText(StatusTable::LowerCase, 4097, 0, NoText), "retry authentication");
  EXPECT_EQ(StatusText(StatusTable::Chinese, 4096, 0, NoText), "交互中...");
  EXPECT_EQ(StatusText(StatusTable::Chinese, 8192, 0, NoText), "连接完成");
  EXPECT_EQ(StatusText(StatusTable::English, 8193, 0, NoText), "Disconnected");
  EXPECT_EQ(StatusText(StatusTable::Chinese, 8193, 0, NoText), "断开连接");
}

TEST(StatusText, EveryListedStateHasATextInEveryTable) {
  for (std::int32_t s = 0; s <= 21; ++s) {
    for (auto t : {StatusTable::English, StatusTable::LowerCase, StatusTable::Chinese}) {
      EXPECT_FALSE(StatusText(t, s, 0, NoText).empty()) << s;
    }
    // The lower-case table is the English one in lower case.
    std::string english = StatusText(StatusTable::English, s, 0, NoText);
    for (auto& c : english) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(StatusText(StatusTable::LowerCase, s, 0, NoText), english);
  }
}

TEST(StatusText, UnlistedStatesGiveEmptyText) {
  for (std::int32_t s : {22, 23, 4100, -1, 8194}) {
    EXPECT_EQ(StatusText(StatusTable::Chinese, s, 0, NoText), "") << s;
  }
}

TEST(StatusText, ErrorTextWinsInEveryTable) {
  std::uint32_t asked = 0, asked_size = 0;
  auto platform = [&](std::uint32_t code, char* buf, std::uint32_t size) -> std::uint32_t {
    asked = code;
    asked_size = size;
    std::strcpy(buf, "Access was denied.");
    return 0;
  };
  for (auto t : {StatusTable::English, StatusTable::LowerCase, StatusTable::Chinese}) {
    EXPECT_EQ(StatusText(t, 8192, 691, platform), "Access was denied.");
  }
  EXPECT_EQ(asked, 691u);
  EXPECT_EQ(asked_size, 100u);
  // A negative error is passed on as the same 32 bits.
  StatusText(StatusTable::English, 0, -5, platform);
  EXPECT_EQ(asked, 0xFFFFFFFBu);
}

TEST(StatusText, NoPlatformTextGivesTheFixedText) {
  EXPECT_EQ(StatusText(StatusTable::English, 5, 1234, NoText), "未知错误");
}

TEST(StatusText, FullBufferWithoutNulIsCutAtItsEnd) {
  auto platform = [](std::uint32_t, char* buf, std::uint32_t size) -> std::uint32_t {
    std::memset(buf, 'x', size);
    return 0;
  };
  EXPECT_EQ(StatusText(StatusTable::English, 0, 600, platform), std::string(100, 'x'));
}

}  // namespace
