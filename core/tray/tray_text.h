// Text limits of the notification-area icon: its tip, balloon text and balloon title
// live in fixed byte fields of the shell's record.
#pragma once

#include <cstddef>
#include <string_view>

namespace vpn {

// The longest start of a GBK string that fits in max_bytes bytes without cutting a
// double-byte character in half (a half character would show as a stray sign).
std::string_view GbkPrefix(std::string_view s, std::size_t max_bytes);

// Copies GbkPrefix(s, size - 1) into a fixed field and zero-fills the rest of it.
void CopyToField(std::string_view s, char* field, std::size_t size);

}  // namespace vpn
