#include "core/tray/tray_text.h"

#include <gtest/gtest.h>

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

}  // namespace
