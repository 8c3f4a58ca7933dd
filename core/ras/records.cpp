#include "core/ras/records.h"

#include <cstring>

namespace vpn::ras {

std::string PptpDeviceName() {
  return "WAN 微型端口 (PPTP)";
}
std::string L2tpDeviceName() {
  return "WAN 微型端口 (L2TP)";
}

std::string TunnelDeviceName(Tunnel tunnel) {
  switch (tunnel) {
    case Tunnel::kIkev2:
      return "WAN 微型端口 (IKEv2)";
    case Tunnel::kSstp:
      return "WAN 微型端口 (SSTP)";
    case Tunnel::kL2tpIpsec:
    case Tunnel::kL2tp:
      return L2tpDeviceName();
    case Tunnel::kPptp:
      break;
  }
  return PptpDeviceName();
}

const char* TunnelName(Tunnel tunnel) {
  switch (tunnel) {
    case Tunnel::kIkev2:
      return "IKEv2";
    case Tunnel::kSstp:
      return "SSTP";
    case Tunnel::kL2tpIpsec:
      return "L2TP/IPsec";
    case Tunnel::kL2tp:
      return "L2TP";
    case Tunnel::kPptp:
      break;
  }
  return "PPTP";
}

namespace {

constexpr std::uint32_t kPppLogins = kOptionRequirePap | kOptionRequireSpap | kOptionRequireChap |
                                     kOptionRequireMsChap | kOptionRequireMsChap2;

// What differs between the tunnel types; everything else is the design's entry.
struct TunnelFields {
  std::uint32_t options, options2, strategy, encryption, custom_auth_key;
};

TunnelFields FieldsOf(Tunnel tunnel) {
  const std::uint32_t no_logins = kEntryOptions & ~kPppLogins;
  switch (tunnel) {
    case Tunnel::kIkev2:
      return {no_logins | kOptionRequireEap, kEntryOptions2, kStrategyIkev2Only, kEncryptionRequire,
              kEapMsChapV2};
    case Tunnel::kSstp:
      return {no_logins | kOptionRequireMsChap2, kEntryOptions2, kStrategySstpOnly,
              kEncryptionRequire, 0};
    case Tunnel::kL2tpIpsec:
      return {no_logins | kOptionRequireMsChap2, kEntryOptions2 | kOption2UsePreSharedKey,
              kStrategyL2tpOnly, kEncryptionRequire, 0};
    case Tunnel::kL2tp:
      return {kEntryOptions, kEntryOptions2, kStrategyDefault, kEncryptionOptional, 0};
    case Tunnel::kPptp:
      break;
  }
  return {kEntryOptions, kEntryOptions2, kStrategyPptpFirst, kEncryptionOptional, 0};
}

}  // namespace

bool BuildVpnEntry(std::string_view server, Tunnel tunnel, RasEntryA& entry) {
  std::memset(&entry, 0, sizeof entry);
  RasEntryA e;
  std::memset(&e, 0, sizeof e);
  const TunnelFields f = FieldsOf(tunnel);
  e.dwSize = sizeof(RasEntryA);
  e.dwfOptions = f.options;
  e.dwCountryID = 86;
  e.dwCountryCode = 86;
  if (!CopyText(e.szLocalPhoneNumber, server)) return false;
  e.dwfNetProtocols = kNetProtocolIp;
  e.dwFramingProtocol = kFramingPpp;
  CopyText(e.szDeviceType, "vpn");
  CopyText(e.szDeviceName, TunnelDeviceName(tunnel));
  e.dwDialMode = kDialAll;
  e.dwDialExtraPercent = 75;
  e.dwDialExtraSampleSeconds = 120;
  e.dwHangUpExtraPercent = 10;
  e.dwHangUpExtraSampleSeconds = 120;
  e.dwType = kEntryTypeVpn;
  e.dwEncryptionType = f.encryption;
  e.dwCustomAuthKey = f.custom_auth_key;
  e.dwVpnStrategy = f.strategy;
  e.dwfOptions2 = f.options2;
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

bool BuildPreSharedKeyCredentials(std::string_view key, RasCredentialsA& credentials) {
  std::memset(&credentials, 0, sizeof credentials);
  if (key.empty() || !CopyText(credentials.szPassword, key)) return false;
  credentials.dwSize = sizeof(RasCredentialsA);
  credentials.dwMask = kCredentialPreSharedKey;
  return true;
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
