// Web addresses as the HTTP client takes them apart.
#pragma once

#include <string>
#include <string_view>

// The parts of an address. "http://user:pw@host:9100/a/b/c.php?x=1#top" gives protocol
// "http", user "user", password "pw", host "host", port "9100", path "/a/b/", document
// "c.php", parameters "?x=1" and bookmark "top". Empty parts are empty texts.
struct TNetURI {
  std::string Protocol;
  std::string Host;
  std::string Port;
  std::string Path;
  std::string Document;
  std::string Params;
  std::string Bookmark;
  std::string Username;
  std::string Password;

  // Takes an address apart. Backslashes count as "/". Without "://" the text is a path
  // (relative or absolute) with an optional document and parameters.
  static TNetURI Parse(std::string_view url);

  // What follows the host in a request line: path, document and parameters.
  std::string Target() const { return Path + Document + Params; }
};

namespace vpn {

// The path of a request resolved against the previous request's path: an absolute path
// replaces it, a relative one is appended to it with "." and ".." applied. The result
// begins and ends with "/".
std::string ResolveRequestPath(std::string_view previous, std::string_view path);

// Percent-decoding of %XX groups (a user name or password in an address).
std::string PercentDecode(std::string_view s);

}  // namespace vpn
