#include "core/tray/tray_text.h"

namespace vpn {

std::string_view GbkPrefix(std::string_view s, std::size_t max_bytes) {
  if (s.size() <= max_bytes) return s;
  // Walk whole characters: a byte 0x81..0xFE starts a double-byte character.
  std::size_t i = 0;
  while (i < max_bytes) {
    auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = (c >= 0x81 && c <= 0xFE && i + 1 < s.size()) ? 2 : 1;
    if (i + len > max_bytes) break;
    i += len;
  }
  return s.substr(0, i);
}

}  // namespace vpn
