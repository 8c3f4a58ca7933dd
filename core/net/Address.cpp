#include "core/net/Address.h"

namespace vpn::net {

namespace {

// A part reads as an integer when it is a run of decimal digits, optionally signed, of a
// value 0..255. Leading zeros are accepted ("010" is 10), blanks are not.
bool ReadByte(std::string_view part, uint8_t& out) {
  if (part.empty()) return false;
  size_t i = 0;
  if (part[0] == '+' || part[0] == '-') i = 1;
  if (i == part.size()) return false;
  unsigned value = 0;
  for (; i < part.size(); ++i) {
    char c = part[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + unsigned(c - '0');
    if (value > 255) return false;
  }
  if (part[0] == '-' && value != 0) return false;
  out = uint8_t(value);
  return true;
}

}  // namespace

bool ParseAddress(std::string_view text, uint8_t bytes[4]) {
  for (int i = 0; i < 3; ++i) {
    size_t dot = text.find('.');
    if (dot == std::string_view::npos) return false;
    if (!ReadByte(text.substr(0, dot), bytes[i])) return false;
    text.remove_prefix(dot + 1);
  }
  return ReadByte(text, bytes[3]);
}

std::string DottedAddress(const uint8_t bytes[4]) {
  std::string s;
  for (int i = 0; i < 4; ++i) {
    if (i) s += '.';
    s += std::to_string(bytes[i]);
  }
  return s;
}

}  // namespace vpn::net
