// Set-cookie and Set-cookie2 values as servers send them, stored and sent back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/http/Cookies.h"
#include "core/http/InternetDate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // First line: the host; the rest: one header value per line.
  const size_t nl = text.find('\n');
  const std::string_view host = nl == std::string_view::npos ? "h.example" : text.substr(0, nl);
  if (nl != std::string_view::npos) text.remove_prefix(nl + 1);
  TNetCookieManager mgr;
  mgr.Clock = [] { return int64_t{1700000000}; };
  bool two = false;
  while (!text.empty()) {
    const size_t e = text.find('\n');
    const std::string_view value = text.substr(0, e);
    if (two)
      mgr.AddCookie2(value, host);
    else
      mgr.AddCookie(value, host);
    two = !two;
    if (e == std::string_view::npos) break;
    text.remove_prefix(e + 1);
  }
  mgr.GenerateCookieList(host, "/", false);
  if (auto t = vpn::ParseInternetDate(text)) {
    if (*t > -(int64_t{1} << 50) && *t < (int64_t{1} << 50) &&
        vpn::ParseInternetDate(vpn::FormatInternetDate(*t)) != t)
      __builtin_trap();
  }
  return 0;
}
