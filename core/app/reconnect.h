// Dialing again after the line dropped: how long each wait lasts, which failures end the
// tries, and the texts that show the tries in the status bar and the tray tip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vpn::app {

// The wrong user name or password: dialing again cannot help.
inline constexpr std::int64_t kAuthenticationFailure = 691;

// The wait before try `attempt` (1, 2, ...): 2, 4, 8, 16, 32 seconds, then 60 for every
// later try.
unsigned ReconnectDelaySeconds(unsigned attempt);

// Whether a failed try ends the reconnecting.
bool StopsReconnecting(std::int64_t error);

// While waiting for try `attempt`: "连接已断开，2秒后第1次重连", or, after a failed
// try, "重连失败，错误号为:800，4秒后第2次重连".
std::string ReconnectWaitText(unsigned attempt, unsigned seconds, std::int64_t last_error);

// While try `attempt` dials: "正在第1次重连...".
std::string ReconnectDialText(unsigned attempt);

// While try `attempt` waits for the network to come back (after the machine woke):
// "等待网络恢复后第1次重连".
std::string NetworkWaitText(unsigned attempt);

// The tray tip of a reconnect text: the caption, a blank, the text, cut to the tip's room.
std::string ReconnectTip(std::string_view caption, std::string_view text);

// The settings value of the auto-reconnect choice: "Yes" or "No"; only "Yes" turns it on
// (a missing value reads as empty and so as off).
inline const char* AutoReconnectValue(bool on) {
  return on ? "Yes" : "No";
}
bool AutoReconnectOn(std::string_view value);

}  // namespace vpn::app
