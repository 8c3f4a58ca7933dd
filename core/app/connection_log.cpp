#include "core/app/connection_log.h"

#include <algorithm>
#include <cstdio>

#include "core/tray/tray_text.h"

namespace vpn::app {

namespace {

const char* KindLabel(LogKind kind) {
  switch (kind) {
    case LogKind::State:
      return "[状态]";
    case LogKind::Status:
      return "[信息]";
    case LogKind::Error:
      return "[错误]";
    case LogKind::System:
      return "[系统]";
    case LogKind::Command:
      return "[命令]";
  }
  return "[?]";
}

// The newest whole lines of `text` that fit in `room` bytes: its suffix from the first
// line start at or after text.size() - room.
std::string_view NewestLines(std::string_view text, std::size_t room) {
  if (text.size() <= room) return text;
  const std::size_t from = text.size() - room;
  if (from > 0 && text[from - 1] == '\n') return text.substr(from);
  const std::size_t end = text.find('\n', from);
  return end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
}

}  // namespace

std::string LogLine(const LogTime& time, LogKind kind, std::string_view text) {
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", time.year, time.month,
                time.day, time.hour, time.minute, time.second, time.millisecond);
  std::string line = stamp;
  line += KindLabel(kind);
  line += ' ';
  for (char c : GbkPrefix(text, kLogEntryBytes))
    line += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  line += "\r\n";
  return line;
}

std::string LogAfterAppend(std::string_view existing, std::string_view incoming,
                           std::size_t limit) {
  std::string_view body = existing;
  if (body.starts_with(kUtf8Mark)) body.remove_prefix(kUtf8Mark.size());
  // A last line that a crash cut short does not swallow the first new one.
  const bool needs_break = !body.empty() && body.back() != '\n';
  const std::string_view brk = needs_break ? "\r\n" : "";
  std::string out(kUtf8Mark);
  const std::size_t room = limit > kUtf8Mark.size() ? limit - kUtf8Mark.size() : 0;
  if (body.size() + brk.size() + incoming.size() <= room) {
    out.append(body).append(brk).append(incoming);
    return out;
  }
  if (incoming.size() > room / 2) {
    out.append(NewestLines(incoming, room));
    return out;
  }
  // The older half goes; the newer half stays as far as the new lines leave room.
  const std::size_t used = brk.size() + incoming.size();
  const std::size_t keep = std::min(body.size() / 2, room > used ? room - used : 0);
  const std::string_view kept = NewestLines(body, keep);
  out.append(kept);
  if (!kept.empty()) out.append(brk);
  out.append(incoming);
  return out;
}

bool AppendFits(std::uint64_t file_size, std::size_t incoming, std::size_t limit) {
  const std::uint64_t mark = file_size == 0 ? kUtf8Mark.size() : 0;
  return file_size + mark + incoming <= limit;
}

const char* StateLabel(ConnectionState state) {
  switch (state) {
    case ConnectionState::Idle:
      return "未连接";
    case ConnectionState::Dialing:
      return "正在连接";
    case ConnectionState::Connected:
      return "已连接";
    case ConnectionState::Dropped:
      return "连接已断开";
    case ConnectionState::WaitingToReconnect:
      return "等待重连";
    case ConnectionState::Reconnecting:
      return "正在重连";
    case ConnectionState::Disconnecting:
      return "正在断开";
    case ConnectionState::Failed:
      return "连接失败";
  }
  return "?";
}

std::string StateChangeText(ConnectionState from, ConnectionState to, ConnectionEvent why) {
  return std::string(StateLabel(from)) + " → " + StateLabel(to) + "（" + EventName(why) + "）";
}

}  // namespace vpn::app
