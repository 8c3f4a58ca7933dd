// Text helpers shared by every layer. Texts are 8-bit GBK byte strings.
#pragma once

#include <string>
#include <string_view>

namespace vpn {

// Removes leading and trailing characters whose code is 32 or less (blanks, tabs,
// line breaks, control characters). GBK lead and trail bytes are all above 0x80, so
// this never cuts a Chinese character in half.
std::string Trim(std::string_view s);
// Whether Trim would leave nothing (the text is not copied: it may be a password).
bool IsBlank(std::string_view s);

// Lower-cases ASCII letters only; GBK double-byte characters are left alone.
std::string AsciiLower(std::string_view s);
std::string AsciiUpper(std::string_view s);

// Case-insensitive comparison of ASCII letters.
bool SameTextAscii(std::string_view a, std::string_view b);

}  // namespace vpn
