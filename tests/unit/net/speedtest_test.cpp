// The speed test's rules: server texts, the node table and the reply lines.
#include "core/speedtest/SpeedTest.h"

#include <gtest/gtest.h>

using namespace vpn::speedtest;

TEST(SpeedTestRules, PlaceholdersAndBlankTextsMeanNoServer) {
  EXPECT_TRUE(NoServerChosen(""));
  EXPECT_TRUE(NoServerChosen("   \t"));
  EXPECT_TRUE(NoServerChosen("  选择服务器列表  "));
  EXPECT_TRUE(NoServerChosen("请选择节点线路"));
  EXPECT_FALSE(NoServerChosen("选择服务器列表x"));
  EXPECT_FALSE(NoServerChosen(" 10.0.0.1 "));
}

TEST(SpeedTestRules, ReplyLinesKeepTheServerTextAsTyped) {
  EXPECT_EQ(ReplyLine("10.0.0.1", 31), "10.0.0.1:     time=31 ms");
  EXPECT_EQ(ReplyLine("10.0.0.1", 0), "10.0.0.1:     time<10 ms");
  EXPECT_EQ(ReplyLine(" vpn.example ", 1000), " vpn.example :     time=1000 ms");
}

TEST(SpeedTestRules, NodeTableLooksUpLineAndServer) {
  NodeTable t = NodeTable::Parse(
      "; nodes\r\n[选择线路]\r\nvpn1.example = "
      "10.1.2.3\r\nVPN2.example=\"10.1.2.4\"\r\nvpn1.example=ignored\r\n"
      "[other]\nvpn1.example=10.9.9.9\n=novalue\nbroken line\n[unclosed\nlast=1");
  EXPECT_EQ(t.ReadString("选择线路", "vpn1.example", ""), "10.1.2.3");
  EXPECT_EQ(t.ReadString("选择线路", " vpn2.EXAMPLE ", ""), "10.1.2.4");
  EXPECT_EQ(t.ReadString("OTHER", "vpn1.example", ""), "10.9.9.9");
  EXPECT_EQ(t.ReadString("other", "last", "-"), "1");
  EXPECT_EQ(t.ReadString("选择线路", "vpn3.example", "none"), "none");
  // Without an entry the server text itself is pinged, without its blanks.
  EXPECT_EQ(PingHost(t, "选择线路", "vpn1.example"), "10.1.2.3");
  EXPECT_EQ(PingHost(t, "选择线路", "  127.0.0.1 "), "127.0.0.1");
  EXPECT_EQ(PingHost(NodeTable::Parse(""), "x", "host"), "host");
}
