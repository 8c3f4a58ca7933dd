// The HTTP client against a real HTTP server (Python's http.server, started by the test
// runner http_server.py), natively and under Wine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "net/NetHTTP.h"

namespace {

// The program's network components live as long as the program, so its socket stack is
// started once. The tests keep it alive the same way: under Wine, a sockets library that
// was unloaded and loaded again hands out sockets it does not recognise (10038).
TNetStackUser g_stack_for_the_whole_run;

std::string Server() {
  const char* url = std::getenv("VPN_TEST_HTTP_URL");
  if (!url || !*url) {
    ADD_FAILURE() << "VPN_TEST_HTTP_URL is not set: run this test through "
                     "tests/unit/http/http_server.py --run (ctest does)";
    return "http://127.0.0.1:9";
  }
  return url;
}

std::string HostPort() {
  return Server().substr(7);
}

const std::vector<std::string> kForm = {"UserID=a b", "Upassword=x=y"};
const std::string kBody = "UserID=a+b&Upassword=x%3Dy&";

std::string PostForm(TNetHTTP& http, const std::string& path,
                     const std::vector<std::string>& form = kForm) {
  TNetMemoryStream reply;
  http.Post(Server() + path, form, reply);
  return reply.DataString();
}

template <class E>
E PostExpecting(TNetHTTP& http, const std::string& path) {
  try {
    PostForm(http, path);
  } catch (const E& e) {
    return e;
  } catch (const std::exception& e) {
    ADD_FAILURE() << path << " raised something else: " << e.what();
    throw;
  }
  ADD_FAILURE() << path << " raised nothing";
  throw std::runtime_error("no exception");
}

TEST(HttpClient, PostsTheFormWithTheHeadOfTheAccountQuery) {
  TNetHTTP http;
  EXPECT_EQ(http.Request.ContentType, "text/html");
  const std::string reply = PostForm(http, "/echo");
  EXPECT_EQ(reply,
            "POST /echo HTTP/1.0\n"
            "Connection: keep-alive\n"
            "Content-Type: application/x-www-form-urlencoded\n"
            "Content-Length: " +
                std::to_string(kBody.size()) +
                "\n"
                "Host: " +
                HostPort() +
                "\n"
                "Accept: text/html, */*\n"
                "User-Agent: Mozilla/3.0 (compatible; Net Library)\n\n" +
                kBody);
  EXPECT_EQ(http.ResponseCode(), 200);
  EXPECT_EQ(http.ResponseText(), "HTTP/1.0 200 OK");
  EXPECT_EQ(http.Request.ContentType, "application/x-www-form-urlencoded");
  EXPECT_EQ(http.ProtocolVersion, pv1_1);
  EXPECT_EQ(http.Request.Connection, "keep-alive");

  // The body goes to the stream from its position on.
  TNetMemoryStream s(std::string("before|"));
  s.SetPosition(7);
  http.Post(Server() + "/empty", kForm, s);
  EXPECT_EQ(s.DataString(), "before|");
}

TEST(HttpClient, ReadsBodiesByLengthChunksAndClose) {
  TNetHTTP http;
  // The same request described by the server, whatever way the reply body travels.
  const std::string echo = PostForm(http, "/echo");
  const std::string rest = echo.substr(echo.find('\n'));
  EXPECT_EQ(PostForm(http, "/chunked"), "POST /chunked HTTP/1.0" + rest);
  EXPECT_EQ(PostForm(http, "/until-close"), "POST /until-close HTTP/1.0" + rest);
  // Five bytes announced, three sent before the close: no error, three bytes.
  EXPECT_EQ(PostForm(http, "/short"), "abc");
  // A 100 reply is followed by the real one; its cookie counts as well.
  EXPECT_EQ(PostForm(http, "/continue"), "done");
  EXPECT_EQ(PostForm(http, "/empty"), "");
  EXPECT_NE(PostForm(http, "/echo").find("Cookie: early=1\n"), std::string::npos);
}

TEST(HttpClient, GetsADocumentWithoutABodyAndWithinItsSizeLimit) {
  TNetHTTP http;
  http.Request.ContentType.clear();
  TNetMemoryStream reply;
  http.Get(Server() + "/echo", reply);
  EXPECT_EQ(reply.DataString(),
            "GET /echo HTTP/1.0\n"
            "Connection: keep-alive\n"
            "Host: " +
                HostPort() +
                "\n"
                "Accept: text/html, */*\n"
                "User-Agent: Mozilla/3.0 (compatible; Net Library)\n\n");
  EXPECT_EQ(http.ProtocolVersion, pv1_1);
  // A document without an end is refused once it passes the limit; so is a redirect.
  http.MaxBodyBytes = 256 * 1024;
  TNetMemoryStream flood;
  EXPECT_THROW(http.Get(Server() + "/flood", flood), ENetReplyTooLarge);
  TNetMemoryStream moved;
  EXPECT_THROW(http.Get(Server() + "/redirect", moved), ENetHTTPProtocolException);
  // The next request starts afresh.
  TNetMemoryStream again;
  http.Get(Server() + "/echo", again);
  EXPECT_EQ(again.DataString(), reply.DataString());
}

TEST(HttpClient, RedirectsAndErrorRepliesRaiseWithTheStatusLine) {
  TNetHTTP http;
  auto e = PostExpecting<ENetHTTPProtocolException>(http, "/redirect");
  EXPECT_EQ(e.Message, "HTTP/1.0 302 Found");
  EXPECT_EQ(e.ErrorCode, 302);
  EXPECT_EQ(e.ErrorMessage, "moved");
  e = PostExpecting<ENetHTTPProtocolException>(http, "/located");
  EXPECT_EQ(e.Message, "HTTP/1.0 200 OK");
  EXPECT_EQ(e.ErrorMessage, "here, but see there");
  e = PostExpecting<ENetHTTPProtocolException>(http, "/nowhere");
  EXPECT_EQ(e.Message, "HTTP/1.0 404 Not Found");
  EXPECT_EQ(e.ErrorCode, 404);
  EXPECT_EQ(e.ErrorMessage, "no such page: /nowhere");
  // The component stays usable; the stored form version is 1.0 after a failed post.
  EXPECT_EQ(http.ProtocolVersion, pv1_0);
  EXPECT_EQ(PostForm(http, "/short"), "abc");
}

TEST(HttpClient, FollowsARedirectOnlyWhenAskedTo) {
  TNetHTTP http;
  http.HandleRedirects = true;
  std::string seen;
  http.OnRedirect = [&](TNetHTTP*, std::string& dest, bool& handled) { seen = dest; };
  const std::string reply = PostForm(http, "/redirect");
  EXPECT_EQ(seen, "/echo");
  EXPECT_EQ(reply.substr(0, reply.find('\n')), "GET /echo HTTP/1.0");
}

TEST(HttpClient, BasicChallengeAddsAuthorizationToLaterPosts) {
  TNetHTTP http;
  auto e = PostExpecting<ENetHTTPProtocolException>(http, "/auth");
  EXPECT_EQ(e.ErrorCode, 401);
  EXPECT_EQ(e.ErrorMessage, "who are you");
  // Empty user name and password: "Basic " and the Base64 form of ":".
  const std::string reply = PostForm(http, "/auth");
  EXPECT_NE(reply.find("\nAuthorization: Basic Og==\n"), std::string::npos) << reply;

  // With a handler, the same request is answered at once.
  TNetHTTP other;
  other.OnAuthorization = [](TNetHTTP*, TNetAuthentication* a, bool& handled) {
    a->Username = "user";
    a->Password = "pw";
    handled = true;
  };
  EXPECT_NE(PostForm(other, "/auth").find("Authorization: Basic dXNlcjpwdw==\n"),
            std::string::npos);
}

TEST(HttpClient, CookiesComeBackOnTheNextPost) {
  TNetHTTP http;
  EXPECT_EQ(http.CookieManager(), nullptr);
  EXPECT_EQ(PostForm(http, "/setcookie"), "cookie set");
  ASSERT_NE(http.CookieManager(), nullptr);
  const std::string reply = PostForm(http, "/echo");
  // Only the cookie with a path that is still valid goes back.
  EXPECT_NE(reply.find("\nCookie: sid=abc123\n"), std::string::npos) << reply;

  TNetHTTP no_cookies;
  no_cookies.AllowCookies = false;
  PostForm(no_cookies, "/setcookie");
  EXPECT_EQ(PostForm(no_cookies, "/echo").find("Cookie:"), std::string::npos);
  EXPECT_EQ(no_cookies.CookieManager(), nullptr);
}

TEST(HttpClient, BrokenServersRaise) {
  TNetHTTP http;
  EXPECT_EQ(PostExpecting<ENetConnClosedGracefully>(http, "/hangup").Message,
            "Connection Closed Gracefully.");
  EXPECT_EQ(PostExpecting<ENetReadLnMaxLineLengthExceeded>(http, "/long-header").Message,
            "Max line length exceeded.");
  EXPECT_EQ(PostForm(http, "/long-line-ok"), "ok");
  http.ReadTimeout = 300;
  EXPECT_EQ(PostExpecting<ENetReadTimeout>(http, "/silent").Message, "Read Timeout");
  http.ReadTimeout = 0;
  EXPECT_EQ(PostForm(http, "/short"), "abc");

  // Nothing listens on port 1.
  TNetMemoryStream reply;
  try {
    http.Post("http://127.0.0.1:1/x", kForm, reply);
    ADD_FAILURE() << "a refused connection raised nothing";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.Code, 10061);
    EXPECT_EQ(e.Message, "Socket Error # 10061\r\nConnection refused.");
  }
}

TEST(HttpClient, UnsupportedAddresses) {
  TNetHTTP http;
  TNetMemoryStream reply;
  try {
    http.Post("https://127.0.0.1/x", kForm, reply);
    ADD_FAILURE();
  } catch (const ENetIOHandlerPropInvalid& e) {
    EXPECT_EQ(e.Message, "IOHandler value is not valid");
  }
  try {
    http.Post("ftp://127.0.0.1/x", kForm, reply);
    ADD_FAILURE();
  } catch (const ENetUnknownProtocol& e) {
    EXPECT_EQ(e.Message, "");
  }
}

}  // namespace
