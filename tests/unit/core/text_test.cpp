#include "core/text/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Trim, RemovesControlCharactersAndBlanksButKeepsGbk) {
  EXPECT_EQ(vpn::Trim(" \t\r\n\x01 a b \x1f"), "a b");
  EXPECT_EQ(vpn::Trim("   "), "");
  EXPECT_EQ(vpn::Trim(""), "");
  // "节点" in GBK: every byte is above 0x80 and must survive trimming.
  const std::string gbk = "节点";
  ASSERT_EQ(gbk.size(), 4u);
  EXPECT_EQ(vpn::Trim(" " + gbk + "\x7f "), gbk + "\x7f");
}

TEST(Literals, AreCompiledToGbk) {
#if defined(__GNUC__) && !defined(__clang__)
  const std::string s = "断开";
  EXPECT_EQ(s, "\xb6\xcf\xbf\xaa");
#endif
}

TEST(AsciiCase, LeavesDoubleByteCharactersAlone) {
  const std::string gbk = "\xb6\xcf";
  EXPECT_EQ(vpn::AsciiLower("AbC" + gbk), "abc" + gbk);
  EXPECT_EQ(vpn::AsciiUpper("aBc" + gbk), "ABC" + gbk);
  EXPECT_TRUE(vpn::SameTextAscii("LocalHost", "LOCALHOST"));
  EXPECT_FALSE(vpn::SameTextAscii("a", "ab"));
}

}  // namespace
