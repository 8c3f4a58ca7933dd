// The tunnel types the program dials, and what the phonebook entry of each one holds.
//
// IKEv2, SSTP and L2TP/IPsec carry the traffic encrypted; PPTP (its login broken) and
// plain L2TP (IPsec switched off for the whole machine) are kept for servers that offer
// nothing else. Every tunnel is dialed from an entry written afresh for it: the system
// rewrites an entry's strategy after it fell back to another type itself.
#pragma once

#include <cstdint>
#include <string_view>

namespace vpn::ras {

enum class Tunnel { kIkev2, kSstp, kL2tpIpsec, kL2tp, kPptp };

// The name users and the settings see: "IKEv2", "SSTP", "L2TP/IPsec", "L2TP", "PPTP".
const char* TunnelName(Tunnel tunnel);

// Whether the tunnel encrypts what it carries.
inline bool Encrypts(Tunnel tunnel) {
  return tunnel == Tunnel::kIkev2 || tunnel == Tunnel::kSstp || tunnel == Tunnel::kL2tpIpsec;
}

// dwVpnStrategy. The system headers of this toolchain end at the Windows XP strategies
// (VS_Default 0 .. VS_L2tpFirst 4); SSTP and IKEv2 come from the published documentation
// of the remote-access entry record (VS_SstpOnly 5, VS_Ikev2Only 7).
inline constexpr std::uint32_t kStrategyDefault = 0;
inline constexpr std::uint32_t kStrategyPptpFirst = 2;
inline constexpr std::uint32_t kStrategyL2tpOnly = 3;
inline constexpr std::uint32_t kStrategySstpOnly = 5;
inline constexpr std::uint32_t kStrategyIkev2Only = 7;

// dwfOptions: the design's entry allows every PPP login; the encrypting tunnels allow
// only what fits them (MS-CHAPv2 inside SSTP and L2TP/IPsec, EAP for IKEv2).
inline constexpr std::uint32_t kOptionRequirePap = 0x00040000;
inline constexpr std::uint32_t kOptionRequireSpap = 0x00080000;
inline constexpr std::uint32_t kOptionRequireChap = 0x08000000;
inline constexpr std::uint32_t kOptionRequireMsChap = 0x10000000;
inline constexpr std::uint32_t kOptionRequireMsChap2 = 0x20000000;
inline constexpr std::uint32_t kOptionRequireEap = 0x00020000;  // RASEO_RequireEAP
// dwfOptions2: the L2TP tunnel's IPsec takes the key handed over with the credentials.
inline constexpr std::uint32_t kOption2UsePreSharedKey = 0x00000010;  // RASEO2_UsePreSharedKey
// dwCustomAuthKey: the EAP method that logs on with the user's name and password
// (EAP-MSCHAPv2), as the phonebooks of IKEv2 services carry it.
inline constexpr std::uint32_t kEapMsChapV2 = 26;
// dwEncryptionType: optional (the design's entry) or required.
inline constexpr std::uint32_t kEncryptionRequire = 1;
inline constexpr std::uint32_t kEncryptionOptional = 3;
// RASCREDENTIALS.dwMask of the pre-shared key (it travels in szPassword).
inline constexpr std::uint32_t kCredentialPreSharedKey = 0x00000010;  // RASCM_PreSharedKey

// The failures that say a tunnel type cannot be made here (their names in the system's
// error headers, which the Windows builds check them against).
inline constexpr std::uint32_t kErrorDisconnection = 628;       // the remote end closed it
inline constexpr std::uint32_t kErrorNoLocalEncryption = 741;   // cannot encrypt as asked
inline constexpr std::uint32_t kErrorNoRemoteEncryption = 742;  // the server cannot encrypt
inline constexpr std::uint32_t kErrorRemoteRequiresEncryption = 743;
inline constexpr std::uint32_t kErrorOakleyGeneralProcessing = 789;   // L2TP: IPsec failed
inline constexpr std::uint32_t kErrorOakleyTimedOut = 792;            // L2TP: IPsec timed out
inline constexpr std::uint32_t kErrorConnectingDeviceNotFound = 797;  // no device for the type
inline constexpr std::uint32_t kErrorVpnGreBlocked = 806;             // PPTP's GRE is blocked
inline constexpr std::uint32_t kErrorVpnTimeout = 809;                // no answer on its ports
inline constexpr std::uint32_t kErrorServerPolicy = 812;  // the server does not allow it
// IKE negotiation, from the credentials refused to the policy that does not match.
inline constexpr std::uint32_t kErrorIkeAuthFail = 13801;
inline constexpr std::uint32_t kErrorIkePolicyMatch = 13868;
// The certificate-trust errors (SSTP's server certificate) and a revocation check that
// could not be made.
inline constexpr std::uint32_t kCertErrorsFirst = 0x800B0100, kCertErrorsLast = 0x800B01FF;
inline constexpr std::uint32_t kErrorNoRevocationCheck = 0x80092012;
inline constexpr std::uint32_t kErrorRevocationOffline = 0x80092013;

}  // namespace vpn::ras
