#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/http/Cookies.h"
#include "core/http/InternetDate.h"

namespace {

TEST(InternetDate, WritesRfc1123AndReadsTheOtherForms) {
  EXPECT_EQ(vpn::FormatInternetDate(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(vpn::FormatInternetDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(vpn::FormatInternetDate(951782400), "Tue, 29 Feb 2000 00:00:00 GMT");
  EXPECT_EQ(vpn::ParseInternetDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
  EXPECT_EQ(vpn::ParseInternetDate("Sunday, 06-Nov-94 08:49:37 GMT"), 784111777);
  EXPECT_EQ(vpn::ParseInternetDate("Sun Nov  6 08:49:37 1994"), 784111777);
  EXPECT_EQ(vpn::ParseInternetDate("Sun, 06-Nov-1994 08:49:37 GMT"), 784111777);
  EXPECT_EQ(vpn::ParseInternetDate("Sun, 06 Nov 1994 16:49:37 +0800"), 784111777);
  EXPECT_EQ(vpn::ParseInternetDate("Thu, 01-Jan-30 00:00:00 GMT"), 1893456000);
  for (const char* bad :
       {"", "tomorrow", "Sun, 32 Nov 1994 08:49:37 GMT", "Sun, 06 Nov 1994 25:00:00 GMT",
        "Sun, 06 Nov 1994", "06 Foo 1994 1:2:3", "1 Jan 2000 00:00:00 GMT GMT"})
    EXPECT_FALSE(vpn::ParseInternetDate(bad)) << bad;
  // Every moment written reads back as itself.
  for (int64_t t : {int64_t{0}, int64_t{1}, int64_t{86399}, int64_t{951868799}, int64_t{4102444800},
                    int64_t{1700000000}})
    EXPECT_EQ(vpn::ParseInternetDate(vpn::FormatInternetDate(t)), t);
}

class CookieStore : public ::testing::Test {
 protected:
  void SetUp() override {
    mgr.Clock = [this] { return now; };
  }
  int64_t now = 1700000000;
  TNetCookieManager mgr;
};

TEST_F(CookieStore, ParsesNameValueAndAttributes) {
  TNetCookieRFC2965 c;
  c.SetCookieText(
      " sid=a=b ; path=\"/x/\"; Domain=.h.example; SECURE ; max-age=60; "
      "Version=1; Comment=hi; CommentURL=http://c; Discard; Port=\"81, 8080\"",
      now);
  EXPECT_EQ(c.CookieName, "sid");
  EXPECT_EQ(c.Value, "a=b");
  EXPECT_EQ(c.Path, "/x/");
  EXPECT_EQ(c.Domain, ".h.example");
  EXPECT_TRUE(c.Secure);
  EXPECT_EQ(c.MaxAge, 60);
  EXPECT_EQ(c.Expires, vpn::FormatInternetDate(now + 60));
  EXPECT_EQ(c.Version, "1");
  EXPECT_EQ(c.Comment, "hi");
  EXPECT_EQ(c.CommentURL, "http://c");
  EXPECT_TRUE(c.Discard);
  EXPECT_EQ(c.PortList, (std::vector<int>{81, 8080}));

  TNetCookieRFC2109 d;
  d.SetCookieText("x=1; Expires=Sun, 06 Nov 1994 08:49:37 GMT; Max-Age=junk", now);
  EXPECT_EQ(d.MaxAge, -1);
  EXPECT_EQ(d.Expires, "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_TRUE(d.IsExpired(now));
  TNetCookieRFC2965 e;
  e.SetCookieText("novalue", now);
  EXPECT_EQ(e.CookieName, "novalue");
  EXPECT_EQ(e.Value, "");
  EXPECT_EQ(e.PortList, (std::vector<int>{80}));
}

TEST_F(CookieStore, WithoutPathStoredButNeverSent) {
  EXPECT_TRUE(mgr.AddCookie("a=1", "127.0.0.1"));
  EXPECT_EQ(mgr.CookieCollection().CookieCount(), 1u);
  EXPECT_EQ(mgr.GenerateCookieList("127.0.0.1", "/", false), "");
  EXPECT_TRUE(mgr.AddCookie("b=2; Path=/", "127.0.0.1"));
  EXPECT_EQ(mgr.GenerateCookieList("127.0.0.1", "/webadmin/", false), "b=2");
}

TEST_F(CookieStore, DomainRuleBothWays) {
  // One label less, with a leading ".": kept and sent back to that host.
  EXPECT_TRUE(mgr.AddCookie("s=1; Path=/; Domain=.example.net", "www.example.net"));
  EXPECT_EQ(mgr.GenerateCookieList("www.example.net", "/", false), "s=1");
  // The same domain from a host with one label fewer ("example.net" from its first "."
  // on is ".net"): dropped.
  EXPECT_FALSE(mgr.AddCookie("t=1; Path=/; Domain=.example.net", "example.net"));
  // Two labels up, another site, or without the leading dot: dropped.
  EXPECT_FALSE(mgr.AddCookie("u=1; Path=/; Domain=.net", "www.example.net"));
  EXPECT_FALSE(mgr.AddCookie("v=1; Path=/; Domain=.other.net", "www.example.net"));
  EXPECT_FALSE(mgr.AddCookie("w=1; Path=/; Domain=example.net", "www.example.net"));
  // Letter case counts when a cookie is set.
  EXPECT_FALSE(mgr.AddCookie("x=1; Path=/; Domain=.EXAMPLE.net", "www.example.net"));
  // A numeric host accepts only itself.
  EXPECT_FALSE(mgr.AddCookie("y=1; Path=/; Domain=.0.0.1", "127.0.0.1"));
  EXPECT_TRUE(mgr.AddCookie("y=1; Path=/; Domain=127.0.0.1", "127.0.0.1"));
  EXPECT_EQ(mgr.CookieCollection().CookieCount(), 2u);
  // Cookies go only to their own host and its subdomains, never to a host that merely
  // contains the domain's text.
  EXPECT_EQ(mgr.GenerateCookieList("a.www.example.net", "/", false), "s=1");
  EXPECT_EQ(mgr.GenerateCookieList("WWW.EXAMPLE.NET", "/", false), "s=1");
  EXPECT_EQ(mgr.GenerateCookieList("badexample.net", "/", false), "");
  EXPECT_EQ(mgr.GenerateCookieList("www.example.net.evil", "/", false), "");
  EXPECT_EQ(mgr.GenerateCookieList("127.0.0.1", "/", false), "y=1");
  EXPECT_EQ(mgr.GenerateCookieList("1127.0.0.1", "/", false), "");
}

TEST_F(CookieStore, SameNameReplacesAndOrderIsMostSpecificPathFirst) {
  mgr.AddCookie("k=old; Path=/", "h");
  mgr.AddCookie("K=new; Path=/", "h");
  EXPECT_EQ(mgr.CookieCollection().CookieCount(), 1u);
  EXPECT_EQ(mgr.GenerateCookieList("h", "/a/b/", false), "K=new");
  mgr.AddCookie("deep=1; Path=/a/b/", "h");
  mgr.AddCookie("mid=1; Path=/a/", "h");
  mgr.AddCookie("other=1; Path=/z/", "h");
  mgr.AddCookie("empty=; Path=/", "h");
  mgr.AddCookie("sec=1; Path=/; Secure", "h");
  EXPECT_EQ(mgr.GenerateCookieList("h", "/a/b/", false), "deep=1; mid=1; K=new");
  EXPECT_EQ(mgr.GenerateCookieList("h", "/a/b/", true), "deep=1; mid=1; K=new; sec=1");
  EXPECT_EQ(mgr.GenerateCookieList("h", "/A/", false), "K=new");  // paths keep their case

  // A Set-cookie2 cookie of the same name takes the place of a Set-cookie one.
  mgr.AddCookie2("mid=2; Path=/a/; Port=\"9100\"", "h");
  EXPECT_EQ(mgr.GenerateCookieList("h", "/a/", false), "mid=2; K=new");
}

TEST_F(CookieStore, MaxAgeZeroAndPastExpiryArePurged) {
  mgr.AddCookie("gone=1; Path=/; Max-Age=0", "h");
  mgr.AddCookie("later=1; Path=/; Max-Age=10", "h");
  mgr.AddCookie("past=1; Path=/; Expires=Thu, 01 Jan 1970 00:00:00 GMT", "h");
  mgr.AddCookie("odd=1; Path=/; Expires=whenever", "h");
  EXPECT_EQ(mgr.CookieCollection().CookieCount(), 4u);
  EXPECT_EQ(mgr.GenerateCookieList("h", "/", false), "later=1; odd=1");
  EXPECT_EQ(mgr.CookieCollection().CookieCount(), 2u);
  now += 9;
  EXPECT_EQ(mgr.GenerateCookieList("h", "/", false), "later=1; odd=1");
  now += 1;
  EXPECT_EQ(mgr.GenerateCookieList("h", "/", false), "odd=1");
}

TEST_F(CookieStore, OnNewCookieMayRefuseAndEventsReportTheStore) {
  TNetCookies* created = nullptr;
  int destroyed = 0;
  {
    TNetCookieManager m;
    m.OnCreate = [&](TNetCookieManager*, TNetCookies* c) { created = c; };
    m.OnDestroy = [&](TNetCookieManager*, TNetCookies* c) { destroyed += c == created; };
    m.OnNewCookie = [](TNetCookieManager*, TNetNetscapeCookie* c, bool& accept) {
      accept = c->CookieName != "tracker";
    };
    EXPECT_FALSE(m.AddCookie("tracker=1; Path=/", "h"));
    EXPECT_TRUE(m.AddCookie("ok=1; Path=/", "h"));
    EXPECT_EQ(&m.CookieCollection(), created);
    EXPECT_EQ(m.GenerateCookieList("h", "/", false), "ok=1");
  }
  EXPECT_EQ(destroyed, 1);
}

TEST_F(CookieStore, ReadersAndAWriterShareTheStore) {
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; i < 500; ++i) mgr.AddCookie("c" + std::to_string(i % 20) + "=v; Path=/", "h");
    stop = true;
  });
  size_t seen = 0;
  while (!stop) seen = std::max(seen, mgr.GenerateCookieList("h", "/", false).size());
  writer.join();
  EXPECT_EQ(mgr.CookieCollection().CookieCount(), 20u);
  EXPECT_GE(mgr.GenerateCookieList("h", "/", false).size(), seen);
}

}  // namespace
