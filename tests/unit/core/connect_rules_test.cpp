#include "core/app/connect_rules.h"

#include <gtest/gtest.h>

namespace {

using vpn::app::FirstInputFault;
using vpn::app::InputFault;

TEST(ConnectInput, PlaceholdersAndBlanksAreRefusedInWindowOrder) {
  EXPECT_EQ(FirstInputFault("选择服务器列表", "u", "p"), InputFault::kServer);
  // Only the exact list placeholder is refused; with a blank it passes as a server name.
  EXPECT_EQ(FirstInputFault("选择服务器列表 ", "u", "p"), InputFault::kNone);
  EXPECT_EQ(FirstInputFault(" 请选择节点线路\t", "u", "p"), InputFault::kServer);
  EXPECT_EQ(FirstInputFault(" \t ", "u", "p"), InputFault::kServer);
  EXPECT_EQ(FirstInputFault("", "", ""), InputFault::kServer);
  EXPECT_EQ(FirstInputFault("1.2.3.4", "   ", ""), InputFault::kUserName);
  EXPECT_EQ(FirstInputFault("1.2.3.4", " u ", "\r\n"), InputFault::kPassword);
  EXPECT_EQ(FirstInputFault(" vpn.example ", " u ", " p "), InputFault::kNone);
}

TEST(ConnectInput, DialPathFollowsTheSystemName) {
  EXPECT_TRUE(vpn::app::DialsWithProgress("Windows 2000"));
  EXPECT_TRUE(vpn::app::DialsWithProgress("Windows XP"));
  EXPECT_FALSE(vpn::app::DialsWithProgress("Windows vista"));
  EXPECT_FALSE(vpn::app::DialsWithProgress("Windows xp"));
  EXPECT_FALSE(vpn::app::DialsWithProgress(""));
}

TEST(ConnectInput, FailureStatusCarriesTheNumberWithoutBlank) {
#if defined(__GNUC__) && !defined(__clang__)
  // GBK bytes of "无法连接，错误号为:" followed by 691.
  EXPECT_EQ(vpn::app::DialFailureStatus(691),
            "\xce\xde\xb7\xa8\xc1\xac\xbd\xd3\xa3\xac\xb4\xed\xce\xf3\xba\xc5\xce\xaa:691");
#endif
  EXPECT_EQ(
      vpn::app::DialFailureStatus(4294967295LL).substr(vpn::app::DialFailureStatus(0).size() - 1),
      "4294967295");
}

TEST(Settings, OnlyExactYesRemembersThePassword) {
  EXPECT_TRUE(vpn::app::RemembersPassword("Yes"));
  EXPECT_FALSE(vpn::app::RemembersPassword("yes"));
  EXPECT_FALSE(vpn::app::RemembersPassword("Yes "));
  EXPECT_FALSE(vpn::app::RemembersPassword(""));
  EXPECT_STREQ(vpn::app::CheckValue(true), "Yes");
  EXPECT_STREQ(vpn::app::CheckValue(false), "No");
}

}  // namespace
