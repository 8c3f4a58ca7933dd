// Text limits of the notification-area icon: its tip, balloon text and balloon title
// are held to the byte lengths of their GBK texts (127, 255 and 63 bytes).
#pragma once

#include <cstddef>
#include <string_view>

namespace vpn {

// The longest start of a GBK string that fits in max_bytes bytes without cutting a
// double-byte character in half (a half character would show as a stray sign).
std::string_view GbkPrefix(std::string_view s, std::size_t max_bytes);

}  // namespace vpn
