// The notification-area tip while the tunnel is up: the window's caption, the time the
// line has been connected and the bytes sent and received so far. The tip lives in a
// 128-byte field of the shell's record, so the text is kept to 127 GBK bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vpn::app {

// The room the shell's record has for the tip text (its terminating NUL not counted).
inline constexpr std::size_t kTipBytes = 127;

// "HH:MM:SS"; the hours go on past 99 ("123:04:05").
std::string ConnectedTime(std::uint64_t seconds);

// A byte count for people: below 1024 in bytes ("512 B"), otherwise with one decimal in
// the largest binary unit that keeps it at 1.0 or more ("1.2 KB", "15.8 MB", "2.0 GB"),
// rounded to the nearest tenth.
std::string ByteAmount(std::uint64_t bytes);

// The system's byte counters are 32 bits wide and start again at 0 after 4 GiB: the
// running 64-bit total after `total` when the counter now reads `counter` (read often
// enough that it cannot have gone round more than once in between).
std::uint64_t ExtendCounter(std::uint64_t total, std::uint32_t counter);

// "<caption> 已连接 01:02:03 ↑1.2 MB ↓15.8 MB" (the arrows exist in GBK: A1FC, A1FD),
// cut between characters to kTipBytes.
std::string ConnectedTip(std::string_view caption, std::uint64_t seconds, std::uint64_t sent,
                         std::uint64_t received);

}  // namespace vpn::app
