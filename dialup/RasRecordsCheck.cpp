// The program's remote-access records must sit exactly where the system's headers put
// every field; checked at compile time in each Windows build (the 32-bit build is the
// shipped program, the sizes there are the ones the system documents).
#include <ras.h>
#include <raserror.h>
#include <winerror.h>

#include <cstddef>

#include "core/ras/records.h"

namespace {

namespace r = vpn::ras;

#define SAME_FIELD(mine, theirs, field) \
  static_assert(offsetof(r::mine, field) == offsetof(theirs, field), #mine "." #field)

static_assert(sizeof(r::RasEntryA) == sizeof(RASENTRYA));
SAME_FIELD(RasEntryA, RASENTRYA, dwSize);
SAME_FIELD(RasEntryA, RASENTRYA, dwfOptions);
SAME_FIELD(RasEntryA, RASENTRYA, dwCountryID);
SAME_FIELD(RasEntryA, RASENTRYA, dwCountryCode);
SAME_FIELD(RasEntryA, RASENTRYA, szAreaCode);
SAME_FIELD(RasEntryA, RASENTRYA, szLocalPhoneNumber);
SAME_FIELD(RasEntryA, RASENTRYA, dwAlternateOffset);
SAME_FIELD(RasEntryA, RASENTRYA, ipaddr);
SAME_FIELD(RasEntryA, RASENTRYA, ipaddrDns);
SAME_FIELD(RasEntryA, RASENTRYA, ipaddrDnsAlt);
SAME_FIELD(RasEntryA, RASENTRYA, ipaddrWins);
SAME_FIELD(RasEntryA, RASENTRYA, ipaddrWinsAlt);
SAME_FIELD(RasEntryA, RASENTRYA, dwFrameSize);
SAME_FIELD(RasEntryA, RASENTRYA, dwfNetProtocols);
SAME_FIELD(RasEntryA, RASENTRYA, dwFramingProtocol);
SAME_FIELD(RasEntryA, RASENTRYA, szScript);
SAME_FIELD(RasEntryA, RASENTRYA, szAutodialDll);
SAME_FIELD(RasEntryA, RASENTRYA, szAutodialFunc);
SAME_FIELD(RasEntryA, RASENTRYA, szDeviceType);
SAME_FIELD(RasEntryA, RASENTRYA, szDeviceName);
SAME_FIELD(RasEntryA, RASENTRYA, szX25PadType);
SAME_FIELD(RasEntryA, RASENTRYA, szX25Address);
SAME_FIELD(RasEntryA, RASENTRYA, szX25Facilities);
SAME_FIELD(RasEntryA, RASENTRYA, szX25UserData);
SAME_FIELD(RasEntryA, RASENTRYA, dwChannels);
SAME_FIELD(RasEntryA, RASENTRYA, dwReserved1);
SAME_FIELD(RasEntryA, RASENTRYA, dwReserved2);
SAME_FIELD(RasEntryA, RASENTRYA, dwSubEntries);
SAME_FIELD(RasEntryA, RASENTRYA, dwDialMode);
SAME_FIELD(RasEntryA, RASENTRYA, dwDialExtraPercent);
SAME_FIELD(RasEntryA, RASENTRYA, dwDialExtraSampleSeconds);
SAME_FIELD(RasEntryA, RASENTRYA, dwHangUpExtraPercent);
SAME_FIELD(RasEntryA, RASENTRYA, dwHangUpExtraSampleSeconds);
SAME_FIELD(RasEntryA, RASENTRYA, dwIdleDisconnectSeconds);
SAME_FIELD(RasEntryA, RASENTRYA, dwType);
SAME_FIELD(RasEntryA, RASENTRYA, dwEncryptionType);
SAME_FIELD(RasEntryA, RASENTRYA, dwCustomAuthKey);
SAME_FIELD(RasEntryA, RASENTRYA, guidId);
SAME_FIELD(RasEntryA, RASENTRYA, szCustomDialDll);
SAME_FIELD(RasEntryA, RASENTRYA, dwVpnStrategy);
SAME_FIELD(RasEntryA, RASENTRYA, dwfOptions2);
SAME_FIELD(RasEntryA, RASENTRYA, dwfOptions3);
SAME_FIELD(RasEntryA, RASENTRYA, szDnsSuffix);
SAME_FIELD(RasEntryA, RASENTRYA, dwTcpWindowSize);
SAME_FIELD(RasEntryA, RASENTRYA, szPrerequisitePbk);
SAME_FIELD(RasEntryA, RASENTRYA, szPrerequisiteEntry);
SAME_FIELD(RasEntryA, RASENTRYA, dwRedialCount);
SAME_FIELD(RasEntryA, RASENTRYA, dwRedialPause);

static_assert(sizeof(r::RasCredentialsA) == sizeof(RASCREDENTIALSA));
SAME_FIELD(RasCredentialsA, RASCREDENTIALSA, dwSize);
SAME_FIELD(RasCredentialsA, RASCREDENTIALSA, dwMask);
SAME_FIELD(RasCredentialsA, RASCREDENTIALSA, szUserName);
SAME_FIELD(RasCredentialsA, RASCREDENTIALSA, szPassword);
SAME_FIELD(RasCredentialsA, RASCREDENTIALSA, szDomain);

// The oldest dial parameters end where the newer form's sub-entry field begins.
SAME_FIELD(RasDialParamsA, RASDIALPARAMSA, dwSize);
SAME_FIELD(RasDialParamsA, RASDIALPARAMSA, szEntryName);
SAME_FIELD(RasDialParamsA, RASDIALPARAMSA, szPhoneNumber);
SAME_FIELD(RasDialParamsA, RASDIALPARAMSA, szCallbackNumber);
SAME_FIELD(RasDialParamsA, RASDIALPARAMSA, szUserName);
SAME_FIELD(RasDialParamsA, RASDIALPARAMSA, szPassword);
SAME_FIELD(RasDialParamsA, RASDIALPARAMSA, szDomain);
static_assert(sizeof(r::RasDialParamsA) == offsetof(RASDIALPARAMSA, dwSubEntry));

// The oldest connection record ends where the newer form's phonebook path begins.
SAME_FIELD(RasConnA, RASCONNA, dwSize);
SAME_FIELD(RasConnA, RASCONNA, hrasconn);
SAME_FIELD(RasConnA, RASCONNA, szEntryName);
SAME_FIELD(RasConnA, RASCONNA, szDeviceType);
SAME_FIELD(RasConnA, RASCONNA, szDeviceName);
static_assert(sizeof(r::RasConnA) ==
              (offsetof(RASCONNA, szDeviceName) + RAS_MaxDeviceName + 1 + 3) / 4 * 4);
static_assert(std::is_same_v<decltype(r::RasConnA::hrasconn), HRASCONN>);

// The oldest status record ends where the newer form's phone number begins (rounded up
// to the packing).
SAME_FIELD(RasConnStatusA, RASCONNSTATUSA, dwSize);
SAME_FIELD(RasConnStatusA, RASCONNSTATUSA, rasconnstate);
SAME_FIELD(RasConnStatusA, RASCONNSTATUSA, dwError);
SAME_FIELD(RasConnStatusA, RASCONNSTATUSA, szDeviceType);
SAME_FIELD(RasConnStatusA, RASCONNSTATUSA, szDeviceName);
static_assert(sizeof(r::RasConnStatusA) == (offsetof(RASCONNSTATUSA, szPhoneNumber) + 3) / 4 * 4);

SAME_FIELD(RasStats, RAS_STATS, dwBytesXmited);
SAME_FIELD(RasStats, RAS_STATS, dwBytesRcved);
SAME_FIELD(RasStats, RAS_STATS, dwBps);
SAME_FIELD(RasStats, RAS_STATS, dwConnectDuration);
static_assert(sizeof(r::RasStats) == sizeof(RAS_STATS));

// The option, strategy and credential values of the tunnel entries, where the system
// headers have them (SSTP and IKEv2 strategies are newer than these headers).
static_assert(r::kEntryOptions ==
              (RASEO_RemoteDefaultGateway | RASEO_ModemLights | RASEO_SwCompression |
               RASEO_SecureLocalFiles | RASEO_RequirePAP | RASEO_RequireSPAP | RASEO_PreviewUserPw |
               RASEO_ShowDialingProgress | RASEO_RequireCHAP | RASEO_RequireMsCHAP |
               RASEO_RequireMsCHAP2));
static_assert(r::kOptionRequirePap == RASEO_RequirePAP);
static_assert(r::kOptionRequireSpap == RASEO_RequireSPAP);
static_assert(r::kOptionRequireChap == RASEO_RequireCHAP);
static_assert(r::kOptionRequireMsChap == RASEO_RequireMsCHAP);
static_assert(r::kOptionRequireMsChap2 == RASEO_RequireMsCHAP2);
static_assert(r::kOptionRequireEap == RASEO_RequireEAP);
static_assert(r::kOption2UsePreSharedKey == RASEO2_UsePreSharedKey);
static_assert(r::kCredentialPreSharedKey == RASCM_PreSharedKey);
static_assert(r::kStrategyDefault == VS_Default);
static_assert(r::kStrategyPptpFirst == VS_PptpFirst);
static_assert(r::kStrategyL2tpOnly == VS_L2tpOnly);
static_assert(r::kEncryptionRequire == ET_Require);
static_assert(r::kEncryptionOptional == ET_Optional);

// The failures after which Automatic tries the next tunnel type.
static_assert(r::kErrorDisconnection == ERROR_DISCONNECTION);
static_assert(r::kErrorNoLocalEncryption == ERROR_NO_LOCAL_ENCRYPTION);
static_assert(r::kErrorNoRemoteEncryption == ERROR_NO_REMOTE_ENCRYPTION);
// The headers name this one only for systems before Vista (the 32-bit build's target).
#ifdef ERROR_REMOTE_REQUIRES_ENCRYPTION
static_assert(r::kErrorRemoteRequiresEncryption == ERROR_REMOTE_REQUIRES_ENCRYPTION);
#endif
static_assert(r::kErrorOakleyGeneralProcessing == ERROR_OAKLEY_GENERAL_PROCESSING);
static_assert(r::kErrorOakleyTimedOut == ERROR_OAKLEY_TIMED_OUT);
static_assert(r::kErrorConnectingDeviceNotFound == ERROR_CONNECTING_DEVICE_NOT_FOUND);
static_assert(r::kErrorVpnGreBlocked == ERROR_VPN_GRE_BLOCKED);
static_assert(r::kErrorVpnTimeout == ERROR_VPN_TIMEOUT);
static_assert(r::kErrorServerPolicy == ERROR_SERVER_POLICY);
static_assert(r::kErrorIkeAuthFail == ERROR_IPSEC_IKE_AUTH_FAIL);
static_assert(r::kErrorIkePolicyMatch == ERROR_IPSEC_IKE_POLICY_MATCH);
static_assert(r::kCertErrorsFirst < static_cast<std::uint32_t>(CERT_E_EXPIRED) &&
              static_cast<std::uint32_t>(CERT_E_INVALID_NAME) <= r::kCertErrorsLast);
static_assert(r::kErrorNoRevocationCheck ==
              static_cast<std::uint32_t>(CRYPT_E_NO_REVOCATION_CHECK));
static_assert(r::kErrorRevocationOffline == static_cast<std::uint32_t>(CRYPT_E_REVOCATION_OFFLINE));
// What a refused login says: Automatic stops there.
static_assert(ERROR_AUTHENTICATION_FAILURE == 691 && ERROR_PPP_TIMEOUT == 718);

#if defined(_WIN64)
static_assert(sizeof(r::RasConnA) == 416);
#else
// The sizes of the shipped 32-bit program.
static_assert(sizeof(r::RasEntryA) == 2884);
static_assert(sizeof(r::RasCredentialsA) == 540);
static_assert(sizeof(r::RasDialParamsA) == 1052);
static_assert(sizeof(r::RasConnA) == 412);
static_assert(sizeof(r::RasConnStatusA) == 160);
static_assert(offsetof(r::RasConnA, szEntryName) == 8);
#endif

#undef SAME_FIELD

}  // namespace
