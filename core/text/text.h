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

// Whether `text` is well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view text);
// Whether every byte above 0x7F starts a GBK double-byte character (lead 0x81-0xFE, trail
// 0x40-0xFE but not 0x7F).
bool IsGbk(std::string_view text);

}  // namespace vpn
