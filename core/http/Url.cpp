#include "core/http/Url.h"

#include <vector>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Splits "a/b/c.php?x=1" into path "a/b/", document "c.php" and parameters "?x=1". The
// path ends at the last "/" before the parameters; without "?" a "=" marks where they
// would begin, so a "/" inside a value is not taken for a folder.
void SplitPathPart(std::string_view s, TNetURI& u) {
  size_t limit = s.find('?');
  if (limit == std::string_view::npos) limit = s.find('=');
  const size_t slash = s.substr(0, limit).rfind('/');
  std::string_view rest = s;
  if (slash != std::string_view::npos) {
    u.Path += std::string(s.substr(0, slash + 1));
    rest = s.substr(slash + 1);
  }
  const size_t q = rest.find('?');
  u.Document = std::string(rest.substr(0, q));
  if (q != std::string_view::npos) u.Params = std::string(rest.substr(q));
}

}  // namespace

TNetURI TNetURI::Parse(std::string_view url) {
  std::string text(url);
  for (char& c : text)
    if (c == '\\') c = '/';
  TNetURI u;
  // The bookmark belongs to the browser; it is never part of a request.
  if (size_t hash = text.find('#'); hash != std::string::npos) {
    u.Bookmark = text.substr(hash + 1);
    text.erase(hash);
  }
  std::string_view s = text;
  const size_t sep = s.find("://");
  if (sep == std::string_view::npos) {
    SplitPathPart(s, u);
    return u;
  }
  u.Protocol = std::string(s.substr(0, sep));
  s = s.substr(sep + 3);
  size_t end = s.find_first_of("/?");
  std::string_view authority = s.substr(0, end);
  s = end == std::string_view::npos ? std::string_view() : s.substr(end);
  if (size_t at = authority.rfind('@'); at != std::string_view::npos) {
    std::string_view user = authority.substr(0, at);
    authority = authority.substr(at + 1);
    const size_t colon = user.find(':');
    u.Username = vpn::PercentDecode(user.substr(0, colon));
    if (colon != std::string_view::npos) u.Password = vpn::PercentDecode(user.substr(colon + 1));
  }
  const size_t colon = authority.find(':');
  u.Host = std::string(authority.substr(0, colon));
  if (colon != std::string_view::npos) u.Port = std::string(authority.substr(colon + 1));
  u.Path.assign(1, '/');
  if (!s.empty() && s[0] == '/') s = s.substr(1);
  SplitPathPart(s, u);
  return u;
}

namespace vpn {

std::string ResolveRequestPath(std::string_view previous, std::string_view path) {
  std::string joined;
  if (!path.empty() && path[0] == '/')
    joined = std::string(path);
  else
    joined =
        std::string(previous.empty() ? std::string_view("/") : previous) + "/" + std::string(path);
  // Apply "." and ".." segment by segment; ".." never climbs above the root.
  std::vector<std::string> segs;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t slash = joined.find('/', start);
    if (slash == std::string::npos) slash = joined.size();
    std::string seg = joined.substr(start, slash - start);
    if (seg == "..") {
      if (!segs.empty()) segs.pop_back();
    } else if (!seg.empty() && seg != ".") {
      segs.push_back(seg);
    }
    start = slash + 1;
  }
  std::string out = "/";
  for (const auto& seg : segs) out += seg + "/";
  return out;
}

std::string PercentDecode(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace vpn
