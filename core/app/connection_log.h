// The connection log's lines and the rule that keeps its file small. The file is UTF-8
// with a byte-order mark, one entry a line (CR LF), each line beginning with the local
// time to the millisecond:
//   2024-05-06 21:03:17.042 [状态] 正在连接 → 已连接
// The file never passes its limit: before an append would take it over, the older half
// goes (cut at a line start), and the newer half stays with the new lines after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/app/connection_state.h"

namespace vpn::app {

inline constexpr std::size_t kLogLimitBytes = 1024 * 1024;
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// An entry's text is cut to this many bytes (a runaway text cannot fill the file).
inline constexpr std::size_t kLogEntryBytes = 2048;

struct LogTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The kind of an entry, shown in brackets after the time.
enum class LogKind { State, Status, Error, System, Command };

// "YYYY-MM-DD HH:MM:SS.mmm [kind] text\r\n" in the program's text (GBK; the writer turns
// it into the file's UTF-8). Line breaks and other control characters in the text become
// blanks; the text is cut to kLogEntryBytes without splitting a GBK character.
std::string LogLine(const LogTime& time, LogKind kind, std::string_view text);

// What the file holds after `incoming` (whole lines) has been appended to `existing`
// (the file as read, mark and all): the mark, then either everything, or, when that
// would pass `limit`, the lines of the newer half of `existing` followed by `incoming`.
// When even `incoming` alone is over half the limit, only its newest lines that fit
// are kept.
std::string LogAfterAppend(std::string_view existing, std::string_view incoming,
                           std::size_t limit = kLogLimitBytes);

// Whether appending `incoming` to a file of `file_size` bytes stays within `limit`
// (a file of 0 bytes gets the mark first).
bool AppendFits(std::uint64_t file_size, std::size_t incoming, std::size_t limit = kLogLimitBytes);

// The words the log uses for a state ("已连接") and a state change
// ("正在连接 → 已连接（LineUp）").
const char* StateLabel(ConnectionState state);
std::string StateChangeText(ConnectionState from, ConnectionState to, ConnectionEvent why);

}  // namespace vpn::app
