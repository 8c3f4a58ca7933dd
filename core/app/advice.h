// What a subscriber can try when a dial fails: one plain sentence for each error the
// service's subscribers meet most, shown after the error's own text and kept in the
// connection log.
#pragma once

#include <cstdint>
#include <string>

namespace vpn::app {

// The advice for a remote-access error number (the system's numbers, and the
// certificate errors an SSTP dial reports, whether they arrive as 32-bit unsigned or
// signed values). An error without a sentence of its own gets a general one; 0 gets none.
std::string DialAdvice(std::int64_t code);

// The failure as the user reads it: the status text of the failed dial ("无法连接，错误号为:691"),
// a line break, then the advice.
std::string DialFailureText(std::int64_t code);

}  // namespace vpn::app
