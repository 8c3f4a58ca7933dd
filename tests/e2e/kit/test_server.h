// The test's own HTTP server (tests/unit/http/http_server.py), started around the
// end-to-end tests that need one; its address arrives in VPN_TEST_HTTP_URL.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "net/NetHTTP.h"
#include "tests/e2e/kit/e2e_kit.h"

namespace e2e {

inline std::string TestServerUrl() {
  const char* url = std::getenv("VPN_TEST_HTTP_URL");
  if (!url) throw Failure("VPN_TEST_HTTP_URL is not set: run through http_server.py");
  return url;
}

// Tells the server how its account page answers from now on ("count" changes nothing);
// returns the number of account queries it has answered so far.
inline int TestServer(const std::string& mode) {
  static TNetStackUser stack;  // one socket stack for the whole run
  TNetHTTP http;
  TNetMemoryStream reply;
  http.Post(TestServerUrl() + "/control/" + mode, std::vector<std::string>{"x=1"}, reply);
  return std::atoi(reply.DataString().c_str());
}

}  // namespace e2e
