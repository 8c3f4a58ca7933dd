// service.ini as a service writes it (with the habits of the editors it uses) and as it
// goes wrong: a file with any fault changes nothing and says where it went wrong.
#include "core/app/service_config.h"

#include <gtest/gtest.h>

#include <string>

using vpn::app::ReadServiceConfig;
using vpn::app::ServiceConfig;
using vpn::app::ServiceConfigFault;

namespace {

// The file's bytes: UTF-8 whatever the code page the test's own texts are compiled to.
std::string Utf8(std::u8string_view text) {
  return std::string(text.begin(), text.end());
}

ServiceConfig Defaults() {
  ServiceConfig d;
  d.account_query = "http://account.test:9100/webadmin/useradmin/vpnclient.php";
  d.register_page = "http://pages.test:8000/sysadmin/";
  d.password_page = "http://pages.test:8000/sysadmin/";
  d.recharge_page = "http://pay.test:8000/sysadmin/";
  d.banner = "http://www.test/ipclient/top.htm";
  return d;
}

}  // namespace

TEST(ServiceConfig, AFileWrittenByAnEditorReplacesTheDefaultsItNamesAndKeepsTheRest) {
  // A byte-order mark and CR LF line ends (Notepad), Chinese comments, a section line,
  // keys in any case with blanks around, a quoted key that keeps its blanks, a key of a
  // newer program, an empty value, and a last line without a line end.
  const std::string text = Utf8(
      u8"\uFEFF; 服务配置\r\n"
      "[Service]\r\n"
      "  accountquery = https://acct.example.org/q.php \r\n"
      "\r\n"
      "# 横幅\r\n"
      "BANNER=http://banner.example.org:8080/top.htm?x=1#a\r\n"
      "PreSharedKey=\"  key with blanks; and # too \"\r\n"
      "TunnelType=l2tp/ipsec\r\n"
      "RechargePage=\r\n"
      "ColourOfTheBanner=blue\r\n"
      "[Later]\r\n"
      "NodeList=http://nodes.example.org/list.ini");
  const auto r = ReadServiceConfig(text, Defaults());
  ASSERT_EQ(r.fault, ServiceConfigFault::kNone) << "line " << r.line;
  ServiceConfig want = Defaults();
  want.account_query = "https://acct.example.org/q.php";
  want.banner = "http://banner.example.org:8080/top.htm?x=1#a";
  want.pre_shared_key = "  key with blanks; and # too ";
  want.tunnel_type = "L2TP/IPsec";
  want.node_list = "http://nodes.example.org/list.ini";
  EXPECT_EQ(r.config, want);
  EXPECT_EQ(vpn::app::ServiceConfigStatus(r), "");

  // An empty file, or one of comments only (the installed sample), changes nothing.
  EXPECT_EQ(ReadServiceConfig("", Defaults()).config, Defaults());
  const auto sample = ReadServiceConfig("; AccountQuery=http://x/\n[Service]\n\n", Defaults());
  EXPECT_EQ(sample.fault, ServiceConfigFault::kNone);
  EXPECT_EQ(sample.config, Defaults());
}

TEST(ServiceConfig, AnyFaultKeepsEveryDefaultAndNamesTheLine) {
  struct Case {
    std::string text;
    ServiceConfigFault fault;
    int line;
  };
  const std::string good = "AccountQuery=http://evil.example.org/q.php\n";
  const Case cases[] = {
      {good + "Banner=ftp://www.example.org/\n", ServiceConfigFault::kBadAddress, 2},
      {good + "Banner=javascript:alert(1)\n", ServiceConfigFault::kBadAddress, 2},
      {good + "Banner=www.example.org/top.htm\n", ServiceConfigFault::kBadAddress, 2},
      {good + "Banner=http:///top.htm\n", ServiceConfigFault::kBadAddress, 2},
      {good + "Banner=http://host:0/\n", ServiceConfigFault::kBadAddress, 2},
      {good + "Banner=http://host:65536/\n", ServiceConfigFault::kBadAddress, 2},
      {good + "Banner=http://host:80x/\n", ServiceConfigFault::kBadAddress, 2},
      {good + "Banner=http://user@host/\n", ServiceConfigFault::kBadAddress, 2},
      {good + "Banner=http://host/a b\n", ServiceConfigFault::kBadAddress, 2},
      {good + Utf8(u8"Banner=http://主机/\n"), ServiceConfigFault::kBadAddress, 2},
      {good + "\n\nNodeList=http://host/\x01\n", ServiceConfigFault::kBadAddress, 4},
      {good + "TunnelType=WireGuard\n", ServiceConfigFault::kBadTunnelType, 2},
      {good + "TunnelType=IKEv2 \"\n", ServiceConfigFault::kBadTunnelType, 2},
      {good + Utf8(u8"PreSharedKey=密钥\n"), ServiceConfigFault::kBadPreSharedKey, 2},
      {good + "PreSharedKey=" + std::string(256, 'k') + "\n", ServiceConfigFault::kBadPreSharedKey,
       2},
      {good + "ACCOUNTQUERY=http://other.example.org/\n", ServiceConfigFault::kRepeated, 2},
      {good + "AccountQuery=\n", ServiceConfigFault::kRepeated, 2},
      {good + "Banner http://www.example.org/\n", ServiceConfigFault::kSyntax, 2},
      {good + "=http://www.example.org/\n", ServiceConfigFault::kSyntax, 2},
      {good + "[Service\n", ServiceConfigFault::kSyntax, 2},
      // Lines end at CR LF, LF or a lone CR alike.
      {"; a\r\n; b\r; c\nbroken\n", ServiceConfigFault::kSyntax, 4},
      // GBK saved by mistake (the comment "服务" in GBK), a lone continuation byte, an
      // overlong '/', a surrogate, a sequence cut off at the end.
      {good + "; \xB7\xFE\xCE\xF1\n", ServiceConfigFault::kNotUtf8, 0},
      {good + "; \x80\n", ServiceConfigFault::kNotUtf8, 0},
      {good + "; \xC0\xAF\n", ServiceConfigFault::kNotUtf8, 0},
      {good + "; \xED\xA0\x80\n", ServiceConfigFault::kNotUtf8, 0},
      {good + "; \xE6\x9C", ServiceConfigFault::kNotUtf8, 0},
      {good + std::string(vpn::app::kMaxServiceConfigBytes, ';'), ServiceConfigFault::kTooLarge, 0},
  };
  for (const Case& c : cases) {
    const auto r = ReadServiceConfig(c.text, Defaults());
    EXPECT_EQ(r.fault, c.fault) << c.text.substr(0, 80);
    EXPECT_EQ(r.line, c.line) << c.text.substr(0, 80);
    EXPECT_EQ(r.config, Defaults()) << c.text.substr(0, 80);
  }
  // The longest key the system takes is accepted, and so is every spelling of the types.
  EXPECT_EQ(ReadServiceConfig("PreSharedKey=" + std::string(255, '~'), Defaults()).fault,
            ServiceConfigFault::kNone);
  for (const char* type : {"auto", "IKEV2", "sstp", "L2tp", "pptp"})
    EXPECT_EQ(ReadServiceConfig(std::string("TunnelType=") + type, Defaults()).fault,
              ServiceConfigFault::kNone)
        << type;
}

TEST(ServiceConfig, TheStatusTextSaysWhereTheFileWentWrongAndThatTheDefaultsAreUsed) {
  EXPECT_EQ(vpn::app::ServiceConfigStatus(ReadServiceConfig("\n\nBanner=ftp://x/\n", Defaults())),
            "service.ini 第3行地址无效，已使用默认设置");
  EXPECT_EQ(vpn::app::ServiceConfigStatus({Defaults(), ServiceConfigFault::kUnreadable, 0}),
            "无法读取 service.ini，已使用默认设置");
}
