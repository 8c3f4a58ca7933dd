// Dates as HTTP and cookies write them. Moments are whole seconds since 1970-01-01 UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vpn {

// "Sun, 06 Nov 1994 08:49:37 GMT" (the form every reply and cookie should use).
std::string FormatInternetDate(int64_t unix_seconds);

// Reads the three forms servers send: "Sun, 06 Nov 1994 08:49:37 GMT",
// "Sunday, 06-Nov-94 08:49:37 GMT" and "Sun Nov  6 08:49:37 1994", and the cookie
// variant "Sun, 06-Nov-1994 08:49:37 GMT". A numeric zone ("+0800") is applied; no zone
// means GMT. The weekday is not checked. Nothing is returned for text that is not a date.
std::optional<int64_t> ParseInternetDate(std::string_view text);

// The current moment (system clock) in whole seconds.
int64_t UnixNow();

}  // namespace vpn
