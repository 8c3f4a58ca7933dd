// Which tunnel types a connect dials, and in which order: the user's choice in the
// "连接协议" menu (the settings' Protocol value), else the service's TunnelType from
// service.ini, else the "L2TP模式" box choosing between L2TP and PPTP. Automatic tries the
// encrypting types first and moves on only when a type is not possible here; a wrong
// password ends it at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ras/tunnel.h"

namespace vpn::app {

enum class TunnelChoice { kBox, kAuto, kIkev2, kSstp, kL2tpIpsec, kL2tp, kPptp };

// The Protocol value of a choice: "Auto", "IKEv2", "SSTP", "L2TP/IPsec", "L2TP", "PPTP";
// the box's choice has none (empty).
std::string ProtocolValue(TunnelChoice choice);
// The choice a Protocol or TunnelType value names (any ASCII case); none for anything else.
std::optional<TunnelChoice> ChoiceOfProtocol(std::string_view value);
// The choice in force: a Protocol setting that names a type, else the service's tunnel
// type, else the box.
TunnelChoice ChoiceInForce(std::string_view protocol_setting, std::string_view service_tunnel_type);

// The tunnels one connect dials, in order. The box: L2TP when ticked, else PPTP.
// Automatic: IKEv2, SSTP, L2TP/IPsec (only with a pre-shared key), PPTP; plain L2TP never,
// as it needs the machine's IPsec switched off and a restart.
std::vector<ras::Tunnel> TunnelsToDial(TunnelChoice choice, bool box_ticked, bool key_known);

// Whether a failed dial says that this tunnel type cannot be made here (the server does
// not offer it, the network blocks it, the system lacks it, its certificate or IPsec
// negotiation fails), so that Automatic goes on with the next type. A refused login
// (691, 718) and every other failure end the connect.
bool TunnelNotPossible(std::int64_t error);

// The status while a type is tried: "正在尝试 IKEv2...".
std::string TryingTunnelText(ras::Tunnel tunnel);
// The status once the line is up: the connected text and the type, "连接成功 (IKEv2)".
std::string ConnectedTunnelText(std::string_view connected, ras::Tunnel tunnel);
// The tray tip's name of the program with the type that is up: "Morlu连接器 IKEv2".
std::string TunnelCaption(std::string_view caption, ras::Tunnel tunnel);

// What ProhibitIpSec held before the program set it to 1 for plain L2TP, as the settings
// keep it (value ProhibitIpSecBefore): "none" when it did not exist, else the number in
// decimal. Reading gives no value for text that is neither.
std::string EarlierProhibitIpSecText(std::optional<std::uint32_t> earlier);
std::optional<std::optional<std::uint32_t>> ParseEarlierProhibitIpSec(std::string_view text);

}  // namespace vpn::app
