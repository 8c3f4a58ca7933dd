// The service configuration: the addresses and tunnel settings of the VPN service the
// program is handed out for. The build compiles in defaults; a service replaces them with
// service.ini beside the program, a UTF-8 text of "Key=Value" lines:
//
//   AccountQuery   the account query's endpoint (form post of user name and password)
//   RegisterPage   the page of "帐户注册" (account registration)
//   PasswordPage   the page of "修改密码" (password change)
//   RechargePage   the page of "自助充值" (recharge)
//   Banner         the page at the top of the main window
//   NodeList       the service's server list; empty: the service has none
//   PreSharedKey   the L2TP/IPsec pre-shared key; empty: none
//   TunnelType     Auto, IKEv2, SSTP, L2TP/IPsec, L2TP or PPTP; empty: the "L2TP模式"
//                  box chooses between L2TP and PPTP
//
// Key names are compared without regard to ASCII case, blanks around keys and values do
// not count, a value wholly in double quotes loses them (so a key may keep its blanks),
// an empty value keeps the default. Lines starting with ';' or '#' are comments; section
// lines ("[Service]") may stand anywhere and change nothing; unknown keys are ignored, so
// a newer file works with an older program. Addresses must begin with http:// or
// https://. A file with any fault is not used at all: a half-read file could send the
// subscriber's password to one service and the pages to another.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vpn::app {

struct ServiceConfig {
  std::string account_query;
  std::string register_page;
  std::string password_page;
  std::string recharge_page;
  std::string banner;
  std::string node_list;
  std::string pre_shared_key;
  std::string tunnel_type;  // one of the six spellings above, or empty

  bool operator==(const ServiceConfig&) const = default;
};

// What stopped a file from being used.
enum class ServiceConfigFault {
  kNone,
  kUnreadable,      // the file exists but could not be read
  kTooLarge,        // more than kMaxServiceConfigBytes
  kNotUtf8,         // a byte sequence that is not UTF-8
  kSyntax,          // a line that is no comment, section or "Key=Value"
  kRepeated,        // a known key given a second time
  kBadAddress,      // an address that is not http:// or https://, or has no host
  kBadTunnelType,   // not one of the six tunnel types
  kBadPreSharedKey  // not printable ASCII, or longer than kMaxPreSharedKey
};

// A service.ini is a few hundred bytes; anything this large is not one.
inline constexpr std::size_t kMaxServiceConfigBytes = 64 * 1024;
// The system takes the key as an 8-bit text of at most 256 characters with its end mark.
inline constexpr std::size_t kMaxPreSharedKey = 255;

struct ServiceConfigReading {
  ServiceConfig config;  // the file's values over the defaults, or the defaults alone
  ServiceConfigFault fault = ServiceConfigFault::kNone;
  int line = 0;  // the line of a line's fault, from 1; 0 for the whole file
};

// Reads a file's bytes over `defaults`. On any fault the result holds `defaults` unchanged.
ServiceConfigReading ReadServiceConfig(std::string_view text, const ServiceConfig& defaults);

// The status-bar text (GBK) that tells the user the file was not used; empty without fault.
std::string ServiceConfigStatus(const ServiceConfigReading& reading);

// An http:// or https:// address with a host (letters, digits, '-', '.', '_'), an optional
// port of 1 to 65535, and a path of printable ASCII without blanks.
bool IsWebAddress(std::string_view address);

// A pre-shared key as the system takes it: printable ASCII, at most kMaxPreSharedKey
// characters (the empty key passes: it means none).
bool IsPreSharedKey(std::string_view key);

// The tunnel type's own spelling for any spelling of it (ASCII case aside), or nullopt.
std::optional<std::string> TunnelTypeName(std::string_view text);

}  // namespace vpn::app
