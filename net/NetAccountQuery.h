// The account query: the subscriber's user name and password posted as a form to the
// service's account endpoint; the reply body is shown as it came. The window side (the
// main window's N3Click and the account window) calls RunAccountQuery.
#pragma once

#include <string>
#include <string_view>

#include "net/NetHTTP.h"

namespace vpn {

// The address the query posts to: the service's configured one; in test builds
// VPN_ACCOUNT_URL replaces it when set.
std::string AccountEndpoint(const std::string& configured);

// How long a query may wait. A server that accepts the connection and never answers
// would otherwise freeze the program for good: the query gives up after the read limit
// (30 s without a byte) or the connect limit (15 s), and reports the usual failure.
struct TAccountQueryLimits {
  int ConnectTimeoutMs = 15000;
  int ReadTimeoutMs = 30000;
};
// The limits above; in test builds VPN_ACCOUNT_CONNECT_TIMEOUT_MS and
// VPN_ACCOUNT_READ_TIMEOUT_MS replace them when set.
TAccountQueryLimits AccountQueryLimits();

enum TAccountQueryResult {
  aqNoUserName,  // the trimmed user name is empty: nothing was sent
  aqNoPassword,  // the trimmed password is empty: nothing was sent
  aqFailed,      // the post raised (any cause: connect, time-out, non-2xx, redirect, ...)
  aqReply,       // `reply` holds the body bytes as the server sent them
};

// Trims both fields, posts "UserID=..." and "Upassword=..." to `url` with `http` and
// the limits, and hands back the reply body. Never raises.
TAccountQueryResult RunAccountQuery(TNetHTTP& http, const std::string& url,
                                    std::string_view userName, std::string_view password,
                                    const TAccountQueryLimits& limits, std::string& reply);

}  // namespace vpn
