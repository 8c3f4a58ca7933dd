#include "core/app/service_config.h"

#include <array>
#include <cstdint>

#include "core/text/text.h"

namespace vpn::app {

namespace {

bool StartsWithAscii(std::string_view text, std::string_view head) {
  return text.size() >= head.size() && SameTextAscii(text.substr(0, head.size()), head);
}

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

enum class Kind { kAddress, kPreSharedKey, kTunnelType };

struct Key {
  std::string_view name;
  Kind kind;
  std::string ServiceConfig::*field;
};

constexpr std::array<Key, 8> kKeys{{
    {"AccountQuery", Kind::kAddress, &ServiceConfig::account_query},
    {"RegisterPage", Kind::kAddress, &ServiceConfig::register_page},
    {"PasswordPage", Kind::kAddress, &ServiceConfig::password_page},
    {"RechargePage", Kind::kAddress, &ServiceConfig::recharge_page},
    {"Banner", Kind::kAddress, &ServiceConfig::banner},
    {"NodeList", Kind::kAddress, &ServiceConfig::node_list},
    {"PreSharedKey", Kind::kPreSharedKey, &ServiceConfig::pre_shared_key},
    {"TunnelType", Kind::kTunnelType, &ServiceConfig::tunnel_type},
}};

constexpr std::array<std::string_view, 6> kTunnelTypes{"Auto", "IKEv2",      "SSTP",
                                                       "L2TP", "L2TP/IPsec", "PPTP"};

// The value of one line with its check; kNone when it may be used.
ServiceConfigFault Accept(Kind kind, std::string_view value, std::string& out) {
  switch (kind) {
    case Kind::kAddress:
      if (!IsWebAddress(value)) return ServiceConfigFault::kBadAddress;
      out.assign(value);
      return ServiceConfigFault::kNone;
    case Kind::kPreSharedKey:
      if (!IsPreSharedKey(value)) return ServiceConfigFault::kBadPreSharedKey;
      out.assign(value);
      return ServiceConfigFault::kNone;
    case Kind::kTunnelType:
      if (auto name = TunnelTypeName(value)) {
        out = *name;
        return ServiceConfigFault::kNone;
      }
      return ServiceConfigFault::kBadTunnelType;
  }
  return ServiceConfigFault::kSyntax;
}

// The next line of `text` from `at` (ended by CR LF, LF or CR); `at` moves past its end.
std::string_view NextLine(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  std::size_t end = text.find_first_of("\r\n", start);
  if (end == std::string_view::npos) end = text.size();
  at = end;
  if (at < text.size() && text[at] == '\r') ++at;
  if (at < text.size() && text[at] == '\n') ++at;
  return text.substr(start, end - start);
}

// Blanks and tabs around a key or value; other control characters stay and are refused.
std::string_view StripBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

bool IsWebAddress(std::string_view address) {
  std::string_view rest;
  if (StartsWithAscii(address, "http://"))
    rest = address.substr(7);
  else if (StartsWithAscii(address, "https://"))
    rest = address.substr(8);
  else
    return false;
  for (char c : rest)
    if (c <= 0x20 || c >= 0x7F) return false;
  const std::size_t authority_end = rest.find_first_of("/?#");
  const std::string_view authority = rest.substr(0, authority_end);
  const std::size_t colon = authority.find(':');
  const std::string_view host = authority.substr(0, colon);
  if (host.empty()) return false;
  for (char c : host)
    if (!IsHostChar(c)) return false;
  if (colon != std::string_view::npos) {
    const std::string_view port = authority.substr(colon + 1);
    if (port.empty() || port.size() > 5) return false;
    unsigned value = 0;
    for (char c : port) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
  }
  return true;
}

bool IsPreSharedKey(std::string_view key) {
  if (key.size() > kMaxPreSharedKey) return false;
  for (char c : key)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

std::optional<std::string> TunnelTypeName(std::string_view text) {
  for (std::string_view name : kTunnelTypes)
    if (SameTextAscii(text, name)) return std::string(name);
  return std::nullopt;
}

ServiceConfigReading ReadServiceConfig(std::string_view text, const ServiceConfig& defaults) {
  ServiceConfigReading result{defaults};
  auto refuse = [&](ServiceConfigFault fault, int line) {
    result = ServiceConfigReading{defaults, fault, line};
    return result;
  };
  if (text.size() > kMaxServiceConfigBytes) return refuse(ServiceConfigFault::kTooLarge, 0);
  if (!IsUtf8(text)) return refuse(ServiceConfigFault::kNotUtf8, 0);
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

  ServiceConfig config = defaults;
  std::array<bool, kKeys.size()> seen{};
  std::size_t at = 0;
  for (int number = 1; at < text.size(); ++number) {
    const std::string_view line = StripBlanks(NextLine(text, at));
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return refuse(ServiceConfigFault::kSyntax, number);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0)
      return refuse(ServiceConfigFault::kSyntax, number);
    const std::string_view name = StripBlanks(line.substr(0, equals));
    std::string_view value = StripBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    for (std::size_t k = 0; k < kKeys.size(); ++k) {
      if (!SameTextAscii(name, kKeys[k].name)) continue;
      if (seen[k]) return refuse(ServiceConfigFault::kRepeated, number);
      seen[k] = true;
      if (value.empty()) break;  // as if it were not there: the default stays
      const ServiceConfigFault fault = Accept(kKeys[k].kind, value, config.*kKeys[k].field);
      if (fault != ServiceConfigFault::kNone) return refuse(fault, number);
      break;
    }
  }
  result.config = std::move(config);
  return result;
}

std::string ServiceConfigStatus(const ServiceConfigReading& reading) {
  const char* what = nullptr;
  switch (reading.fault) {
    case ServiceConfigFault::kNone:
      return {};
    case ServiceConfigFault::kUnreadable:
      return "无法读取 service.ini，已使用默认设置";
    case ServiceConfigFault::kTooLarge:
      return "service.ini 太大，已使用默认设置";
    case ServiceConfigFault::kNotUtf8:
      return "service.ini 不是 UTF-8 文本，已使用默认设置";
    case ServiceConfigFault::kSyntax:
      what = "格式错误";
      break;
    case ServiceConfigFault::kRepeated:
      what = "重复设置";
      break;
    case ServiceConfigFault::kBadAddress:
      what = "地址无效";
      break;
    case ServiceConfigFault::kBadTunnelType:
      what = "协议无效";
      break;
    case ServiceConfigFault::kBadPreSharedKey:
      what = "密钥无效";
      break;
  }
  return "service.ini 第" + std::to_string(reading.line) + "行" + what + "，已使用默认设置";
}

}  // namespace vpn::app
