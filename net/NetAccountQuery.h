// The account query: the subscriber's user name and password posted as a form to the
// service's account endpoint; the reply body is shown as it came. The window side (the
// main window's N3Click and the account window) runs it as a TAccountQueryJob, so that
// the window keeps painting and answering while the service is waited for.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/text/secret.h"
#include "net/NetHTTP.h"
#include "net/NetWorker.h"

namespace vpn {

// The address the query posts to: the service's configured one; in test builds
// VPN_ACCOUNT_URL replaces it when set.
std::string AccountEndpoint(const std::string& configured);

// How long a query may wait and how much it takes. A server that accepts the connection
// and never answers, or sends a byte now and then for ever, would otherwise freeze the
// query for good: the connect gives up after 15 s, a read after 30 s without a byte, and
// the whole query after 35 s, whatever the server does; a reply body over 64 KiB is
// refused as soon as it passes that.
struct TAccountQueryLimits {
  int ConnectTimeoutMs = 15000;
  int ReadTimeoutMs = 30000;
  int TotalTimeoutMs = 35000;
  int64_t MaxBodyBytes = 64 * 1024;
};
// The limits above; in test builds VPN_ACCOUNT_CONNECT_TIMEOUT_MS,
// VPN_ACCOUNT_READ_TIMEOUT_MS and VPN_ACCOUNT_TOTAL_TIMEOUT_MS replace them when set.
TAccountQueryLimits AccountQueryLimits();

enum TAccountQueryResult {
  aqNoUserName,  // the trimmed user name is empty: nothing was sent
  aqNoPassword,  // the trimmed password is empty: nothing was sent
  aqFailed,      // the post raised (any cause: connect, time-out, non-2xx, redirect, size,
                 // given up), or the query was given up on
  aqReply,       // `reply` holds the body bytes as the server sent them
};

// Trims both fields, posts "UserID=..." and "Upassword=..." to `url` with `http` and
// the connect, read and size limits, and hands back the reply body. Setting `abort`
// (from another thread) ends the waiting within a fraction of a second as a failure.
// The copies of the password it makes are wiped. Never raises.
TAccountQueryResult RunAccountQuery(TNetHTTP& http, const std::string& url,
                                    std::string_view userName, std::string_view password,
                                    const TAccountQueryLimits& limits, std::string& reply,
                                    const std::atomic<bool>* abort = nullptr);

}  // namespace vpn

// One account query on a thread of its own (TNetWorker): the caller keeps the total
// limit and gives up with Stop when it has passed. The HTTP client is shared with the
// worker for as long as it runs.
class TAccountQueryJob {
 public:
  TAccountQueryJob(std::shared_ptr<TNetHTTP> http, std::string url, std::string userName,
                   vpn::SecretText password, vpn::TAccountQueryLimits limits,
                   std::function<void()> ended);
  ~TAccountQueryJob();
  TAccountQueryJob(const TAccountQueryJob&) = delete;
  TAccountQueryJob& operator=(const TAccountQueryJob&) = delete;

  // Whether the worker has ended; Result and Reply are final from then on.
  bool Ended() const;
  // Tells the worker to give up: it ends within a fraction of a second, as a failure.
  void Stop();
  vpn::TAccountQueryResult Result() const;
  const std::string& Reply() const;

 private:
  struct TShared;
  std::shared_ptr<TShared> FShared;
  std::unique_ptr<TNetWorker> FWorker;
};
