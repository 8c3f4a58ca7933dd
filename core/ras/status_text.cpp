#include "core/ras/status_text.h"

#include <array>
#include <cstring>

namespace vpn::ras {

namespace {

struct StateTexts {
  std::int32_t state;
  const char* english;
  const char* lower;
  const char* chinese;
};

constexpr std::array<StateTexts, 28> kStates = {{
    {0, "Opening port", "opening port", "打开端口"},
    {1, "Port opened", "port opened", "端口完成"},
    {2, "Connecting device", "connecting device", "连接硬件"},
    {3, "Device connected", "device connected", "硬件完成"},
    {4, "All devices connected", "all devices connected", "所有硬件完成"},
    {5, "Start authenticating", "start authenticating", "状态识别"},
    {6, "Authentication: notify", "authentication: notify", "状态: 通报"},
    {7, "Authentication: retry", "authentication: retry", "状态: 重试"},
    {8, "Authentication: callback", "authentication: callback", "状态: 回调"},
    {9, "Authentication: change password", "authentication: change password", "状态: 更改密码"},
    {10, "Authentication: projecting", "authentication: projecting", "状态: 连接中..."},
    {11, "Authentication: link speed", "authentication: link speed", "状态: 连接速度"},
    {12, "Authentication: acknowledge", "authentication: acknowledge", "状态: 应答"},
    {13, "Authentication: reauthenticate", "authentication: reauthenticate",
     "状态: reauthenticate"},
    {14, "Authenticated", "authenticated", "状态识别完成"},
    {15, "Preparing for callback", "preparing for callback", "预备回调"},
    {16, "Waiting for modem reset", "waiting for modem reset", "等待modem重设"},
    {17, "Waiting for callback", "waiting for callback", "等待回调"},
    {18, "Projected", "projected", "设定完成"},
    {19, "Start authentication", "start authentication", "状态识别中"},
    {20, "Callback complete", "callback complete", "回调完成"},
    {21, "Logging on network", "logging on network", "连接网络"},
    {4096, "Interactive", "interactive", "交互中..."},
    {4097, "Retry Authentication", "retry authentication", "重新识别状态"},
    {4098, "Callback set by caller", "callback set by caller", "呼叫回调"},
    {4099, "Password expired", "password expired", "密码过期"},
    {8192, "Connected", "connected", "连接完成"},
    {8193, "Disconnected", "disconnected", "断开连接"},
}};

constexpr std::uint32_t kErrorBufferSize = 100;

}  // namespace

std::string StateText(StatusTable table, std::int32_t state) {
  const StateTexts* row = nullptr;
  for (const auto& r : kStates) {
    if (r.state == state) row = &r;
  }
  if (row == nullptr) return {};
  switch (table) {
    case StatusTable::English:
      return row->english;
    case StatusTable::LowerCase:
      return row->lower;
    case StatusTable::Chinese:
      return row->chinese;
  }
  return {};
}

std::string UnknownErrorText() {
  return "未知错误";
}

std::string ErrorText(std::int32_t error, const ErrorStringFn& error_string) {
  char buffer[kErrorBufferSize];
  std::memset(buffer, 0, sizeof buffer);
  if (error_string(static_cast<std::uint32_t>(error), buffer, kErrorBufferSize) != 0) {
    return UnknownErrorText();
  }
  std::size_t n = 0;
  while (n < sizeof buffer && buffer[n] != 0) ++n;
  return std::string(buffer, n);
}

std::string StatusText(StatusTable table, std::int32_t state, std::int32_t error,
                       const ErrorStringFn& error_string) {
  if (error != 0) return ErrorText(error, error_string);
  return StateText(table, state);
}

}  // namespace vpn::ras
