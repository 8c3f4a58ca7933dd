// The text of HTTP requests and replies: form bodies, the request head, reply heads and
// the rules the client applies to a reply. No sockets here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vpn {

// ---- form bodies ----

// A form value as a form post sends it: letters and digits stay, a blank becomes "+",
// every other byte (each byte of a GBK character too) becomes "%" and two upper-case
// hexadecimal digits.
std::string EncodeFormValue(std::string_view value);

// The body of a form post from lines "name=value". With `encode_values` every value
// (the text after a line's first "=") is encoded; names never are. One line gives that
// line; two or more give every line followed by "&". Leading and trailing blanks and
// control characters are removed from the result.
std::string BuildFormBody(const std::vector<std::string>& lines, bool encode_values);

// ---- the request ----

// The header fields of a request, sent in this order when not empty (ContentLength when
// not negative), with the custom lines between Pragma and Proxy-Connection.
struct HttpRequestFields {
  std::string Connection, ContentVersion, ContentEncoding, ContentLanguage, ContentType;
  int64_t ContentLength = -1;
  std::string CacheControl, Date, Expires, Pragma;
  std::vector<std::string> CustomHeaders;  // whole "Name: value" lines
  std::string ProxyConnection, Host, Accept, AcceptCharset, AcceptEncoding, AcceptLanguage, From,
      Referer, UserAgent, IfModifiedSince, Range, Authorization, ProxyAuthorization, Cookie;
};

// Request line, header lines and the empty line, each ended by CR LF. A header line
// longer than 1024 characters is folded onto continuation lines that begin with a blank.
std::string BuildRequestHead(std::string_view method, std::string_view target,
                             std::string_view version, const HttpRequestFields& fields);

// Folds one header line (without its CR LF) after blanks, tabs or commas outside double
// quotes so that no piece is longer than 1024 characters where that is possible.
std::string FoldHeaderLine(std::string_view line);

std::string Base64Encode(std::string_view bytes);

// ---- the reply ----

// Header lines of a reply in arrival order. A line that begins with a blank or a tab
// continues the previous line's value.
class HttpHeaderList {
 public:
  void AddLine(std::string_view line);
  size_t Count() const { return lines_.size(); }
  const std::string& Line(size_t i) const { return lines_[i]; }
  // The value of the first header of this name (letter case ignored), trimmed.
  std::string Value(std::string_view name) const;
  bool Has(std::string_view name) const;
  // The values of every header of this name, in order.
  std::vector<std::string> Values(std::string_view name) const;

 private:
  std::vector<std::string> lines_;
};

// The second blank-separated word of the status line as a decimal number; -1 otherwise.
int ParseStatusCode(std::string_view status_line);

// What the client keeps of one reply head.
struct HttpReplyHead {
  std::string StatusLine;
  int StatusCode = -1;
  HttpHeaderList Headers;
  std::string Location, Connection, ProxyConnection, ContentType, TransferEncoding;
  bool HasContentLength = false;
  int64_t ContentLength = -1;
  std::vector<std::string> WWWAuthenticate, ProxyAuthenticate, SetCookie, SetCookie2;

  // Fills the fields above from the header lines.
  void TakeFields();
};

// A whole reply head as text (status line, header lines, up to the empty line).
HttpReplyHead ParseReplyHead(std::string_view text);

// Whether the connection may stay open after this reply.
bool ReplyKeepsAlive(bool connected, bool version_1_0, std::string_view connection,
                     std::string_view proxy_connection);

// What the client does with a reply.
enum class HttpReplyAction { Success, Redirect, Authorize, Refuse };
HttpReplyAction DecideReply(int status_code, std::string_view location);

// Whether any challenge line names the Basic scheme.
bool OffersBasic(const std::vector<std::string>& challenges);

// The size on a chunk line: hexadecimal up to the first blank or ";"; 0 when unreadable
// or too large to be real.
int64_t ParseChunkSize(std::string_view line);

}  // namespace vpn
