#include "net/NetAccountQuery.h"

#include <cstdlib>

#include "Endpoints.h"
#include "core/text/text.h"

namespace vpn {

#if VPN_TEST_HOOKS
namespace {

// A test build's override from the environment. The shipped build does not compile it.
const char* TestOverride(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? v : nullptr;
}

void OverrideLimit(const char* name, int& limit) {
  const char* v = TestOverride(name);
  if (!v) return;
  char* end = nullptr;
  const long ms = std::strtol(v, &end, 10);
  if (end && *end == 0 && ms > 0 && ms < 24L * 3600 * 1000) limit = int(ms);
}

}  // namespace
#endif

std::string AccountEndpoint(const std::string& configured) {
#if VPN_TEST_HOOKS
  if (const char* url = TestOverride("VPN_ACCOUNT_URL")) return url;
#endif
  return configured;
}

TAccountQueryLimits AccountQueryLimits() {
  TAccountQueryLimits limits;
#if VPN_TEST_HOOKS
  OverrideLimit("VPN_ACCOUNT_CONNECT_TIMEOUT_MS", limits.ConnectTimeoutMs);
  OverrideLimit("VPN_ACCOUNT_READ_TIMEOUT_MS", limits.ReadTimeoutMs);
#endif
  return limits;
}

TAccountQueryResult RunAccountQuery(TNetHTTP& http, const std::string& url,
                                    std::string_view userName, std::string_view password,
                                    const TAccountQueryLimits& limits, std::string& reply) {
  const std::string user = Trim(userName);
  const std::string pass = Trim(password);
  if (user.empty()) return aqNoUserName;
  if (pass.empty()) return aqNoPassword;
  const std::vector<std::string> lines = {"UserID=" + user, "Upassword=" + pass};
  TNetMemoryStream body;
  try {
    http.ConnectTimeout = limits.ConnectTimeoutMs;
    http.ReadTimeout = limits.ReadTimeoutMs;
    http.Post(url, lines, body);
  } catch (...) {
    return aqFailed;
  }
  reply = body.DataString();
  return aqReply;
}

}  // namespace vpn
