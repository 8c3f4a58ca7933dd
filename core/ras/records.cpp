#include "core/ras/records.h"

#include <cstring>

namespace vpn::ras {

std::string PptpDeviceName() {
  return "WAN 微型端口 (PPTP)";
}
std::string L2tpDeviceName() {
  return "WAN 微型端口 (L2TP)";
}

bool BuildVpnEntry(std::string_view server, bool l2tp, RasEntryA& entry) {
  std::memset(&entry, 0, sizeof entry);
  RasEntryA e;
  std::memset(&e, 0, sizeof e);
  e.dwSize = sizeof(RasEntryA);
  e.dwfOptions = kEntryOptions;
  e.dwCountryID = 86;
  e.dwCountryCode = 86;
  if (!CopyText(e.szLocalPhoneNumber, server)) return false;
  e.dwfNetProtocols = kNetProtocolIp;
  e.dwFramingProtocol = kFramingPpp;
  CopyText(e.szDeviceType, "vpn");
  CopyText(e.szDeviceName, l2tp ? L2tpDeviceName() : PptpDeviceName());
  e.dwDialMode = kDialAll;
  e.dwDialExtraPercent = 75;
  e.dwDialExtraSampleSeconds = 120;
  e.dwHangUpExtraPercent = 10;
  e.dwHangUpExtraSampleSeconds = 120;
  e.dwType = kEntryTypeVpn;
  e.dwEncryptionType = kEncryptionOptional;
  e.dwVpnStrategy = l2tp ? kStrategyDefault : kStrategyPptpFirst;
  e.dwfOptions2 = kEntryOptions2;
  e.dwRedialCount = 3;
  e.dwRedialPause = 60;
  std::memcpy(&entry, &e, sizeof e);
  return true;
}

RasCredentialsA BuildClearCredentials() {
  RasCredentialsA c;
  std::memset(&c, 0, sizeof c);
  c.dwSize = sizeof(RasCredentialsA);
  c.dwMask = kCredentialMask;
  return c;
}

bool BuildEntryDialParams(std::string_view entry_name, RasDialParamsA& params) {
  std::memset(&params, 0, sizeof params);
  params.dwSize = sizeof(RasDialParamsA);
  if (!CopyText(params.szEntryName, entry_name)) {
    std::memset(&params, 0, sizeof params);
    return false;
  }
  return true;
}

bool BuildDialParams(std::string_view entry_name, std::string_view user_name,
                     std::string_view password, RasDialParamsA& params) {
  if (!BuildEntryDialParams(entry_name, params) || !CopyText(params.szUserName, user_name) ||
      !CopyText(params.szPassword, password)) {
    std::memset(&params, 0, sizeof params);
    return false;
  }
  return true;
}

std::string DialInputProblem(std::string_view server, std::string_view user_name,
                             std::string_view password) {
  if (server.size() > kMaxPhoneNumber) return "服务器地址太长(最多128字节)";
  if (user_name.size() > kUserNameLength) return "用户名太长(最多256字节)";
  if (password.size() > kPasswordLength) return "密码太长(最多256字节)";
  return {};
}

}  // namespace vpn::ras
