#include "core/tray/tray_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TrayText, CutsAtTheLimitBetweenCharacters) {
  std::string ascii(300, 'a');
  EXPECT_EQ(vpn::GbkPrefix(ascii, 127).size(), 127u);
  EXPECT_EQ(vpn::GbkPrefix("short", 127), "short");
  // "\xC1\xAC" is one double-byte character: the limit falls inside the second one.
  std::string chinese = "ab\xC1\xAC\xBD\xD3";
  EXPECT_EQ(vpn::GbkPrefix(chinese, 5), "ab\xC1\xAC");
  EXPECT_EQ(vpn::GbkPrefix(chinese, 4), "ab\xC1\xAC");
  EXPECT_EQ(vpn::GbkPrefix(chinese, 3), "ab");
  // A lead byte at the very end of the text is a byte of its own.
  EXPECT_EQ(vpn::GbkPrefix("abc\xC1", 3), "abc");
  EXPECT_EQ(vpn::GbkPrefix("a\xC1", 1), "a");
}

TEST(TrayText, FieldIsTerminatedAndZeroFilled) {
  char field[8];
  std::memset(field, 'x', sizeof field);
  vpn::CopyToField(std::string(20, 'q'), field, sizeof field);
  EXPECT_EQ(std::string(field), "qqqqqqq");
  vpn::CopyToField("ab", field, sizeof field);
  EXPECT_EQ(std::string(field, 8), std::string("ab\0\0\0\0\0\0", 8));
  vpn::CopyToField("\xC1\xAC\xC1\xAC\xC1\xAC\xC1\xAC", field, sizeof field);
  EXPECT_EQ(std::string(field), "\xC1\xAC\xC1\xAC\xC1\xAC");
}

}  // namespace
