// The HTTP client: posts forms and ready bodies over a TCP connection and hands the
// reply body back, keeping cookies between requests.
//
//   TNetHTTP http;
//   TNetMemoryStream reply;
//   http.Post("http://host:9100/path/page.php", {"UserID=a", "Upassword=b"}, reply);
//
// Every failure is raised: ENetHTTPProtocolException for a reply that is not accepted
// (its message is the status line), the ENet... exceptions of the TCP connection for
// connect, read and line-length failures.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/http/Cookies.h"
#include "core/http/HttpText.h"
#include "core/http/Url.h"
#include "core/net/NetExceptions.h"
#include "core/net/Stream.h"
#include "net/NetTCPClient.h"

// A reply that the client does not accept: a redirect it does not follow, an
// authorization it cannot give, or any other code outside 200 to 299.
class ENetHTTPProtocolException : public ENetException {
 public:
  ENetHTTPProtocolException(int code, std::string statusLine, std::string body)
      : ENetException(std::move(statusLine)), ErrorCode(code), ErrorMessage(std::move(body)) {}
  int ErrorCode;             // the reply's status code
  std::string ErrorMessage;  // the reply's body
};

class ENetUnknownProtocol : public ENetException {
 public:
  ENetUnknownProtocol() : ENetException("") {}
};

class ENetIOHandlerPropInvalid : public ENetException {
 public:
  ENetIOHandlerPropInvalid() : ENetException("IOHandler value is not valid") {}
};

// Credentials for one authorization scheme.
class TNetAuthentication {
 public:
  virtual ~TNetAuthentication() = default;
  virtual std::string Scheme() const = 0;
  // The value of the Authorization (or Proxy-Authorization) header.
  virtual std::string Authentication() const = 0;
  std::string Username;
  std::string Password;
};

class TNetBasicAuthentication : public TNetAuthentication {
 public:
  std::string Scheme() const override { return "Basic"; }
  std::string Authentication() const override {
    return "Basic " + vpn::Base64Encode(Username + ":" + Password);
  }
};

class TNetHTTPRequest {
 public:
  std::string Method;
  std::string URL;
  std::string Connection;
  std::string ContentVersion, ContentEncoding, ContentLanguage;
  std::string ContentType = "text/html";
  int64_t ContentLength = -1;
  std::string CacheControl, Date, Expires, Pragma;
  std::vector<std::string> CustomHeaders;  // "Name: value" lines
  std::string ProxyConnection, Host;
  std::string Accept = "text/html, */*";
  std::string AcceptCharset, AcceptEncoding, AcceptLanguage, From, Referer;
  std::string UserAgent = "Mozilla/3.0 (compatible; Net Library)";
  std::string IfModifiedSince, Range;
  bool BasicAuthentication = false;  // offer Basic credentials on the first attempt
  std::string Username, Password;
  // Attached after a Basic challenge; every later request carries its header.
  std::unique_ptr<TNetAuthentication> Authentication;
  TNetStream* Source = nullptr;
};

class TNetHTTPResponse {
 public:
  std::string ResponseText;  // the status line
  int ResponseCode = -1;
  vpn::HttpReplyHead Head;  // header lines and the fields taken from them
  bool KeepAlive = false;
  TNetStream* ContentStream = nullptr;
};

class TNetProxyConnectionInfo {
 public:
  std::string ProxyServer;  // empty: requests go straight to the URL's host
  int ProxyPort = 0;
  bool BasicAuthentication = false;
  std::string ProxyUsername, ProxyPassword;
  std::unique_ptr<TNetAuthentication> Authentication;
};

enum TNetHTTPProtocolVersion { pv1_0, pv1_1 };

enum TNetHTTPOption : unsigned {
  hoInProcessAuth = 1,      // answer a challenge with Request.Username/Password
  hoKeepOrigProtocol = 2,   // post with ProtocolVersion instead of 1.0
  hoForceEncodeParams = 4,  // percent-encode form values
};

class TNetHTTP : public TNetTCPClient {
 public:
  TNetHTTP();
  ~TNetHTTP() override;

  // Posts the lines "name=value" as a form; the reply body goes to `response` from its
  // position on.
  void Post(const std::string& url, const std::vector<std::string>& lines, TNetStream& response);
  // Posts a ready body.
  void Post(const std::string& url, TNetStream& body, TNetStream& response);
  // Fetches a document, as a post does: on a new connection, as HTTP/1.0 unless
  // hoKeepOrigProtocol, with the same limits and the same failures.
  void Get(const std::string& url, TNetStream& response);

  int ResponseCode() const { return Response.ResponseCode; }
  const std::string& ResponseText() const { return Response.ResponseText; }

  // Created at the first reply while AllowCookies is set; nullptr before.
  TNetCookieManager* CookieManager() const { return FCookieManager.get(); }

  TNetHTTPRequest Request;
  TNetHTTPResponse Response;
  TNetProxyConnectionInfo ProxyParams;
  TNetURI URL;  // the parsed address of the last request
  unsigned HTTPOptions = hoForceEncodeParams;
  TNetHTTPProtocolVersion ProtocolVersion = pv1_1;
  bool HandleRedirects = false;
  int RedirectMaximum = 15;
  int AuthRetries = 3;
  bool AllowCookies = true;
  // The connect limit in ms; 0 takes ReadTimeout (which 0 makes a plain blocking connect).
  int ConnectTimeout = 0;
  // The largest reply body taken; a longer one raises ENetReplyTooLarge. -1: no limit.
  int64_t MaxBodyBytes = -1;

  // Called for a redirect: may change the destination and decide whether to follow it
  // (Handled starts as HandleRedirects).
  std::function<void(TNetHTTP* Sender, std::string& dest, bool& Handled)> OnRedirect;
  // Called for a 401 or 407 with the authentication object to fill in; Handled = retry.
  std::function<void(TNetHTTP* Sender, TNetAuthentication* Authentication, bool& Handled)>
      OnAuthorization;
  std::function<void(TNetHTTP* Sender, TNetAuthentication* Authentication, bool& Handled)>
      OnProxyAuthorization;
  // Called when a challenge names no scheme the client knows: may supply an object.
  std::function<void(TNetHTTP* Sender, std::unique_ptr<TNetAuthentication>& AuthenticationClass,
                     const std::vector<std::string>& AuthInfo)>
      OnSelectAuthorization;

 private:
  void DoRequest(const std::string& method, const std::string& url, TNetStream* source,
                 TNetStream* response);
  void RequestOnNewConnection(const std::string& method, const std::string& url, TNetStream* body,
                              TNetStream& response);
  void PrepareRequest();
  void ConnectToHost();
  void SendRequest();
  void ReadReplyHead();
  void ProcessCookies();
  // True when the request is to be sent again (redirect or authorization).
  bool HandleReply();
  bool Authorize(bool proxy);
  [[noreturn]] void RaiseProtocolError();
  void ReadBody(TNetStream& into);
  bool UsesVersion1_0() const;

  std::unique_ptr<TNetCookieManager> FCookieManager;
  std::string FPreviousPath;
  int FRedirectCount = 0;
  int FAuthRetryCount = 0;
  int FProxyAuthRetryCount = 0;
  TNetHTTPProtocolVersion FRequestVersion = pv1_1;
};
