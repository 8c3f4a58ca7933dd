#include "core/http/HttpText.h"

#include "core/text/secret.h"
#include "core/text/text.h"

namespace vpn {

// ---- form bodies ----

std::string EncodeFormValue(std::string_view value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size() * 3);
  for (char ch : value) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out += ch;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string BuildFormBody(const std::vector<std::string>& lines, bool encode_values) {
  // The values may hold a password: every buffer built here is big enough from the start
  // (no growth leaves a copy behind in freed memory) and wiped before it goes.
  size_t room = 0;
  for (const std::string& line : lines) room += line.size() * 3 + 2;
  std::string body;
  body.reserve(room);
  for (const std::string& line : lines) {
    const size_t eq = line.find('=');
    if (encode_values && eq != std::string::npos && eq + 1 < line.size()) {
      body.append(line, 0, eq + 1);
      std::string value = EncodeFormValue(std::string_view(line).substr(eq + 1));
      body += value;
      WipeText(value);
    } else {
      body += line;
    }
    body += lines.size() < 2 ? "\r\n" : "&";
  }
  if (lines.size() >= 2) {
    // Line breaks inside an unencoded value separate fields as well.
    std::string joined;
    joined.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
      if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') {
        joined += '&';
        ++i;
      } else {
        joined += body[i];
      }
    }
    body.swap(joined);
    WipeText(joined);
  }
  std::string trimmed = Trim(body);
  WipeText(body);
  return trimmed;
}

// ---- the request ----

std::string FoldHeaderLine(std::string_view line) {
  constexpr size_t kMax = 1024;
  std::string out;
  std::string current(line);  // continuation pieces carry their leading blank
  while (current.size() > kMax) {
    // Break at the last blank, tab or comma (outside quotes) that keeps the piece within
    // the limit, or else at the first one beyond it.
    size_t cut = std::string::npos;
    bool quoted = false;
    for (size_t i = 0; i + 1 < current.size(); ++i) {
      const char c = current[i];
      if (c == '"') quoted = !quoted;
      if (quoted || i == 0 || (c != ' ' && c != '\t' && c != ',')) continue;
      if (i < kMax) {
        cut = i;
      } else {
        if (cut == std::string::npos) cut = i;
        break;
      }
    }
    if (cut == std::string::npos) break;
    size_t rest = cut + 1;
    while (rest < current.size() && (current[rest] == ' ' || current[rest] == '\t')) ++rest;
    if (rest == current.size()) break;
    out += current.substr(0, current[cut] == ',' ? cut + 1 : cut) + "\r\n";
    current.erase(0, rest);
    current.insert(current.begin(), ' ');
  }
  return out + current;
}

namespace {

void AddHeader(std::string& head, std::string_view name, std::string_view value) {
  if (value.empty()) return;
  head += FoldHeaderLine(std::string(name) + ": " + std::string(value));
  head += "\r\n";
}

}  // namespace

std::string BuildRequestHead(std::string_view method, std::string_view target,
                             std::string_view version, const HttpRequestFields& f) {
  std::string head =
      std::string(method) + " " + std::string(target) + " HTTP/" + std::string(version) + "\r\n";
  AddHeader(head, "Connection", f.Connection);
  AddHeader(head, "Content-Version", f.ContentVersion);
  AddHeader(head, "Content-Encoding", f.ContentEncoding);
  AddHeader(head, "Content-Language", f.ContentLanguage);
  AddHeader(head, "Content-Type", f.ContentType);
  if (f.ContentLength >= 0) AddHeader(head, "Content-Length", std::to_string(f.ContentLength));
  AddHeader(head, "Cache-control", f.CacheControl);
  AddHeader(head, "Date", f.Date);
  AddHeader(head, "Expires", f.Expires);
  AddHeader(head, "Pragma", f.Pragma);
  for (const std::string& custom : f.CustomHeaders) {
    if (custom.empty()) continue;
    head += FoldHeaderLine(custom);
    head += "\r\n";
  }
  AddHeader(head, "Proxy-Connection", f.ProxyConnection);
  AddHeader(head, "Host", f.Host);
  AddHeader(head, "Accept", f.Accept);
  AddHeader(head, "Accept-Charset", f.AcceptCharset);
  AddHeader(head, "Accept-Encoding", f.AcceptEncoding);
  AddHeader(head, "Accept-Language", f.AcceptLanguage);
  AddHeader(head, "From", f.From);
  AddHeader(head, "Referer", f.Referer);
  AddHeader(head, "User-Agent", f.UserAgent);
  AddHeader(head, "If-Modified-Since", f.IfModifiedSince);
  AddHeader(head, "Range", f.Range);
  AddHeader(head, "Authorization", f.Authorization);
  AddHeader(head, "Proxy-Authorization", f.ProxyAuthorization);
  AddHeader(head, "Cookie", f.Cookie);
  head += "\r\n";
  return head;
}

std::string Base64Encode(std::string_view bytes) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const uint32_t v = static_cast<unsigned char>(bytes[i]) << 16 |
                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < bytes.size()) {
    uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

// ---- the reply ----

void HttpHeaderList::AddLine(std::string_view line) {
  if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !lines_.empty()) {
    lines_.back() += ' ';
    lines_.back() += Trim(line);
    return;
  }
  lines_.emplace_back(line);
}

namespace {

bool NameIs(const std::string& line, std::string_view name, size_t& colon) {
  colon = line.find(':');
  return colon != std::string::npos && SameTextAscii(std::string_view(line).substr(0, colon), name);
}

}  // namespace

std::string HttpHeaderList::Value(std::string_view name) const {
  size_t colon;
  for (const auto& l : lines_)
    if (NameIs(l, name, colon)) return Trim(std::string_view(l).substr(colon + 1));
  return {};
}

bool HttpHeaderList::Has(std::string_view name) const {
  size_t colon;
  for (const auto& l : lines_)
    if (NameIs(l, name, colon)) return true;
  return false;
}

std::vector<std::string> HttpHeaderList::Values(std::string_view name) const {
  std::vector<std::string> out;
  size_t colon;
  for (const auto& l : lines_)
    if (NameIs(l, name, colon)) out.push_back(Trim(std::string_view(l).substr(colon + 1)));
  return out;
}

int ParseStatusCode(std::string_view line) {
  size_t b = line.find(' ');
  if (b == std::string_view::npos) return -1;
  while (b < line.size() && line[b] == ' ') ++b;
  size_t e = line.find(' ', b);
  std::string_view word = line.substr(b, e == std::string_view::npos ? line.npos : e - b);
  if (word.empty() || word.size() > 9) return -1;
  int v = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

void HttpReplyHead::TakeFields() {
  StatusCode = ParseStatusCode(StatusLine);
  Location = Headers.Value("Location");
  Connection = Headers.Value("Connection");
  ProxyConnection = Headers.Value("Proxy-Connection");
  ContentType = Headers.Value("Content-Type");
  TransferEncoding = Headers.Value("Transfer-Encoding");
  HasContentLength = false;
  ContentLength = -1;
  if (Headers.Has("Content-Length")) {
    const std::string v = Trim(Headers.Value("Content-Length"));
    size_t i = v.size() > 0 && (v[0] == '-' || v[0] == '+') ? 1 : 0;
    if (i < v.size() && v.size() - i <= 18) {
      int64_t n = 0;
      bool ok = true;
      for (size_t k = i; k < v.size() && ok; ++k) {
        if (v[k] < '0' || v[k] > '9') ok = false;
        n = n * 10 + (v[k] - '0');
      }
      if (ok) {
        HasContentLength = true;
        ContentLength = v[0] == '-' ? -n : n;
      }
    }
  }
  WWWAuthenticate = Headers.Values("WWW-Authenticate");
  ProxyAuthenticate = Headers.Values("Proxy-Authenticate");
  SetCookie = Headers.Values("Set-cookie");
  SetCookie2 = Headers.Values("Set-cookie2");
}

HttpReplyHead ParseReplyHead(std::string_view text) {
  HttpReplyHead head;
  bool first = true;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    std::string_view line =
        text.substr(start, lf == std::string_view::npos ? text.npos : lf - start);
    start = lf == std::string_view::npos ? text.size() : lf + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      head.StatusLine = std::string(line);
      first = false;
      continue;
    }
    if (line.empty()) break;
    head.Headers.AddLine(line);
  }
  head.TakeFields();
  return head;
}

bool ReplyKeepsAlive(bool connected, bool version_1_0, std::string_view connection,
                     std::string_view proxy_connection) {
  if (!connected) return false;
  const std::string c = Trim(connection), p = Trim(proxy_connection);
  if (version_1_0) return SameTextAscii(c, "keep-alive") || SameTextAscii(p, "keep-alive");
  return !SameTextAscii(c, "close") && !SameTextAscii(p, "close");
}

HttpReplyAction DecideReply(int code, std::string_view location) {
  if ((code >= 300 && code <= 399 && code != 304) || !location.empty())
    return HttpReplyAction::Redirect;
  if (code >= 200 && code <= 299) return HttpReplyAction::Success;
  if (code == 401 || code == 407) return HttpReplyAction::Authorize;
  return HttpReplyAction::Refuse;
}

bool OffersBasic(const std::vector<std::string>& challenges) {
  for (const std::string& c : challenges) {
    const std::string scheme = c.substr(0, c.find(' '));
    if (SameTextAscii(Trim(scheme), "Basic")) return true;
  }
  return false;
}

int64_t ParseChunkSize(std::string_view line) {
  const size_t end = line.find_first_of(" ;\t");
  const std::string hex = Trim(line.substr(0, end));
  if (hex.empty() || hex.size() > 15) return 0;
  int64_t v = 0;
  for (char c : hex) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return 0;
    v = v * 16 + d;
  }
  return v;
}

}  // namespace vpn
