#include "core/app/connect_rules.h"

#include <climits>
#include <cstdint>

#include "core/text/text.h"

namespace vpn::app {

InputFault FirstInputFault(std::string_view server, std::string_view user_name,
                           std::string_view password) {
  // The first placeholder is compared as typed, the second after trimming: a server
  // "选择服务器列表 " with a blank passes and is dialed as written.
  if (server == "选择服务器列表") return InputFault::kServer;
  const std::string trimmed_server = Trim(server);
  if (trimmed_server == "请选择节点线路" || trimmed_server.empty()) return InputFault::kServer;
  if (Trim(user_name).empty()) return InputFault::kUserName;
  if (Trim(password).empty()) return InputFault::kPassword;
  return InputFault::kNone;
}

bool DialsWithProgress(std::string_view os_version_name) {
  return os_version_name == "Windows 2000" || os_version_name == "Windows XP";
}

std::string DialFailureStatus(std::int64_t code) {
  // Certificate errors (SSTP's 0x800B0109) have their top bit set: the progress path
  // hands them over as negative 32-bit numbers, the direct dial as large ones. Both show
  // the same number.
  if (code < 0 && code >= INT32_MIN) code = static_cast<std::uint32_t>(code);
  return "无法连接，错误号为:" + std::to_string(code);
}

std::string HangUpFailureStatus(std::int64_t code) {
  return "断开失败，错误号为:" + std::to_string(code);
}

bool RemembersPassword(std::string_view check_value) {
  return check_value == "Yes";
}

}  // namespace vpn::app
