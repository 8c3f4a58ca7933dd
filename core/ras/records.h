// The remote-access records the program hands to the system, declared here with the
// exact layouts of the Windows headers (4-byte packing, handles of the pointer size),
// so that they can be built and checked without Windows. The dial-up code passes them
// to the system functions as they are; dialup/ asserts at compile time that every
// field sits where <ras.h> puts it.
//
// The forms chosen are the oldest ones the system accepts for what the program needs:
// the entry record of Windows XP (ends with dwRedialPause), the dial parameters without
// sub-entry and callback id, the connection record without the phonebook path and the
// status record without the phone number. Sizes always come from sizeof of these
// records; the 32-bit program sees 2884 / 540 / 1052 / 412 / 160 bytes, the 64-bit one
// the same except 416 for the connection record (its handle is 8 bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ras/tunnel.h"

// The connection handle type of <ras.h> (a distinct pointer type under STRICT); the
// declaration is repeated here so that the records carry the very same type.
struct HRASCONN__;

namespace vpn::ras {

using ConnHandle = HRASCONN__*;

// Published capacities (text bytes without the terminating NUL).
inline constexpr std::size_t kMaxEntryName = 256;
inline constexpr std::size_t kMaxPhoneNumber = 128;
inline constexpr std::size_t kMaxDeviceType = 16;
inline constexpr std::size_t kMaxDeviceName = 128;
inline constexpr std::size_t kMaxAreaCode = 10;
inline constexpr std::size_t kMaxPadType = 32;
inline constexpr std::size_t kMaxX25Address = 200;
inline constexpr std::size_t kMaxFacilities = 200;
inline constexpr std::size_t kMaxUserData = 200;
inline constexpr std::size_t kMaxDnsSuffix = 256;
inline constexpr std::size_t kMaxPath = 260;
inline constexpr std::size_t kUserNameLength = 256;  // UNLEN
inline constexpr std::size_t kPasswordLength = 256;  // PWLEN
inline constexpr std::size_t kDomainLength = 15;     // DNLEN

#pragma pack(push, 4)

struct IpAddr {
  std::uint8_t a, b, c, d;
};

struct Guid {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};

struct RasEntryA {
  std::uint32_t dwSize;
  std::uint32_t dwfOptions;
  std::uint32_t dwCountryID;
  std::uint32_t dwCountryCode;
  char szAreaCode[kMaxAreaCode + 1];
  char szLocalPhoneNumber[kMaxPhoneNumber + 1];
  std::uint32_t dwAlternateOffset;
  IpAddr ipaddr;
  IpAddr ipaddrDns;
  IpAddr ipaddrDnsAlt;
  IpAddr ipaddrWins;
  IpAddr ipaddrWinsAlt;
  std::uint32_t dwFrameSize;
  std::uint32_t dwfNetProtocols;
  std::uint32_t dwFramingProtocol;
  char szScript[kMaxPath];
  char szAutodialDll[kMaxPath];
  char szAutodialFunc[kMaxPath];
  char szDeviceType[kMaxDeviceType + 1];
  char szDeviceName[kMaxDeviceName + 1];
  char szX25PadType[kMaxPadType + 1];
  char szX25Address[kMaxX25Address + 1];
  char szX25Facilities[kMaxFacilities + 1];
  char szX25UserData[kMaxUserData + 1];
  std::uint32_t dwChannels;
  std::uint32_t dwReserved1;
  std::uint32_t dwReserved2;
  std::uint32_t dwSubEntries;
  std::uint32_t dwDialMode;
  std::uint32_t dwDialExtraPercent;
  std::uint32_t dwDialExtraSampleSeconds;
  std::uint32_t dwHangUpExtraPercent;
  std::uint32_t dwHangUpExtraSampleSeconds;
  std::uint32_t dwIdleDisconnectSeconds;
  std::uint32_t dwType;
  std::uint32_t dwEncryptionType;
  std::uint32_t dwCustomAuthKey;
  Guid guidId;
  char szCustomDialDll[kMaxPath];
  std::uint32_t dwVpnStrategy;
  std::uint32_t dwfOptions2;
  std::uint32_t dwfOptions3;
  char szDnsSuffix[kMaxDnsSuffix];
  std::uint32_t dwTcpWindowSize;
  char szPrerequisitePbk[kMaxPath];
  char szPrerequisiteEntry[kMaxEntryName + 1];
  std::uint32_t dwRedialCount;
  std::uint32_t dwRedialPause;
};

struct RasCredentialsA {
  std::uint32_t dwSize;
  std::uint32_t dwMask;
  char szUserName[kUserNameLength + 1];
  char szPassword[kPasswordLength + 1];
  char szDomain[kDomainLength + 1];
};

struct RasDialParamsA {
  std::uint32_t dwSize;
  char szEntryName[kMaxEntryName + 1];
  char szPhoneNumber[kMaxPhoneNumber + 1];
  char szCallbackNumber[kMaxPhoneNumber + 1];
  char szUserName[kUserNameLength + 1];
  char szPassword[kPasswordLength + 1];
  char szDomain[kDomainLength + 1];
};

struct RasConnA {
  std::uint32_t dwSize;
  ConnHandle hrasconn;
  char szEntryName[kMaxEntryName + 1];
  char szDeviceType[kMaxDeviceType + 1];
  char szDeviceName[kMaxDeviceName + 1];
};

struct RasConnStatusA {
  std::uint32_t dwSize;
  std::int32_t rasconnstate;
  std::uint32_t dwError;
  char szDeviceType[kMaxDeviceType + 1];
  char szDeviceName[kMaxDeviceName + 1];
};

// The counters of one connection (RasGetConnectionStatistics); the duration is in
// milliseconds.
struct RasStats {
  std::uint32_t dwSize;
  std::uint32_t dwBytesXmited;
  std::uint32_t dwBytesRcved;
  std::uint32_t dwFramesXmited;
  std::uint32_t dwFramesRcved;
  std::uint32_t dwCrcErr;
  std::uint32_t dwTimeoutErr;
  std::uint32_t dwAlignmentErr;
  std::uint32_t dwHardwareOverrunErr;
  std::uint32_t dwFramingErr;
  std::uint32_t dwBufferOverrunErr;
  std::uint32_t dwCompressionRatioIn;
  std::uint32_t dwCompressionRatioOut;
  std::uint32_t dwBps;
  std::uint32_t dwConnectDuration;
};

#pragma pack(pop)

static_assert(sizeof(RasStats) == 60);
static_assert(sizeof(RasEntryA) == 2884);
static_assert(sizeof(RasCredentialsA) == 540);
static_assert(sizeof(RasDialParamsA) == 1052);
static_assert(sizeof(RasConnA) == (sizeof(void*) == 4 ? 412 : 416));
static_assert(sizeof(RasConnStatusA) == 160);

// Option bits and values of the VPN entry.
inline constexpr std::uint32_t kEntryOptions = 0x3D0D0310;
inline constexpr std::uint32_t kEntryOptions2 = 0x16F;
inline constexpr std::uint32_t kCredentialMask = 0x0B;  // user name | password | domain
inline constexpr std::uint32_t kNetProtocolIp = 4;
inline constexpr std::uint32_t kFramingPpp = 1;
inline constexpr std::uint32_t kDialAll = 1;
inline constexpr std::uint32_t kEntryTypeVpn = 2;

// Connection states the program looks at.
inline constexpr std::int32_t kStateConnected = 0x2000;
inline constexpr std::int32_t kStateDisconnected = 0x2001;

// Result codes.
inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorBufferTooSmall = 603;
inline constexpr std::uint32_t kErrorCannotFindEntry = 623;
inline constexpr std::uint32_t kErrorInvalidSize = 632;
inline constexpr std::uint32_t kErrorTimeout = 1460;

// The fixed name of the program's phonebook entry.
inline constexpr const char kEntryName[] = "VPN Connection";

// Copies text into a fixed text field with its terminating NUL. Text that does not fit
// is refused (false, the field is left as it was): a server, user name or password cut
// short would silently dial something the user never typed.
template <std::size_t N>
bool CopyText(char (&field)[N], std::string_view text) {
  if (text.size() >= N || text.find('\0') != std::string_view::npos) return false;
  for (std::size_t i = 0; i < text.size(); ++i) field[i] = text[i];
  for (std::size_t i = text.size(); i < N; ++i) field[i] = 0;
  return true;
}

// Reads a text field up to its first NUL (or its whole length when there is none).
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  std::size_t n = 0;
  while (n < N && field[n] != 0) ++n;
  return std::string(field, n);
}

// The VPN entry of a tunnel type for a server. Returns false (and leaves the record zero)
// when the server text does not fit the entry's number field. PPTP and plain L2TP are the
// design's entries, which differ in device name and strategy only; the encrypting tunnels
// require encryption and allow only the login that fits them.
bool BuildVpnEntry(std::string_view server, Tunnel tunnel, RasEntryA& entry);
// The design's two entries: PPTP, or L2TP when l2tp is set.
inline bool BuildVpnEntry(std::string_view server, bool l2tp, RasEntryA& entry) {
  return BuildVpnEntry(server, l2tp ? Tunnel::kL2tp : Tunnel::kPptp, entry);
}

// The credentials record that erases the user name, password and domain of an entry.
RasCredentialsA BuildClearCredentials();

// The credentials record that hands an entry its IPsec pre-shared key. False (and the
// record zero) for an empty key, one with a NUL or one longer than the field holds.
bool BuildPreSharedKeyCredentials(std::string_view key, RasCredentialsA& credentials);

// Dial parameters for an entry, with user name and password (already trimmed by the
// caller where that is wanted). False when one of the texts does not fit.
bool BuildDialParams(std::string_view entry_name, std::string_view user_name,
                     std::string_view password, RasDialParamsA& params);

// An empty dial parameters record naming an entry (size set, everything else zero).
bool BuildEntryDialParams(std::string_view entry_name, RasDialParamsA& params);

// The status text to show when the connect input does not fit the records, or the
// empty text when it does. The server is stored and dialed untrimmed; the user name and
// password are stored untrimmed as well.
std::string DialInputProblem(std::string_view server, std::string_view user_name,
                             std::string_view password);

// Device names of the WAN miniports, as a Chinese-language system names them (GBK).
std::string PptpDeviceName();
std::string L2tpDeviceName();
std::string TunnelDeviceName(Tunnel tunnel);

}  // namespace vpn::ras
