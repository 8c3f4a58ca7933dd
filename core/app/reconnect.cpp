#include "core/app/reconnect.h"

#include "core/app/connection_tip.h"
#include "core/tray/tray_text.h"

namespace vpn::app {

unsigned ReconnectDelaySeconds(unsigned attempt) {
  if (attempt == 0) attempt = 1;
  if (attempt >= 6) return 60;
  return 1u << attempt;
}

bool StopsReconnecting(std::int64_t error) {
  return error == kAuthenticationFailure;
}

std::string ReconnectWaitText(unsigned attempt, unsigned seconds, std::int64_t last_error) {
  std::string text =
      last_error == 0 ? "连接已断开，" : "重连失败，错误号为:" + std::to_string(last_error) + "，";
  return text + std::to_string(seconds) + "秒后第" + std::to_string(attempt) + "次重连";
}

std::string ReconnectDialText(unsigned attempt) {
  return "正在第" + std::to_string(attempt) + "次重连...";
}

std::string NetworkWaitText(unsigned attempt) {
  return "等待网络恢复后第" + std::to_string(attempt) + "次重连";
}

std::string ReconnectTip(std::string_view caption, std::string_view text) {
  std::string tip(caption);
  tip += ' ';
  tip += text;
  return std::string(GbkPrefix(tip, kTipBytes));
}

bool AutoReconnectOn(std::string_view value) {
  return value == "Yes";
}

}  // namespace vpn::app
