// The account query's own rules, against the same test server as the client tests.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "net/NetAccountQuery.h"

namespace {

void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value ? value : "");
#else
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

std::string Url(const std::string& path) {
  const char* base = std::getenv("VPN_TEST_HTTP_URL");
  if (!base) ADD_FAILURE() << "VPN_TEST_HTTP_URL is not set: run through http_server.py";
  return std::string(base ? base : "http://127.0.0.1:9") + path;
}

TEST(AccountQuery, EndpointAndLimitsComeFromTheServiceUnlessATestReplacesThem) {
  const std::string configured = "http://account.test:9100/webadmin/useradmin/vpnclient.php";
  SetEnv("VPN_ACCOUNT_URL", nullptr);
  EXPECT_EQ(vpn::AccountEndpoint(configured), configured);
  SetEnv("VPN_ACCOUNT_URL", "http://127.0.0.1:1234/x.php");
  EXPECT_EQ(vpn::AccountEndpoint(configured), "http://127.0.0.1:1234/x.php");
  SetEnv("VPN_ACCOUNT_URL", nullptr);

  SetEnv("VPN_ACCOUNT_READ_TIMEOUT_MS", nullptr);
  SetEnv("VPN_ACCOUNT_CONNECT_TIMEOUT_MS", nullptr);
  EXPECT_EQ(vpn::AccountQueryLimits().ReadTimeoutMs, 30000);
  EXPECT_EQ(vpn::AccountQueryLimits().ConnectTimeoutMs, 15000);
  EXPECT_EQ(vpn::AccountQueryLimits().TotalTimeoutMs, 35000);
  EXPECT_EQ(vpn::AccountQueryLimits().MaxBodyBytes, 65536);
  SetEnv("VPN_ACCOUNT_READ_TIMEOUT_MS", "250");
  SetEnv("VPN_ACCOUNT_CONNECT_TIMEOUT_MS", "junk");
  EXPECT_EQ(vpn::AccountQueryLimits().ReadTimeoutMs, 250);
  EXPECT_EQ(vpn::AccountQueryLimits().ConnectTimeoutMs, 15000);
  SetEnv("VPN_ACCOUNT_READ_TIMEOUT_MS", nullptr);
  SetEnv("VPN_ACCOUNT_CONNECT_TIMEOUT_MS", nullptr);
}

TEST(AccountQuery, SendsTrimmedFieldsAndHandsBackTheReplyAsItCame) {
  TNetHTTP http;
  std::string reply = "untouched";
  EXPECT_EQ(vpn::RunAccountQuery(http, Url("/echo"), "  ", "pw", {}, reply), vpn::aqNoUserName);
  EXPECT_EQ(vpn::RunAccountQuery(http, Url("/echo"), "u", " \t ", {}, reply), vpn::aqNoPassword);
  EXPECT_EQ(reply, "untouched");
  EXPECT_EQ(http.CookieManager(), nullptr);  // nothing was sent

  ASSERT_EQ(vpn::RunAccountQuery(http, Url("/account-echo/vpnclient.php"), " john doe\t", " p=w ",
                                 {}, reply),
            vpn::aqReply);
  EXPECT_NE(reply.find("\n\nUserID=john+doe&Upassword=p%3Dw&"), std::string::npos) << reply;
  EXPECT_NE(reply.find("POST /account-echo/vpnclient.php HTTP/1.0\n"), std::string::npos);

  // The service's reply: GBK bytes and line breaks kept exactly.
  ASSERT_EQ(vpn::RunAccountQuery(http, Url("/webadmin/useradmin/vpnclient.php"), "demo", "demo", {},
                                 reply),
            vpn::aqReply);
#if defined(__GNUC__) && !defined(__clang__)
  EXPECT_EQ(reply, "用户名：demo\r\n到期时间：2027-01-01\r\n剩余流量：10GB");
#endif
  ASSERT_EQ(vpn::RunAccountQuery(http, Url("/empty"), "demo", "demo", {}, reply), vpn::aqReply);
  EXPECT_EQ(reply, "");
}

TEST(AccountQuery, EveryFailureIsOneResult) {
  TNetHTTP http;
  std::string reply = "kept";
  EXPECT_EQ(vpn::RunAccountQuery(http, Url("/nowhere"), "u", "p", {}, reply), vpn::aqFailed);
  EXPECT_EQ(vpn::RunAccountQuery(http, Url("/redirect"), "u", "p", {}, reply), vpn::aqFailed);
  EXPECT_EQ(vpn::RunAccountQuery(http, Url("/hangup"), "u", "p", {}, reply), vpn::aqFailed);
  EXPECT_EQ(vpn::RunAccountQuery(http, "http://127.0.0.1:1/", "u", "p", {}, reply), vpn::aqFailed);
  EXPECT_EQ(reply, "kept");

  // A server that never answers: the read limit ends the wait.
  vpn::TAccountQueryLimits limits;
  limits.ReadTimeoutMs = 400;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(vpn::RunAccountQuery(http, Url("/silent"), "u", "p", limits, reply), vpn::aqFailed);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(350));
  EXPECT_EQ(http.ReadTimeout, 400);
  EXPECT_EQ(http.ConnectTimeout, 15000);
  // The client is still usable afterwards.
  EXPECT_EQ(vpn::RunAccountQuery(http, Url("/empty"), "u", "p", {}, reply), vpn::aqReply);
}

// A reply of 64 KiB is taken; a body without an end, or one announced larger, fails as
// soon as it passes the limit instead of filling the memory.
TEST(AccountQuery, TheReplyIsTakenUpTo64KiB) {
  TNetHTTP http;
  std::string reply;
  ASSERT_EQ(vpn::RunAccountQuery(http, Url("/exactly-64k"), "u", "p", {}, reply), vpn::aqReply);
  EXPECT_EQ(reply.size(), 65536u);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(vpn::RunAccountQuery(http, Url("/flood"), "u", "p", {}, reply), vpn::aqFailed);
  EXPECT_EQ(vpn::RunAccountQuery(http, Url("/huge-length"), "u", "p", {}, reply), vpn::aqFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(reply.size(), 65536u);  // the failures left the last reply alone
}

// A query on its worker: the window's thread is never held. One whose server drips a
// byte a second goes on until it is stopped, and then ends within a moment; its client
// serves the next query.
TEST(AccountQuery, AJobEndsSoonAfterItIsStopped) {
  auto http = std::make_shared<TNetHTTP>();
  std::atomic<int> ended{0};
  {
    TAccountQueryJob job(http, Url("/drip"), "u", "p", {}, [&] { ++ended; });
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_FALSE(job.Ended()) << "the dripping reply ended by itself";
    const auto stopped = std::chrono::steady_clock::now();
    job.Stop();
    while (!job.Ended() && std::chrono::steady_clock::now() - stopped < std::chrono::seconds(5))
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(job.Ended());
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(1));
    EXPECT_EQ(job.Result(), vpn::aqFailed);
  }
  EXPECT_EQ(ended, 1);
  TAccountQueryJob next(http, Url("/webadmin/useradmin/vpnclient.php"), "demo", "demo", {}, {});
  const auto start = std::chrono::steady_clock::now();
  while (!next.Ended() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(next.Result(), vpn::aqReply);
  EXPECT_FALSE(next.Reply().empty());
}

}  // namespace
