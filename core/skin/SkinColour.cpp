#include "core/skin/SkinColour.h"

#include <string>

#include "core/text/text.h"

namespace vpn::skin {

TColor ParseColour(std::string_view text, TColor def) {
  if (text.empty()) return def;
  const std::string s = Trim(text);
  uint32_t part[3] = {0, 0, 0};
  int filled = 0;
  std::string digits;
  // Collected digits become a part when a non-digit follows them; a number beyond the
  // 32-bit range is not taken and its digits run on into the next number.
  auto take = [&](bool atEnd) {
    if (digits.empty()) return;
    uint64_t v = 0;
    for (char d : digits)
      if ((v = v * 10 + static_cast<uint64_t>(d - '0')) > 0x7FFFFFFFull) return;
    if (!atEnd && filled < 3) {
      part[filled++] = v;
    } else if (atEnd && filled == 2) {
      part[filled++] = v;
    }
    digits.clear();
  };
  for (char c : s) {
    if (c >= '0' && c <= '9') {
      digits += c;
    } else {
      take(false);
    }
  }
  take(true);
  return RgbColour(part[0] % 256, part[1] % 256, part[2] % 256);
}

}  // namespace vpn::skin
