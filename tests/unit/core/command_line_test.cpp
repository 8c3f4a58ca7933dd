#include "core/app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vpn::app::Command;
using vpn::app::CommandReply;
using vpn::app::CommandRequest;
using vpn::app::DecodeReply;
using vpn::app::DecodeRequest;
using vpn::app::ParseCommandLine;
using vpn::app::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(CommandLine, SplitsTheWayTheSystemDoes) {
  EXPECT_EQ(SplitCommandLine(""), Args{""});
  EXPECT_EQ(SplitCommandLine("vpnclient.exe"), Args{"vpnclient.exe"});
  // The program's name: quoted up to the next quote, blanks and backslashes kept.
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\vpnclient\\vpnclient.exe\"  /tray"),
            (Args{"C:\\Program Files\\vpnclient\\vpnclient.exe", "/tray"}));
  EXPECT_EQ(SplitCommandLine("C:\\a\\b.exe\t/status "), (Args{"C:\\a\\b.exe", "/status"}));
  // Quotes group, "" inside a group is a quote, backslashes count only before a quote.
  EXPECT_EQ(SplitCommandLine("p /connect \"my server\""), (Args{"p", "/connect", "my server"}));
  EXPECT_EQ(SplitCommandLine("p a\"b c\"d"), (Args{"p", "ab cd"}));
  EXPECT_EQ(SplitCommandLine("p \"a\"\"b\""), (Args{"p", "a\"b"}));
  EXPECT_EQ(SplitCommandLine("p a\\\\b \\\"x \\\\\"y z\""), (Args{"p", "a\\\\b", "\"x", "\\y z"}));
  EXPECT_EQ(SplitCommandLine("p \"\" x"), (Args{"p", "", "x"}));
  EXPECT_EQ(SplitCommandLine("p \"unclosed group"), (Args{"p", "unclosed group"}));
  // A GBK character whose second byte is a backslash ("\x95\x5C") stays whole: the quote
  // after it still closes the group.
  EXPECT_EQ(SplitCommandLine("p \"\x95\x5C\" x"), (Args{"p", "\x95\x5C", "x"}));
  EXPECT_EQ(SplitCommandLine("\"\x95\x5C\" x"), (Args{"\x95\x5C", "x"}));
}

TEST(CommandLine, ReadsEachCommandAndRefusesWhatIsNone) {
  struct Case {
    const char* line;
    Command command;
    const char* server;
  };
  for (const Case& c :
       {Case{"vpnclient.exe", Command::None, ""}, Case{"vpnclient.exe   ", Command::None, ""},
        Case{"vpnclient.exe /connect", Command::Connect, ""},
        Case{"vpnclient.exe /CONNECT vpn.example.net", Command::Connect, "vpn.example.net"},
        Case{"x -connect \" 10.0.0.1\"", Command::Connect, " 10.0.0.1"},
        Case{"x /Disconnect", Command::Disconnect, ""}, Case{"x -status", Command::Status, ""},
        Case{"x /quit", Command::Quit, ""},
        Case{"\"C:\\v p n\\vpnclient.exe\" /tray", Command::Tray, ""}}) {
    SCOPED_TRACE(c.line);
    const auto parsed = ParseCommandLine(c.line);
    EXPECT_TRUE(parsed.valid()) << parsed.problem;
    EXPECT_EQ(parsed.command, c.command);
    EXPECT_EQ(parsed.server, c.server);
  }
  for (const char* line :
       {"x /bogus", "x tray", "x /", "x -", "x //tray", "x /tray /connect", "x /status now",
        "x /connect a b", "x /connect \"\"", "x /connect \"  \"", "x /connect \"a\tb\"", "x /show",
        "x /traytray", "x /disconnect /disconnect"}) {
    SCOPED_TRACE(line);
    const auto parsed = ParseCommandLine(line);
    EXPECT_FALSE(parsed.valid());
    EXPECT_EQ(parsed.command, Command::None);
    EXPECT_TRUE(parsed.server.empty());
    // The usage box says what was wrong, above the commands.
    const std::string usage = vpn::app::UsageText(parsed.problem);
    EXPECT_EQ(usage.rfind(parsed.problem, 0), 0u);
    EXPECT_NE(usage.find("/disconnect"), std::string::npos);
  }
  EXPECT_FALSE(ParseCommandLine("x /connect " + std::string(129, 'a')).valid());
  EXPECT_TRUE(ParseCommandLine("x /connect " + std::string(128, 'a')).valid());
  EXPECT_EQ(ParseCommandLine("x /nonsense").problem, "未知的参数: /nonsense");
}

TEST(CommandLine, RequestsAndRepliesSurviveTheWayAndNothingElseIsTaken) {
  for (const CommandRequest& r :
       {CommandRequest{Command::Connect, ""}, CommandRequest{Command::Connect, "vpn.example.net"},
        CommandRequest{Command::Connect, "服务器 一"}, CommandRequest{Command::Disconnect, ""},
        CommandRequest{Command::Status, ""}, CommandRequest{Command::Quit, ""},
        CommandRequest{Command::Tray, ""}, CommandRequest{Command::Show, ""}}) {
    const auto back = DecodeRequest(vpn::app::EncodeRequest(r));
    ASSERT_TRUE(back) << vpn::app::CommandOption(r.command);
    EXPECT_EQ(back->command, r.command);
    EXPECT_EQ(back->server, r.server);
  }
  const std::string good = vpn::app::EncodeRequest({Command::Connect, "a"});
  for (const std::string& bad :
       {std::string(), std::string("vpnclient-request 1\n"),
        std::string("vpnclient-request 2\n/status\n"), std::string("vpnclient-request 1\n/status"),
        std::string("vpnclient-request 1\n/STATUS\n"),
        std::string("vpnclient-request 1\n-status\n"),
        std::string("vpnclient-request 1\n/nothing\n"), std::string("vpnclient-request 1\n\n"),
        std::string("vpnclient-request 1\n/status\nx"),
        std::string("vpnclient-request 1\n/connect\n  "),
        std::string("vpnclient-request 1\n/connect\na\nb"),
        std::string("vpnclient-request 1\n/connect\na\0b", 27),
        "vpnclient-request 1\n/connect\n" + std::string(129, 'a'), good + std::string(600, 'a'),
        good.substr(1)}) {
    EXPECT_FALSE(DecodeRequest(bad)) << bad;
  }

  for (const CommandReply& r :
       {CommandReply{0, ""}, CommandReply{1, "无法连接，错误号为:691\r\n建议"},
        CommandReply{0, "State=Idle\r\n"}}) {
    const auto back = DecodeReply(vpn::app::EncodeReply(r));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->code, r.code);
    EXPECT_EQ(back->text, r.text);
  }
  // Any failure code travels as 1.
  EXPECT_EQ(DecodeReply(vpn::app::EncodeReply({3, "x"}))->code, 1);
  for (const std::string& bad :
       {std::string(), std::string("vpnclient-reply 1\n"), std::string("vpnclient-reply 1\n2\nx"),
        std::string("vpnclient-reply 1\n0x"), std::string("vpnclient-reply 1\n0"),
        std::string("vpnclient-request 1\n0\n"),
        "vpnclient-reply 1\n0\n" + std::string(vpn::app::kMaxReplyBytes, 'a')}) {
    EXPECT_FALSE(DecodeReply(bad)) << bad.substr(0, 40);
  }
}

TEST(CommandLine, TheStatusReportNamesTheLineOnlyWhileConnected) {
  vpn::app::StatusFacts facts;
  facts.state = "Connected";
  facts.status_text = "连接成功";
  facts.connected = true;
  facts.server = "vpn.example.net";
  facts.tunnel = "L2TP";
  facts.seconds = 3725;
  facts.sent = 123456;
  facts.received = 7654321;
  EXPECT_EQ(vpn::app::StatusReport(facts),
            "State=Connected\r\nStatus=连接成功\r\nServer=vpn.example.net\r\nTunnel=L2TP\r\n"
            "Duration=01:02:05\r\nBytesSent=123456\r\nBytesReceived=7654321\r\n");
  facts.connected = false;
  facts.state = "Failed";
  facts.status_text = "无法连接，错误号为:691\r\n用户名或密码不对";
  EXPECT_EQ(vpn::app::StatusReport(facts),
            "State=Failed\r\nStatus=无法连接，错误号为:691  用户名或密码不对\r\n");
}

}  // namespace
