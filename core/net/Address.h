// IPv4 address texts: the is-address test, and the conversions between a dotted text
// and the four address bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vpn::net {

// Splits the text at its first three "." into four parts (the fourth is the rest) and
// reads each as a decimal integer 0..255. False for anything else, so three parts or a
// fifth part fail. The bytes are in wire order (first part first).
bool ParseAddress(std::string_view text, uint8_t bytes[4]);

inline bool IsAddress(std::string_view text) {
  uint8_t b[4];
  return ParseAddress(text, b);
}

// "a.b.c.d", each byte in decimal.
std::string DottedAddress(const uint8_t bytes[4]);

}  // namespace vpn::net
