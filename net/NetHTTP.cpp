#include "net/NetHTTP.h"

#include <algorithm>
#include <climits>

#include "core/http/HttpBody.h"
#include "core/text/text.h"

namespace {

// The TCP connection as the body reader sees it; bytes go to a text first and then to
// the caller's stream.
class ConnectionSource : public vpn::HttpReplySource {
 public:
  explicit ConnectionSource(TNetTCPConnection& c) : c_(c) {}

  std::string ReadLine() override { return c_.ReadLn(); }

  void ReadExactly(std::string& out, int64_t n) override {
    // In pieces, so that a size announced by the server reserves no memory of its own.
    while (n > 0) {
      const std::string piece = c_.ReadString(size_t(std::min<int64_t>(n, c_.RecvBufferSize)));
      out += piece;
      n -= int64_t(piece.size());
    }
  }

  bool ReadAtMost(std::string& out, int64_t n) override {
    auto& buffer = c_.InputBuffer();
    while (n > 0) {
      if (buffer.Empty() && c_.ReadFromStack(false, -1, true) <= 0 && buffer.Empty())
        return false;  // the server closed early: keep what came
      const size_t take = size_t(std::min<int64_t>(n, int64_t(buffer.Size())));
      out += buffer.Take(take);
      n -= int64_t(take);
    }
    return true;
  }

  void ReadUntilClose(std::string& out) override {
    TNetMemoryStream s;
    c_.ReadStream(s, -1, true);
    out += s.DataString();
  }

 private:
  TNetTCPConnection& c_;
};

void WriteAll(TNetStream& stream, const std::string& bytes) {
  if (!bytes.empty()) stream.Write(bytes.data(), int64_t(bytes.size()));
}

}  // namespace

TNetHTTP::TNetHTTP() {
  MaxLineAction = maException;
}

TNetHTTP::~TNetHTTP() = default;

bool TNetHTTP::UsesVersion1_0() const {
  return FRequestVersion == pv1_0;
}

void TNetHTTP::Post(const std::string& url, const std::vector<std::string>& lines,
                    TNetStream& response) {
  if (Request.ContentType.empty() || vpn::SameTextAscii(Request.ContentType, "text/html"))
    Request.ContentType = "application/x-www-form-urlencoded";
  TNetMemoryStream body(vpn::BuildFormBody(lines, (HTTPOptions & hoForceEncodeParams) != 0));
  // The form may carry a password: the body is wiped however the post ends.
  struct TWipeBody {
    TNetMemoryStream& b;
    ~TWipeBody() { b.Wipe(); }
  } wipe{body};
  Post(url, body, response);
}

void TNetHTTP::Post(const std::string& url, TNetStream& body, TNetStream& response) {
  RequestOnNewConnection("POST", url, &body, response);
}

void TNetHTTP::Get(const std::string& url, TNetStream& response) {
  RequestOnNewConnection("GET", url, nullptr, response);
}

void TNetHTTP::RequestOnNewConnection(const std::string& method, const std::string& url,
                                      TNetStream* body, TNetStream& response) {
  // Every request starts on a new connection.
  if (Connected()) Disconnect();
  const TNetHTTPProtocolVersion kept = ProtocolVersion;
  if (!(HTTPOptions & hoKeepOrigProtocol)) ProtocolVersion = pv1_0;
  DoRequest(method, url, body, &response);
  ProtocolVersion = kept;
}

void TNetHTTP::DoRequest(const std::string& method, const std::string& url, TNetStream* source,
                         TNetStream* response) {
  const int64_t responseStart = response ? response->Position() : 0;
  FAuthRetryCount = 0;
  FProxyAuthRetryCount = 0;
  FRedirectCount = 0;
  Request.URL = url;
  Request.Method = method;
  Request.Source = source;
  Response.ContentStream = response;
  try {
    for (;;) {
      ++FRedirectCount;
      PrepareRequest();
      ConnectToHost();
      SendRequest();
      ReadReplyHead();
      if (!HandleReply()) break;
      // Again from the start: the next attempt's reply replaces what this one wrote.
      if (response) {
        response->SetPosition(responseStart);
        response->SetSize(responseStart);
      }
    }
  } catch (...) {
    Response.KeepAlive = vpn::ReplyKeepsAlive(
        Connected(), UsesVersion1_0(), Response.Head.Connection, Response.Head.ProxyConnection);
    if (!Response.KeepAlive) Disconnect();
    throw;
  }
  Response.KeepAlive = vpn::ReplyKeepsAlive(Connected(), UsesVersion1_0(), Response.Head.Connection,
                                            Response.Head.ProxyConnection);
  if (!Response.KeepAlive) Disconnect();
}

void TNetHTTP::PrepareRequest() {
  TNetURI uri = TNetURI::Parse(Request.URL);
  // A relative address stays on the host of the previous request.
  if (uri.Host.empty() && uri.Protocol.empty()) {
    uri.Protocol = URL.Protocol;
    uri.Host = URL.Host;
    uri.Port = URL.Port;
  }
  if (!uri.Username.empty()) {
    Request.Username = uri.Username;
    Request.Password = uri.Password;
  }
  uri.Path = vpn::ResolveRequestPath(FPreviousPath, uri.Path);
  FPreviousPath = uri.Path;
  if (uri.Protocol.empty()) uri.Protocol = "http";
  if (uri.Port.empty()) {
    if (vpn::SameTextAscii(uri.Protocol, "http"))
      uri.Port = "80";
    else if (vpn::SameTextAscii(uri.Protocol, "https"))
      uri.Port = "443";
    else
      throw ENetUnknownProtocol();
  }
  URL = uri;
  FRequestVersion = ProtocolVersion;
  Request.ContentLength = Request.Method == "POST" && Request.Source ? Request.Source->Size() : -1;
  Request.Host = uri.Port == "80" ? uri.Host : uri.Host + ":" + uri.Port;
  if (Request.BasicAuthentication && !Request.Authentication)
    Request.Authentication = std::make_unique<TNetBasicAuthentication>();
  if (Request.Authentication) {
    Request.Authentication->Username = Request.Username;
    Request.Authentication->Password = Request.Password;
  }
  if (ProxyParams.BasicAuthentication && !ProxyParams.Authentication)
    ProxyParams.Authentication = std::make_unique<TNetBasicAuthentication>();
  if (ProxyParams.Authentication) {
    ProxyParams.Authentication->Username = ProxyParams.ProxyUsername;
    ProxyParams.Authentication->Password = ProxyParams.ProxyPassword;
  }
}

void TNetHTTP::ConnectToHost() {
  if (vpn::SameTextAscii(URL.Protocol, "https")) throw ENetIOHandlerPropInvalid();
  const bool viaProxy = !ProxyParams.ProxyServer.empty();
  const std::string host = viaProxy ? ProxyParams.ProxyServer : URL.Host;
  int port = ProxyParams.ProxyPort;
  if (!viaProxy) {
    port = 0;
    for (char c : URL.Port) {
      if (c < '0' || c > '9' || port > 65535) {
        port = INT_MAX;
        break;
      }
      port = port * 10 + (c - '0');
    }
    if (port <= 0 || port > 65535) TNetStack::RaiseSocketError(10049);  // not a port number
  }
  if (!vpn::SameTextAscii(Host, host) || Port != port) {
    Disconnect();
    Host = host;
    Port = port;
  }
  std::string& connectionField = viaProxy ? Request.ProxyConnection : Request.Connection;
  if (UsesVersion1_0() && connectionField.empty()) connectionField = "keep-alive";
  if (!Response.KeepAlive) Disconnect();
  // A close by the server since the last reply is noticed here.
  if (Connected()) {
    try {
      ReadFromStack(false, 1, false);
    } catch (const ENetException&) {
      Disconnect();
    }
  }
  if (!Connected()) Connect(ConnectTimeout != 0 ? ConnectTimeout : ReadTimeout);
}

void TNetHTTP::SendRequest() {
  vpn::HttpRequestFields f;
  f.Connection = Request.Connection;
  f.ContentVersion = Request.ContentVersion;
  f.ContentEncoding = Request.ContentEncoding;
  f.ContentLanguage = Request.ContentLanguage;
  f.ContentType = Request.ContentType;
  f.ContentLength = Request.ContentLength;
  f.CacheControl = Request.CacheControl;
  f.Date = Request.Date;
  f.Expires = Request.Expires;
  f.Pragma = Request.Pragma;
  f.CustomHeaders = Request.CustomHeaders;
  f.ProxyConnection = Request.ProxyConnection;
  f.Host = Request.Host;
  f.Accept = Request.Accept;
  f.AcceptCharset = Request.AcceptCharset;
  f.AcceptEncoding = Request.AcceptEncoding;
  f.AcceptLanguage = Request.AcceptLanguage;
  f.From = Request.From;
  f.Referer = Request.Referer;
  f.UserAgent = Request.UserAgent;
  f.IfModifiedSince = Request.IfModifiedSince;
  f.Range = Request.Range;
  if (Request.Authentication) f.Authorization = Request.Authentication->Authentication();
  if (ProxyParams.Authentication)
    f.ProxyAuthorization = ProxyParams.Authentication->Authentication();
  if (AllowCookies && FCookieManager)
    f.Cookie = FCookieManager->GenerateCookieList(URL.Host, URL.Path, false);

  // Through a proxy the request line names the whole address.
  std::string target = URL.Target();
  if (!ProxyParams.ProxyServer.empty()) target = URL.Protocol + "://" + Request.Host + target;
  OpenWriteBuffer();
  try {
    Write(vpn::BuildRequestHead(Request.Method, target, UsesVersion1_0() ? "1.0" : "1.1", f));
    CloseWriteBuffer();
  } catch (...) {
    ClearWriteBuffer();
    throw;
  }
  if (Request.Source && Request.Source->Size() > 0) WriteStream(*Request.Source);
}

void TNetHTTP::ReadReplyHead() {
  do {
    Response.Head = vpn::HttpReplyHead();
    Response.Head.StatusLine = ReadLn();
    for (;;) {
      std::string line;
      try {
        line = ReadLn();
      } catch (const ENetConnClosedGracefully&) {
        break;  // the server's close ends the header block too
      }
      if (line.empty()) break;
      Response.Head.Headers.AddLine(line);
    }
    Response.Head.TakeFields();
    Response.ResponseText = Response.Head.StatusLine;
    Response.ResponseCode = Response.Head.StatusCode;
    ProcessCookies();
  } while (Response.ResponseCode == 100);
}

void TNetHTTP::ProcessCookies() {
  if (!AllowCookies) return;
  if (!FCookieManager) FCookieManager = std::make_unique<TNetCookieManager>();
  for (const std::string& v : Response.Head.SetCookie) FCookieManager->AddCookie(v, URL.Host);
  for (const std::string& v : Response.Head.SetCookie2) FCookieManager->AddCookie2(v, URL.Host);
}

void TNetHTTP::ReadBody(TNetStream& into) {
  ConnectionSource source(*this);
  std::string body;
  vpn::ReadReplyBody(source, Response.Head, body, MaxBodyBytes);
  WriteAll(into, body);
}

void TNetHTTP::RaiseProtocolError() {
  const int kept = ReadTimeout;
  ReadTimeout = 2000;
  TNetMemoryStream text;
  try {
    ReadBody(text);
  } catch (const ENetConnClosedGracefully&) {
    // An error page cut short still leaves the status line to report.
  } catch (...) {
    ReadTimeout = kept;
    throw;
  }
  ReadTimeout = kept;
  throw ENetHTTPProtocolException(Response.ResponseCode, Response.ResponseText, text.DataString());
}

bool TNetHTTP::Authorize(bool proxy) {
  const std::vector<std::string>& challenges =
      proxy ? Response.Head.ProxyAuthenticate : Response.Head.WWWAuthenticate;
  std::unique_ptr<TNetAuthentication>& auth =
      proxy ? ProxyParams.Authentication : Request.Authentication;
  if (!auth) {
    if (vpn::OffersBasic(challenges))
      auth = std::make_unique<TNetBasicAuthentication>();
    else if (OnSelectAuthorization)
      OnSelectAuthorization(this, auth, challenges);
  }
  int& tries = proxy ? FProxyAuthRetryCount : FAuthRetryCount;
  if (!auth || tries >= AuthRetries) return false;
  ++tries;
  bool handled = false;
  if (proxy) {
    auth->Username = ProxyParams.ProxyUsername;
    auth->Password = ProxyParams.ProxyPassword;
    handled = (HTTPOptions & hoInProcessAuth) && !auth->Username.empty();
    if (OnProxyAuthorization) OnProxyAuthorization(this, auth.get(), handled);
    if (handled) {
      ProxyParams.ProxyUsername = auth->Username;
      ProxyParams.ProxyPassword = auth->Password;
    }
  } else {
    auth->Username = Request.Username;
    auth->Password = Request.Password;
    handled = (HTTPOptions & hoInProcessAuth) && !auth->Username.empty();
    if (OnAuthorization) OnAuthorization(this, auth.get(), handled);
    if (handled) {
      Request.Username = auth->Username;
      Request.Password = auth->Password;
    }
  }
  return handled;
}

bool TNetHTTP::HandleReply() {
  switch (vpn::DecideReply(Response.ResponseCode, Response.Head.Location)) {
    case vpn::HttpReplyAction::Redirect: {
      std::string dest = Response.Head.Location;
      bool handled = HandleRedirects;
      if (OnRedirect) OnRedirect(this, dest, handled);
      if (!handled || dest.empty() || FRedirectCount >= RedirectMaximum) RaiseProtocolError();
      // The redirect's own body is not wanted; the connection is not reused for it.
      Disconnect();
      Request.URL = dest;
      // A form posted to a page that moved is fetched there, not posted again.
      const int code = Response.ResponseCode;
      if (Request.Method == "POST" && (code == 301 || code == 302 || code == 303)) {
        Request.Method = "GET";
        Request.Source = nullptr;
      }
      return true;
    }
    case vpn::HttpReplyAction::Authorize:
      if (!Authorize(Response.ResponseCode == 407)) RaiseProtocolError();
      Disconnect();
      return true;
    case vpn::HttpReplyAction::Refuse:
      RaiseProtocolError();
    case vpn::HttpReplyAction::Success:
      break;
  }
  if (Response.ResponseCode != 204) {
    if (!Connected()) throw ENetException("Undefined situation");
    if (Response.ContentStream) ReadBody(*Response.ContentStream);
  }
  return false;
}
