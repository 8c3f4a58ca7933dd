// The speed test's rules: server texts, the node table, the service's list, the reply lines
// and the lines of a whole line's test.
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

TEST(NodeList, AServicesListKeepsItsLinesAndServersInOrder) {
  const NodeListReading r = ReadNodeList(
      "; the service's servers\r\n"
      "[电信线路]\r\n"
      "  vpn1.example = 10.1.2.3  \r\n"
      "VPN2.example=\"host-2.example\"\r\n"
      "vpn1.example=10.9.9.9\r\n"  // the first entry of a server counts
      "\r\n"
      "# the second line\n"
      "[ 联通线路 ]\n"
      "u1=10.2.0.1\n"
      "[电信线路]\n"  // named again: its servers go on
      "vpn3.example=10.1.2.5\n");
  ASSERT_EQ(r.fault, NodeListFault::kNone) << r.line;
  const auto& lines = r.table.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (NodeLine{"电信线路",
                                {{"vpn1.example", "10.1.2.3"},
                                 {"VPN2.example", "host-2.example"},
                                 {"vpn3.example", "10.1.2.5"}}}));
  EXPECT_EQ(lines[1], (NodeLine{"联通线路", {{"u1", "10.2.0.1"}}}));
  EXPECT_EQ(r.table.FindLine(" 联通线路"), 1);
  EXPECT_EQ(r.table.FindLine("移动线路"), -1);
  EXPECT_EQ(r.table.LineOf(" vpn2.EXAMPLE "), 0);
  EXPECT_EQ(r.table.LineOf("U1"), 1);
  EXPECT_EQ(r.table.LineOf(""), -1);
  // The speed test's look-up finds the host of a line's server.
  EXPECT_EQ(PingHost(r.table, "电信线路", "vpn2.example"), "host-2.example");
  // The lenient reading of the table beside the program sees the same list.
  EXPECT_EQ(NodeTable::Parse("[a]\nx=1\n[b]\ny=2\nbroken\n[a]\nz=3\n").Lines(),
            (std::vector<NodeLine>{{"a", {{"x", "1"}, {"z", "3"}}}, {"b", {{"y", "2"}}}}));
}

TEST(NodeList, AnyFaultRefusesTheWholeListAndNamesItsLine) {
  const std::string good = "[a]\nx=10.0.0.1\n";
  struct Case {
    std::string text;
    NodeListFault fault;
    int line;
  };
  const std::string tooMany = [] {
    std::string t = "[a]\n";
    for (size_t i = 0; i <= kMaxServersPerLine; ++i) t += "s" + std::to_string(i) + "=h\n";
    return t;
  }();
  const Case cases[] = {
      {std::string(kMaxNodeListBytes + 1, ';'), NodeListFault::kTooLarge, 0},
      {good + std::string("y=1\x00"
                          "2\n",
                          6),
       NodeListFault::kNotText, 3},
      {good + "y=1\r2\n", NodeListFault::kNotText, 3},
      {good + "y=\x81\n", NodeListFault::kNotText, 3},     // half a double-byte character
      {"x=10.0.0.1\n" + good, NodeListFault::kSyntax, 1},  // before any line
      {good + "just text\n", NodeListFault::kSyntax, 3},
      {good + "[b\n", NodeListFault::kSyntax, 3},
      {good + "[b] c\n", NodeListFault::kSyntax, 3},
      {good + "[ ]\n", NodeListFault::kSyntax, 3},
      {good + " =10.0.0.2\n", NodeListFault::kSyntax, 3},
      {good + "y=\n", NodeListFault::kBadServer, 3},
      {good + "y=10.0.0.1 #x\n", NodeListFault::kBadServer, 3},
      {good + "y=" + std::string(kMaxHost + 1, 'h') + "\n", NodeListFault::kBadServer, 3},
      {good + std::string(kMaxServerName + 1, 'n') + "=h\n", NodeListFault::kBadServer, 3},
      {good + "[" + std::string(kMaxLineName + 1, 'l') + "]\n", NodeListFault::kBadServer, 3},
      {tooMany, NodeListFault::kTooMany, int(kMaxServersPerLine) + 2},
      {"; nothing\n[a]\n", NodeListFault::kNoServers, 0},
      {"", NodeListFault::kNoServers, 0},
  };
  for (const Case& c : cases) {
    const NodeListReading r = ReadNodeList(c.text);
    EXPECT_EQ(r.fault, c.fault) << c.text.substr(0, 80);
    EXPECT_EQ(r.line, c.line) << c.text.substr(0, 80);
    EXPECT_TRUE(r.table.Empty()) << c.text.substr(0, 80);
  }
  // The largest list there may be is read.
  std::string largest = good;
  largest += std::string(kMaxNodeListBytes - largest.size(), ';');
  EXPECT_EQ(ReadNodeList(largest).fault, NodeListFault::kNone);
  // The status text names the line and what is used instead.
  const NodeListReading bad = ReadNodeList(good + "junk\n");
  EXPECT_EQ(NodeListFaultText(bad, true), "服务器列表第3行格式有误，使用上次保存的列表");
  EXPECT_EQ(NodeListFaultText(bad, false), "服务器列表第3行格式有误，未使用");
  EXPECT_EQ(NodeListFetchProblem(true, false),
            "服务器列表地址是https，本程序只能用http获取，未使用");
}

TEST(SpeedTestRules, ALinesServersAreListedFastestFirstWithTheSilentOnesLast) {
  std::vector<ServerTiming> t = {
      TimingOf("slow", true, 9, 9, 9 * 40.0, -1, 0),
      TimingOf("silent", true, 9, 0, 0, -1, 1723),
      TimingOf("lossy", true, 9, 7, 7 * 12.4, -1, 0),
      TimingOf("unknown", false, 0, 0, 0, -1, 1723),
      TimingOf("filtered", true, 9, 0, 0, 25.0, 1723),   // the connect stood in
      TimingOf("near", true, 9, 9, 9 * 0.4, 0.2, 1723),  // echoes count before a connect
      TimingOf("also-silent", true, 9, 0, 0, -1, 0),
  };
  SortFastestFirst(t);
  std::vector<std::string> lines;
  for (const ServerTiming& s : t) lines.push_back(TimingLine(s));
  EXPECT_EQ(lines,
            (std::vector<std::string>{"near  <1 ms  ICMP", "lossy  12 ms  ICMP 7/9",
                                      "filtered  25 ms  TCP 1723", "slow  40 ms  ICMP",
                                      "silent  超时", "unknown  找不到主机", "also-silent  超时"}));
  EXPECT_EQ(StandInPort("pptp"), 1723);
  EXPECT_EQ(StandInPort("SSTP"), 443);
  for (const char* none : {"IKEv2", "L2TP", "L2TP/IPsec", "Auto", ""})
    EXPECT_EQ(StandInPort(none), 0) << none;
}
