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
  OverrideLimit("VPN_ACCOUNT_TOTAL_TIMEOUT_MS", limits.TotalTimeoutMs);
#endif
  return limits;
}

TAccountQueryResult RunAccountQuery(TNetHTTP& http, const std::string& url,
                                    std::string_view userName, std::string_view password,
                                    const TAccountQueryLimits& limits, std::string& reply,
                                    const std::atomic<bool>* abort) {
  const std::string user = Trim(userName);
  const SecretText pass(Trim(password));
  if (user.empty()) return aqNoUserName;
  if (pass.empty()) return aqNoPassword;
  // Built in place: a list written out would be copied into the vector, and the copies'
  // sources would go unwiped.
  std::vector<std::string> lines(2);
  lines[0] = "UserID=" + user;
  lines[1].reserve(pass.size() + 16);
  lines[1] = "Upassword=";
  lines[1] += pass.str();
  struct TWipeLines {
    std::vector<std::string>& l;
    ~TWipeLines() {
      for (std::string& line : l) WipeText(line);
    }
  } wipe{lines};
  TNetMemoryStream body;
  http.ConnectTimeout = limits.ConnectTimeoutMs;
  http.ReadTimeout = limits.ReadTimeoutMs;
  http.MaxBodyBytes = limits.MaxBodyBytes;
  http.Abort = abort;
  try {
    http.Post(url, lines, body);
  } catch (...) {
    http.Abort = nullptr;
    return aqFailed;
  }
  http.Abort = nullptr;
  reply = body.DataString();
  return aqReply;
}

}  // namespace vpn

struct TAccountQueryJob::TShared {
  std::shared_ptr<TNetHTTP> Http;
  std::string Url, UserName;
  vpn::SecretText Password;
  vpn::TAccountQueryLimits Limits;
  vpn::TAccountQueryResult Result = vpn::aqFailed;
  std::string Reply;
};

TAccountQueryJob::TAccountQueryJob(std::shared_ptr<TNetHTTP> http, std::string url,
                                   std::string userName, vpn::SecretText password,
                                   vpn::TAccountQueryLimits limits, std::function<void()> ended)
    : FShared(std::make_shared<TShared>()) {
  FShared->Http = std::move(http);
  FShared->Url = std::move(url);
  FShared->UserName = std::move(userName);
  FShared->Password = std::move(password);
  FShared->Limits = limits;
  FWorker = std::make_unique<TNetWorker>(
      [shared = FShared](const std::atomic<bool>& abort) {
        std::string reply;
        const vpn::TAccountQueryResult result =
            vpn::RunAccountQuery(*shared->Http, shared->Url, shared->UserName,
                                 shared->Password.view(), shared->Limits, reply, &abort);
        shared->Password = vpn::SecretText();
        shared->Result = abort ? vpn::aqFailed : result;
        shared->Reply = std::move(reply);
      },
      std::move(ended));
}

TAccountQueryJob::~TAccountQueryJob() = default;

bool TAccountQueryJob::Ended() const {
  return FWorker->Ended();
}

void TAccountQueryJob::Stop() {
  FWorker->Stop();
}

vpn::TAccountQueryResult TAccountQueryJob::Result() const {
  return FWorker->Ended() ? FShared->Result : vpn::aqFailed;
}

const std::string& TAccountQueryJob::Reply() const {
  return FShared->Reply;
}
