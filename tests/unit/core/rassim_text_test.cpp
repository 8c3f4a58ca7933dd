#include <gtest/gtest.h>

#include "core/rassim/sim_text.h"

namespace {

using namespace vpn::rassim;

TEST(RassimText, IniSectionsKeysAndComments) {
  const Ini ini = ParseIni(
      "top=1\r\n"
      "; comment\r\n"
      "[service]\r\n"
      "  state_delay_ms = 25 \r\n"
      "# another\n"
      "servers=a, b\n"
      "[account 张三]\n"
      "password= p w \n"
      "broken line\n"
      "[service]\n"
      "state_delay_ms=30\n"
      "[unclosed\n"
      "=novalue\n");
  EXPECT_EQ(IniString(ini, "", "top"), "1");
  EXPECT_EQ(IniNumber(ini, "service", "state_delay_ms", 0), 30);
  EXPECT_EQ(IniString(ini, "service", "servers"), "a, b");
  EXPECT_EQ(IniString(ini, "account 张三", "password"), "p w");
  EXPECT_EQ(IniString(ini, "account 张三", "missing", "fb"), "fb");
  EXPECT_EQ(IniString(ini, "nosuch", "k", "fb"), "fb");
  EXPECT_EQ(ini.count("unclosed"), 0u);
}

TEST(RassimText, Numbers) {
  const Ini ini = ParseIni("[s]\na=0x1F\nb=-12\nc=12x\nd=\ne=99999999999999999999\n");
  EXPECT_EQ(IniNumber(ini, "s", "a", 0), 31);
  EXPECT_EQ(IniNumber(ini, "s", "b", 0), -12);
  EXPECT_EQ(IniNumber(ini, "s", "c", 7), 7);
  EXPECT_EQ(IniNumber(ini, "s", "d", 8), 8);
  EXPECT_EQ(IniNumber(ini, "s", "e", 9), 9);
}

TEST(RassimText, IniRoundTrip) {
  Ini ini;
  ini["5650"]["record"] = "00FF";
  ini["5650"]["user"] = "";
  ini["other"]["k"] = "v";
  EXPECT_EQ(ParseIni(FormatIni(ini)), ini);
}

TEST(RassimText, HexAndTokens) {
  const std::string bytes("\x00\x7F\xFFz", 4);
  EXPECT_EQ(HexEncode(bytes), "007FFF7A");
  EXPECT_EQ(HexDecode("007fFF7A"), bytes);
  EXPECT_FALSE(HexDecode("0").has_value());
  EXPECT_FALSE(HexDecode("0G").has_value());
  EXPECT_EQ(EscapeToken("VPN Connection"), "VPN%20Connection");
  EXPECT_EQ(EscapeToken("a=b%"), "a%3Db%25");
  EXPECT_EQ(EscapeToken(""), "%");
  for (std::string t :
       {std::string("VPN Connection"), std::string(""), std::string("微型 %=\n"), bytes}) {
    EXPECT_EQ(UnescapeToken(EscapeToken(t)), t);
  }
  EXPECT_FALSE(UnescapeToken("ab%4").has_value());
  EXPECT_FALSE(UnescapeToken("ab%").has_value() && UnescapeToken("ab%") != "");
  EXPECT_FALSE(UnescapeToken("%zz").has_value());
}

}  // namespace
