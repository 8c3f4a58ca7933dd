#include "core/app/tunnel_choice.h"

#include <charconv>

#include "core/app/service_config.h"

namespace vpn::app {

using ras::Tunnel;

namespace {

struct Spelling {
  TunnelChoice choice;
  const char* value;
};
constexpr Spelling kSpellings[] = {
    {TunnelChoice::kAuto, "Auto"}, {TunnelChoice::kIkev2, "IKEv2"},
    {TunnelChoice::kSstp, "SSTP"}, {TunnelChoice::kL2tpIpsec, "L2TP/IPsec"},
    {TunnelChoice::kL2tp, "L2TP"}, {TunnelChoice::kPptp, "PPTP"},
};

bool InRange(std::uint32_t code, std::uint32_t first, std::uint32_t last) {
  return code >= first && code <= last;
}

}  // namespace

std::string ProtocolValue(TunnelChoice choice) {
  for (const Spelling& s : kSpellings)
    if (s.choice == choice) return s.value;
  return {};
}

std::optional<TunnelChoice> ChoiceOfProtocol(std::string_view value) {
  const std::optional<std::string> name = TunnelTypeName(value);
  if (!name) return std::nullopt;
  for (const Spelling& s : kSpellings)
    if (*name == s.value) return s.choice;
  return std::nullopt;
}

TunnelChoice ChoiceInForce(std::string_view protocol_setting,
                           std::string_view service_tunnel_type) {
  if (auto chosen = ChoiceOfProtocol(protocol_setting)) return *chosen;
  if (auto service = ChoiceOfProtocol(service_tunnel_type)) return *service;
  return TunnelChoice::kBox;
}

std::vector<Tunnel> TunnelsToDial(TunnelChoice choice, bool box_ticked, bool key_known) {
  switch (choice) {
    case TunnelChoice::kBox:
      return {box_ticked ? Tunnel::kL2tp : Tunnel::kPptp};
    case TunnelChoice::kAuto:
      if (key_known) return {Tunnel::kIkev2, Tunnel::kSstp, Tunnel::kL2tpIpsec, Tunnel::kPptp};
      return {Tunnel::kIkev2, Tunnel::kSstp, Tunnel::kPptp};
    case TunnelChoice::kIkev2:
      return {Tunnel::kIkev2};
    case TunnelChoice::kSstp:
      return {Tunnel::kSstp};
    case TunnelChoice::kL2tpIpsec:
      return {Tunnel::kL2tpIpsec};
    case TunnelChoice::kL2tp:
      return {Tunnel::kL2tp};
    case TunnelChoice::kPptp:
      break;
  }
  return {Tunnel::kPptp};
}

bool TunnelNotPossible(std::int64_t error) {
  // The progress path hands errors over as signed 32-bit numbers, the direct dial as
  // unsigned ones: the certificate errors are the same either way.
  const auto code = static_cast<std::uint32_t>(error);
  switch (code) {
    case ras::kErrorDisconnection:
    case ras::kErrorNoLocalEncryption:
    case ras::kErrorNoRemoteEncryption:
    case ras::kErrorRemoteRequiresEncryption:
    case ras::kErrorOakleyGeneralProcessing:
    case ras::kErrorOakleyTimedOut:
    case ras::kErrorConnectingDeviceNotFound:
    case ras::kErrorVpnGreBlocked:
    case ras::kErrorVpnTimeout:
    case ras::kErrorServerPolicy:
    case ras::kErrorNoRevocationCheck:
    case ras::kErrorRevocationOffline:
      return true;
    default:
      break;
  }
  return InRange(code, ras::kErrorIkeAuthFail, ras::kErrorIkePolicyMatch) ||
         InRange(code, ras::kCertErrorsFirst, ras::kCertErrorsLast);
}

std::string TryingTunnelText(Tunnel tunnel) {
  return std::string("正在尝试 ") + ras::TunnelName(tunnel) + "...";
}

std::string ConnectedTunnelText(std::string_view connected, Tunnel tunnel) {
  return std::string(connected) + " (" + ras::TunnelName(tunnel) + ")";
}

std::string TunnelCaption(std::string_view caption, Tunnel tunnel) {
  return std::string(caption) + " " + ras::TunnelName(tunnel);
}

std::string EarlierProhibitIpSecText(std::optional<std::uint32_t> earlier) {
  return earlier ? std::to_string(*earlier) : "none";
}

std::optional<std::optional<std::uint32_t>> ParseEarlierProhibitIpSec(std::string_view text) {
  if (text == "none") return std::optional<std::uint32_t>();
  std::uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [at, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || at != end) return std::nullopt;
  return std::optional<std::uint32_t>(value);
}

}  // namespace vpn::app
