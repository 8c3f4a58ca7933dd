// The exported remote-access functions of the simulated service.
#include <ras.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/ras/records.h"
#include "core/text/text.h"
#include "rassim/rassim.h"

namespace rassim {

namespace {

namespace ras = vpn::ras;
using vpn::rassim::EscapeToken;
using vpn::rassim::HexEncode;
using vpn::rassim::IniNumber;
using vpn::rassim::IniString;

constexpr UINT kDialEventMessage = 0xCCCD;  // WM_RASDIALEVENT
constexpr DWORD kInsufficientBuffer = 122;
constexpr DWORD kBufferInvalid = 610;
constexpr std::uint32_t kEntrySize = sizeof(ras::RasEntryA);

constexpr std::int32_t kDialStates[] = {0, 1, 2, 3, 4, 5, 6, 10, 14, ras::kStateConnected};
constexpr std::int32_t kStateConnectDevice = 2;
constexpr std::int32_t kStateAuthNotify = 6;

// Record sizes each function accepts (the forms a 64-bit caller can hand over).
bool DialParamsSizeOk(DWORD size) {
  return size == sizeof(ras::RasDialParamsA) || size == offsetof(RASDIALPARAMSA, dwIfIndex) ||
         size == sizeof(RASDIALPARAMSA);
}
bool ConnSizeOk(DWORD size) {
  return size == sizeof(ras::RasConnA) || size == sizeof(RASCONNA);
}
bool StatusSizeOk(DWORD size) {
  return size == sizeof(ras::RasConnStatusA) || size == sizeof(RASCONNSTATUSA);
}

struct Connection {
  std::uint64_t handle = 0;
  std::string entry, device_type, device_name, server, tunnel;
  std::atomic<std::int32_t> state{0};
  std::atomic<std::uint32_t> error{0};
  bool failed = false;         // the dial ended with an error (not listed, still needs a hang-up)
  bool hung_up = false;        // RasHangUpA accepted
  ULONGLONG drop_at = 0;       // when the line goes away after the hang-up
  ULONGLONG connected_at = 0;  // when the dial reached Connected (0 before)
  std::atomic<bool> stop{false};
  // The last answer journaled for status queries.
  std::string last_status;
};

std::mutex conn_mutex;
std::map<std::uint64_t, std::shared_ptr<Connection>> connections;
std::uint64_t next_handle = 1;

std::string Num(std::uint64_t v) {
  return std::to_string(v);
}
std::string HandleText(std::uint64_t h) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(h));
  return buf;
}
std::string Tok(const char* s) {
  return s ? EscapeToken(s) : "-";
}

// Events registered with RasConnectionNotificationA: the connection (0 = every
// connection), the kinds asked for and a duplicate of the caller's event, so that a
// caller that closes its event early never has another object signalled in its place.
struct Registration {
  std::uint64_t handle;
  DWORD flags;
  HANDLE event;
};
std::vector<Registration> registrations;  // held: conn_mutex

// Signals the events registered for a line going away; the registrations for that line
// alone end with it (held: conn_mutex).
void SignalDisconnectionLocked(std::uint64_t handle, const char* why) {
  for (auto it = registrations.begin(); it != registrations.end();) {
    if ((it->flags & RASCN_Disconnection) && (it->handle == 0 || it->handle == handle)) {
      SetEvent(it->event);
      Journal("signalled", "handle=" + HandleText(handle) + " why=" + why);
    }
    if (it->handle == handle) {
      CloseHandle(it->event);
      it = registrations.erase(it);
    } else {
      ++it;
    }
  }
}

// The record bytes to journal: the whole record when its size is accepted.
std::string RecordBytes(const void* rec, std::size_t size, bool size_ok) {
  if (rec == nullptr) return "-";
  return HexEncode(rec, size_ok ? size : 4);
}

// The tunnel type an entry asks for, by its strategy (and, for the system's own choice,
// its device): the names of the scenario's [tunnels] section.
std::string TunnelOf(const ras::RasEntryA& e) {
  switch (e.dwVpnStrategy) {
    case 7:   // IKEv2 only
    case 8:   // IKEv2 first
    case 14:  // IKEv2, then SSTP
      return "IKEv2";
    case 5:  // SSTP only
    case 6:  // SSTP first
      return "SSTP";
    case VS_L2tpOnly:
    case VS_L2tpFirst:
      return (e.dwfOptions2 & RASEO2_UsePreSharedKey) ? "L2TP/IPsec" : "L2TP";
    case VS_PptpOnly:
    case VS_PptpFirst:
      return "PPTP";
    default:
      return ras::FieldText(e.szDeviceName).find("(L2TP)") != std::string::npos ? "L2TP" : "PPTP";
  }
}

std::string Hex32(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

// The fields of an entry that tell its tunnel type, read back for the journal.
std::string EntryFields(const ras::RasEntryA& e) {
  return " tunnel=" + EscapeToken(TunnelOf(e)) + " strategy=" + Num(e.dwVpnStrategy) +
         " options=" + Hex32(e.dwfOptions) + " options2=" + Hex32(e.dwfOptions2) +
         " eap=" + ((e.dwfOptions & RASEO_RequireEAP) ? "1" : "0") +
         " custom_auth_key=" + Num(e.dwCustomAuthKey) + " encryption=" + Num(e.dwEncryptionType) +
         " psk_option=" + ((e.dwfOptions2 & RASEO2_UsePreSharedKey) ? "1" : "0");
}

// How a pre-shared key compares with the scenario's ([service] pre_shared_key): the
// journal says whether the expected key arrived, never the key.
std::string KeyVerdict(const vpn::rassim::Ini& sc, const std::string& key) {
  if (key.empty()) return "none";
  return key == IniString(sc, "service", "pre_shared_key") ? "expected" : "other";
}

// A forced answer of the scenario's [errors] section, 0 when none.
DWORD Forced(const vpn::rassim::Ini& sc, const char* function) {
  return static_cast<DWORD>(IniNumber(sc, "errors", function, 0));
}

// A line of another program that is up from the start ([service] other_connection=ENTRY),
// listed before any line of the caller: what a program must leave alone (held:
// conn_mutex).
void SeedOtherLocked(const vpn::rassim::Ini& sc) {
  static bool seeded = false;
  if (seeded) return;
  const std::string entry = IniString(sc, "service", "other_connection", "");
  if (entry.empty()) return;
  seeded = true;
  auto other = std::make_shared<Connection>();
  other->handle = (0x7E57ull << 32) + next_handle++;
  other->entry = entry;
  other->device_type = "vpn";
  other->state = ras::kStateConnected;
  connections[other->handle] = other;
  Journal("other-connection",
          "handle=" + HandleText(other->handle) + " entry=" + EscapeToken(entry));
}

// Drops the lines whose hang-up delay has passed (held: conn_mutex).
void ExpireLocked(const vpn::rassim::Ini& sc) {
  SeedOtherLocked(sc);
  if (IniNumber(sc, "service", "never_drop", 0) != 0) return;
  const ULONGLONG now = GetTickCount64();
  for (auto it = connections.begin(); it != connections.end();) {
    if (it->second->hung_up && now >= it->second->drop_at) {
      SignalDisconnectionLocked(it->first, "hangup");
      it = connections.erase(it);
    } else {
      ++it;
    }
  }
}

bool ServerAnswers(const vpn::rassim::Ini& sc, const std::string& server) {
  const std::string list = IniString(sc, "service", "servers", "*");
  const std::string wanted = vpn::Trim(server);
  if (wanted.empty()) return false;
  std::size_t pos = 0;
  bool any_listed = false;
  while (pos <= list.size()) {
    std::size_t comma = list.find(',', pos);
    if (comma == std::string::npos) comma = list.size();
    const std::string item = vpn::Trim(std::string_view(list).substr(pos, comma - pos));
    pos = comma + 1;
    if (item.empty()) continue;
    any_listed = true;
    if (item == "*" || vpn::SameTextAscii(item, wanted)) return true;
  }
  return !any_listed;
}

// The states a dial goes through and the error it ends with (0 = connected).
struct DialPlan {
  std::vector<std::int32_t> states;
  std::uint32_t error = 0;
};

DialPlan Plan(const vpn::rassim::Ini& sc, const std::string& server, const std::string& user,
              const std::string& password, const std::string& tunnel, const std::string& key) {
  std::int32_t fail_state = -1;
  std::uint32_t fail_error = 0;
  auto fail_at = [&](std::int32_t state, std::uint32_t error) {
    const auto pos = [](std::int32_t s) {
      return std::find(std::begin(kDialStates), std::end(kDialStates), s) - std::begin(kDialStates);
    };
    if (fail_state < 0 || pos(state) < pos(fail_state)) {
      fail_state = state;
      fail_error = error;
    }
  };
  if (!ServerAnswers(sc, server)) {
    fail_at(kStateConnectDevice,
            static_cast<std::uint32_t>(IniNumber(sc, "service", "unreachable_error", 800)));
  }
  // A tunnel type the server does not take ([tunnels] TYPE=ERROR) fails where the device
  // connects; so does L2TP/IPsec with another key than the server's.
  if (const auto refused = IniNumber(sc, "tunnels", tunnel, 0)) {
    fail_at(kStateConnectDevice, static_cast<std::uint32_t>(refused));
  } else if (tunnel == "L2TP/IPsec" && key != IniString(sc, "service", "pre_shared_key")) {
    fail_at(kStateConnectDevice, 789);
  }
  const std::string account = "account " + user;
  if (user.empty() || sc.count(account) == 0 || IniString(sc, account, "password") != password) {
    fail_at(kStateAuthNotify, 691);
  }
  const auto scripted = IniNumber(sc, "service", "fail_state", -1);
  const auto scripted_error = IniNumber(sc, "service", "fail_error", 0);
  if (scripted >= 0 && scripted_error != 0 &&
      std::find(std::begin(kDialStates), std::end(kDialStates), scripted) !=
          std::end(kDialStates)) {
    fail_at(static_cast<std::int32_t>(scripted), static_cast<std::uint32_t>(scripted_error));
  }
  DialPlan plan;
  for (std::int32_t s : kDialStates) {
    plan.states.push_back(s);
    if (s == fail_state) {
      plan.error = fail_error;
      break;
    }
  }
  return plan;
}

using DialFunc = void(WINAPI*)(UINT, RASCONNSTATE, DWORD);

// A connected line that the scenario lets drop ([service] drop_after_ms): after that long
// it goes away as if the server had ended it. The line is no longer listed, status
// queries and hang-ups answer 6, and the registered events are signalled.
void DropLater(std::shared_ptr<Connection> conn, DWORD after_ms) {
  Sleep(after_ms);
  std::lock_guard<std::mutex> lock(conn_mutex);
  const auto it = connections.find(conn->handle);
  if (it == connections.end() || conn->hung_up) return;
  connections.erase(it);
  Journal("dropped", "handle=" + HandleText(conn->handle));
  SignalDisconnectionLocked(conn->handle, "dropped");
}

// Runs the dial through its states; with a notifier each state is reported to it.
// A line that connects and whose scenario gives drop_after_ms drops that long after.
void RunDial(std::shared_ptr<Connection> conn, DialPlan plan, DWORD delay_ms, DialFunc notify,
             DWORD drop_after_ms) {
  for (std::size_t i = 0; i < plan.states.size(); ++i) {
    if (delay_ms) Sleep(delay_ms);
    if (conn->stop.load()) {
      Journal("dial-stopped", "handle=" + HandleText(conn->handle));
      return;
    }
    const bool last = i + 1 == plan.states.size();
    const std::int32_t state = plan.states[i];
    const std::uint32_t error = last ? plan.error : 0;
    {
      std::lock_guard<std::mutex> lock(conn_mutex);
      if (!conn->hung_up) {
        conn->state = state;
        conn->error = error;
        if (last && error != 0) conn->failed = true;
        if (state == ras::kStateConnected) conn->connected_at = GetTickCount64();
      }
    }
    if (notify) {
      const std::string fields = "handle=" + HandleText(conn->handle) +
                                 " message=" + Num(kDialEventMessage) + " state=" + Num(state) +
                                 " error=" + Num(error);
      Journal("notify", fields);
      notify(kDialEventMessage, static_cast<RASCONNSTATE>(state), error);
      Journal("notified", fields);
    }
  }
  if (plan.error == 0 && drop_after_ms > 0) {
    std::thread(DropLater, conn, drop_after_ms).detach();
  }
}

}  // namespace

}  // namespace rassim

using namespace rassim;

extern "C" {

DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA rec, DWORD cb,
                                    LPBYTE devinfo, DWORD devcb) {
  const auto sc = Scenario();
  const bool size_ok = rec && (rec->dwSize == kEntrySize) && cb >= rec->dwSize;
  DWORD result = Forced(sc, "RasSetEntryPropertiesA");
  if (result == 0) {
    const std::string name = entry ? entry : "";
    if (rec == nullptr || name.empty() || name.size() > ras::kMaxEntryName) {
      result = ERROR_INVALID_PARAMETER;
    } else if (rec->dwSize != kEntrySize) {
      result = ras::kErrorInvalidSize;
    } else if (cb < rec->dwSize) {
      result = kBufferInvalid;
    } else {
      PhonebookLock lock;
      auto book = LoadPhonebook();
      // Rewriting an entry keeps what is stored with it (credentials, dial params).
      book[name].record.assign(reinterpret_cast<const char*>(rec), rec->dwSize);
      SavePhonebook(book);
    }
  }
  Journal("RasSetEntryPropertiesA",
          "phonebook=" + Tok(phonebook) + " entry=" + Tok(entry) + " size=" + Num(cb) +
              " devinfo=" + (devinfo ? "1" : "0") + " devinfosize=" + Num(devcb) +
              (size_ok ? EntryFields(*reinterpret_cast<const ras::RasEntryA*>(rec)) : "") +
              " record=" + RecordBytes(rec, rec ? rec->dwSize : 0, size_ok) +
              " result=" + Num(result));
  return result;
}

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA rec, LPDWORD cb,
                                    LPBYTE devinfo, LPDWORD devcb) {
  const auto sc = Scenario();
  DWORD result = Forced(sc, "RasGetEntryPropertiesA");
  if (result == 0) {
    PhonebookLock lock;
    const auto book = LoadPhonebook();
    const auto it = entry ? book.find(entry) : book.end();
    if (cb == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else if (it == book.end()) {
      result = ras::kErrorCannotFindEntry;
    } else if (rec == nullptr || *cb < it->second.record.size()) {
      *cb = static_cast<DWORD>(it->second.record.size());
      result = ras::kErrorBufferTooSmall;
    } else if (rec->dwSize != kEntrySize) {
      result = ras::kErrorInvalidSize;
    } else {
      std::memcpy(rec, it->second.record.data(), it->second.record.size());
      *cb = static_cast<DWORD>(it->second.record.size());
      if (devcb) *devcb = 0;
    }
  }
  Journal("RasGetEntryPropertiesA",
          "phonebook=" + Tok(phonebook) + " entry=" + Tok(entry) + " result=" + Num(result));
  return result;
}

DWORD WINAPI RasSetCredentialsA(LPCSTR phonebook, LPCSTR entry, LPRASCREDENTIALSA cred,
                                WINBOOL clear) {
  const auto sc = Scenario();
  const bool size_ok = cred && cred->dwSize == sizeof(ras::RasCredentialsA);
  DWORD result = Forced(sc, "RasSetCredentialsA");
  if (result == 0) {
    if (cred == nullptr || entry == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else if (!size_ok) {
      result = ras::kErrorInvalidSize;
    } else {
      PhonebookLock lock;
      auto book = LoadPhonebook();
      const auto it = book.find(entry);
      if (it == book.end()) {
        result = ras::kErrorCannotFindEntry;
      } else {
        Entry& e = it->second;
        const auto* c = reinterpret_cast<const ras::RasCredentialsA*>(cred);
        if (c->dwMask & RASCM_UserName) e.user = clear ? "" : ras::FieldText(c->szUserName);
        if (c->dwMask & RASCM_Password) {
          e.password = clear ? "" : ras::FieldText(c->szPassword);
          e.saved_password = !clear;
        }
        if (c->dwMask & RASCM_Domain) e.domain = clear ? "" : ras::FieldText(c->szDomain);
        // The pre-shared key travels in the password field, on its own.
        if (c->dwMask & RASCM_PreSharedKey) e.psk = clear ? "" : ras::FieldText(c->szPassword);
        SavePhonebook(book);
      }
    }
  }
  // A key's bytes stay out of the journal: only whether the expected one came.
  std::string received = RecordBytes(cred, sizeof(ras::RasCredentialsA), size_ok);
  std::string key_fields;
  if (size_ok && (cred->dwMask & RASCM_PreSharedKey)) {
    ras::RasCredentialsA c;
    std::memcpy(&c, cred, sizeof c);
    const std::string key = clear ? "" : ras::FieldText(c.szPassword);
    key_fields = " psk=" + KeyVerdict(sc, key) + " psk_length=" + Num(key.size());
    std::memset(c.szPassword, 0, sizeof c.szPassword);
    received = HexEncode(&c, sizeof c);
  }
  Journal("RasSetCredentialsA", "phonebook=" + Tok(phonebook) + " entry=" + Tok(entry) +
                                    " clear=" + HandleText(static_cast<DWORD>(clear)) +
                                    " mask=" + Num(cred ? cred->dwMask : 0) + key_fields +
                                    " record=" + received + " result=" + Num(result));
  return result;
}

DWORD WINAPI RasGetCredentialsA(LPCSTR phonebook, LPCSTR entry, LPRASCREDENTIALSA cred) {
  const auto sc = Scenario();
  DWORD result = Forced(sc, "RasGetCredentialsA");
  if (result == 0) {
    if (cred == nullptr || entry == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else if (cred->dwSize != sizeof(ras::RasCredentialsA)) {
      result = ras::kErrorInvalidSize;
    } else {
      PhonebookLock lock;
      const auto book = LoadPhonebook();
      const auto it = book.find(entry);
      if (it == book.end()) {
        result = ras::kErrorCannotFindEntry;
      } else {
        auto* c = reinterpret_cast<ras::RasCredentialsA*>(cred);
        const Entry& e = it->second;
        ras::CopyText(c->szUserName, e.user);
        ras::CopyText(c->szPassword, e.saved_password ? e.password : "");
        ras::CopyText(c->szDomain, e.domain);
        c->dwMask = RASCM_UserName | RASCM_Domain | (e.saved_password ? RASCM_Password : 0);
      }
    }
  }
  Journal("RasGetCredentialsA",
          "phonebook=" + Tok(phonebook) + " entry=" + Tok(entry) + " result=" + Num(result));
  return result;
}

DWORD WINAPI RasGetEntryDialParamsA(LPCSTR phonebook, LPRASDIALPARAMSA params,
                                    LPBOOL has_password) {
  const auto sc = Scenario();
  const bool size_ok = params && DialParamsSizeOk(params->dwSize);
  const std::string received = RecordBytes(params, params ? params->dwSize : 0, size_ok);
  DWORD result = Forced(sc, "RasGetEntryDialParamsA");
  if (result == 0) {
    if (params == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else if (!size_ok) {
      result = ras::kErrorInvalidSize;
    } else {
      auto* p = reinterpret_cast<ras::RasDialParamsA*>(params);
      PhonebookLock lock;
      const auto book = LoadPhonebook();
      const auto it = book.find(ras::FieldText(p->szEntryName));
      if (it == book.end()) {
        result = ras::kErrorCannotFindEntry;
      } else {
        const Entry& e = it->second;
        ras::CopyText(p->szPhoneNumber, "");
        ras::CopyText(p->szCallbackNumber, "");
        ras::CopyText(p->szUserName, e.user);
        ras::CopyText(p->szPassword, e.saved_password ? e.password : "");
        ras::CopyText(p->szDomain, e.domain);
        if (has_password) *has_password = e.saved_password;
      }
    }
  }
  Journal("RasGetEntryDialParamsA",
          "phonebook=" + Tok(phonebook) + " record=" + received + " result=" + Num(result));
  return result;
}

DWORD WINAPI RasSetEntryDialParamsA(LPCSTR phonebook, LPRASDIALPARAMSA params,
                                    WINBOOL remove_password) {
  const auto sc = Scenario();
  const bool size_ok = params && DialParamsSizeOk(params->dwSize);
  DWORD result = Forced(sc, "RasSetEntryDialParamsA");
  if (result == 0) {
    if (params == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else if (!size_ok) {
      result = ras::kErrorInvalidSize;
    } else {
      const auto* p = reinterpret_cast<const ras::RasDialParamsA*>(params);
      PhonebookLock lock;
      auto book = LoadPhonebook();
      const auto it = book.find(ras::FieldText(p->szEntryName));
      if (it == book.end()) {
        result = ras::kErrorCannotFindEntry;
      } else {
        Entry& e = it->second;
        e.user = ras::FieldText(p->szUserName);
        e.domain = ras::FieldText(p->szDomain);
        e.password = remove_password ? "" : ras::FieldText(p->szPassword);
        e.saved_password = !remove_password;
        SavePhonebook(book);
      }
    }
  }
  Journal("RasSetEntryDialParamsA",
          "phonebook=" + Tok(phonebook) +
              " remove_password=" + Num(static_cast<DWORD>(remove_password)) + " record=" +
              RecordBytes(params, params ? params->dwSize : 0, size_ok) + " result=" + Num(result));
  return result;
}

DWORD WINAPI RasDeleteEntryA(LPCSTR phonebook, LPCSTR entry) {
  const auto sc = Scenario();
  DWORD result = Forced(sc, "RasDeleteEntryA");
  if (result == 0) {
    if (entry == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else {
      PhonebookLock lock;
      auto book = LoadPhonebook();
      if (book.erase(entry) == 0) {
        result = ras::kErrorCannotFindEntry;
      } else {
        SavePhonebook(book);
      }
    }
  }
  Journal("RasDeleteEntryA",
          "phonebook=" + Tok(phonebook) + " entry=" + Tok(entry) + " result=" + Num(result));
  return result;
}

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS extensions, LPCSTR phonebook, LPRASDIALPARAMSA params,
                      DWORD notifier_type, LPVOID notifier, LPHRASCONN handle_out) {
  const auto sc = Scenario();
  const bool size_ok = params && DialParamsSizeOk(params->dwSize);
  std::string fields = "extensions=" + std::string(extensions ? "1" : "0") +
                       " phonebook=" + Tok(phonebook) + " notifier_type=" + Num(notifier_type) +
                       " notifier=" + (notifier ? "1" : "0") +
                       " record=" + RecordBytes(params, params ? params->dwSize : 0, size_ok);
  auto finish = [&](DWORD result, std::uint64_t handle) {
    Journal("RasDialA", fields + " handle=" + HandleText(handle) + " result=" + Num(result));
    return result;
  };
  if (params == nullptr || handle_out == nullptr) return finish(ERROR_INVALID_PARAMETER, 0);
  if (!size_ok) return finish(ras::kErrorInvalidSize, 0);
  if (notifier != nullptr && notifier_type != 0) return finish(ERROR_INVALID_PARAMETER, 0);
  if (DWORD forced = Forced(sc, "RasDialA")) return finish(forced, 0);
  if (auto start = IniNumber(sc, "service", "dial_start_error", 0)) {
    return finish(static_cast<DWORD>(start), 0);
  }
  const auto* p = reinterpret_cast<const ras::RasDialParamsA*>(params);
  auto conn = std::make_shared<Connection>();
  conn->entry = ras::FieldText(p->szEntryName);
  std::string key;
  {
    PhonebookLock lock;
    const auto book = LoadPhonebook();
    const auto it = book.find(conn->entry);
    if (it == book.end()) return finish(ras::kErrorCannotFindEntry, 0);
    ras::RasEntryA e{};
    std::memcpy(&e, it->second.record.data(), std::min(sizeof e, it->second.record.size()));
    conn->server = ras::FieldText(e.szLocalPhoneNumber);
    conn->device_type = ras::FieldText(e.szDeviceType);
    conn->device_name = ras::FieldText(e.szDeviceName);
    conn->tunnel = TunnelOf(e);
    key = it->second.psk;
  }
  const std::string number = ras::FieldText(p->szPhoneNumber);
  if (!number.empty()) conn->server = number;
  const std::string user = ras::FieldText(p->szUserName);
  const DialPlan plan =
      Plan(sc, conn->server, user, ras::FieldText(p->szPassword), conn->tunnel, key);
  {
    std::lock_guard<std::mutex> lock(conn_mutex);
    SeedOtherLocked(sc);
    conn->handle = (0x7E57ull << 32) + next_handle++;
    connections[conn->handle] = conn;
  }
  *handle_out = reinterpret_cast<HRASCONN>(static_cast<std::uintptr_t>(conn->handle));
  fields += " server=" + EscapeToken(conn->server) + " user=" + EscapeToken(user) +
            " tunnel=" + EscapeToken(conn->tunnel);
  const auto delay =
      static_cast<DWORD>(std::max<std::int64_t>(0, IniNumber(sc, "service", "state_delay_ms", 50)));
  const auto drop_after =
      static_cast<DWORD>(std::max<std::int64_t>(0, IniNumber(sc, "service", "drop_after_ms", 0)));
  if (notifier == nullptr) {
    RunDial(conn, plan, delay, nullptr, drop_after);
    return finish(plan.error, conn->handle);
  }
  finish(0, conn->handle);
  std::thread(RunDial, conn, plan, delay, reinterpret_cast<DialFunc>(notifier), drop_after)
      .detach();
  return 0;
}

DWORD WINAPI RasHangUpA(HRASCONN handle) {
  const auto sc = Scenario();
  const auto h = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
  DWORD result = Forced(sc, "RasHangUpA");
  if (result == 0) {
    std::lock_guard<std::mutex> lock(conn_mutex);
    ExpireLocked(sc);
    const auto it = connections.find(h);
    if (it == connections.end()) {
      result = ras::kErrorInvalidHandle;
    } else if (!it->second->hung_up) {
      Connection& c = *it->second;
      c.hung_up = true;
      c.stop = true;
      c.state = ras::kStateDisconnected;
      c.drop_at = GetTickCount64() + static_cast<ULONGLONG>(std::max<std::int64_t>(
                                         0, IniNumber(sc, "service", "hangup_delay_ms", 100)));
    }
  }
  Journal("RasHangUpA", "handle=" + HandleText(h) + " result=" + Num(result));
  return result;
}

DWORD WINAPI RasGetConnectStatusA(HRASCONN handle, LPRASCONNSTATUSA status) {
  const auto sc = Scenario();
  const auto h = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
  DWORD result = Forced(sc, "RasGetConnectStatusA");
  std::string answer;
  bool changed = true;
  if (result == 0) {
    std::lock_guard<std::mutex> lock(conn_mutex);
    ExpireLocked(sc);
    const auto it = connections.find(h);
    if (status == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else if (!StatusSizeOk(status->dwSize)) {
      result = ras::kErrorInvalidSize;
    } else if (it == connections.end()) {
      result = ras::kErrorInvalidHandle;
    } else {
      Connection& c = *it->second;
      auto* s = reinterpret_cast<ras::RasConnStatusA*>(status);
      s->rasconnstate = c.state;
      s->dwError = c.error;
      ras::CopyText(s->szDeviceType, c.device_type.substr(0, ras::kMaxDeviceType));
      ras::CopyText(s->szDeviceName, c.device_name.substr(0, ras::kMaxDeviceName));
      if (status->dwSize == sizeof(RASCONNSTATUSA)) {
        std::strncpy(status->szPhoneNumber, c.server.c_str(), RAS_MaxPhoneNumber);
        status->szPhoneNumber[RAS_MaxPhoneNumber] = 0;
      }
      answer =
          " state=" + Num(static_cast<std::uint32_t>(c.state.load())) + " error=" + Num(c.error);
      changed = c.last_status != answer;
      c.last_status = answer;
    }
  }
  if (changed) {
    Journal("RasGetConnectStatusA", "handle=" + HandleText(h) +
                                        " size=" + Num(status ? status->dwSize : 0) +
                                        " result=" + Num(result) + answer);
  }
  return result;
}

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA conns, LPDWORD cb, LPDWORD count) {
  const auto sc = Scenario();
  DWORD result = Forced(sc, "RasEnumConnectionsA");
  const DWORD record = conns ? conns->dwSize : 0;
  const DWORD given = cb ? *cb : 0;
  DWORD listed = 0;
  if (result == 0) {
    if (conns == nullptr || cb == nullptr || count == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else if (!ConnSizeOk(record)) {
      result = ras::kErrorInvalidSize;
    } else {
      std::lock_guard<std::mutex> lock(conn_mutex);
      ExpireLocked(sc);
      std::vector<std::shared_ptr<Connection>> live;
      for (const auto& [h, c] : connections) {
        if (!c->failed) live.push_back(c);
      }
      listed = static_cast<DWORD>(live.size());
      const DWORD needed = listed * record;
      *count = listed;
      if (*cb < needed) {
        *cb = needed;
        result = ras::kErrorBufferTooSmall;
      } else {
        auto* bytes = reinterpret_cast<unsigned char*>(conns);
        for (DWORD i = 0; i < listed; ++i) {
          std::memset(bytes + i * record, 0, record);
          auto* r = reinterpret_cast<ras::RasConnA*>(bytes + i * record);
          r->dwSize = record;
          r->hrasconn = reinterpret_cast<HRASCONN>(static_cast<std::uintptr_t>(live[i]->handle));
          ras::CopyText(r->szEntryName, live[i]->entry.substr(0, ras::kMaxEntryName));
          ras::CopyText(r->szDeviceType, live[i]->device_type.substr(0, ras::kMaxDeviceType));
          ras::CopyText(r->szDeviceName, live[i]->device_name.substr(0, ras::kMaxDeviceName));
        }
        *cb = needed;
      }
    }
  }
  Journal("RasEnumConnectionsA", "size=" + Num(record) + " cb=" + Num(given) +
                                     " result=" + Num(result) + " count=" + Num(listed));
  return result;
}

DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR buffer, DWORD size) {
  const auto sc = Scenario();
  DWORD result = Forced(sc, "RasGetErrorStringA");
  if (result == 0) {
    const char* text = ErrorText(code);
    if (buffer == nullptr || text == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else if (std::strlen(text) + 1 > size) {
      result = kInsufficientBuffer;
    } else {
      std::memcpy(buffer, text, std::strlen(text) + 1);
    }
  }
  Journal("RasGetErrorStringA",
          "code=" + Num(code) + " size=" + Num(size) + " result=" + Num(result));
  return result;
}

// The newer functions: not exported by the older build of this library
// (rasapi32-older.def), which stands for a system that lacks them.

DWORD WINAPI RasConnectionNotificationA(HRASCONN handle, HANDLE event, DWORD flags) {
  const auto sc = Scenario();
  const auto h = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
  DWORD result = Forced(sc, "RasConnectionNotificationA");
  if (result == 0) {
    std::lock_guard<std::mutex> lock(conn_mutex);
    ExpireLocked(sc);
    HANDLE own = nullptr;
    const bool any = handle == INVALID_HANDLE_VALUE;
    if (event == nullptr || (flags & ~DWORD(0xF)) != 0 || flags == 0) {
      result = ERROR_INVALID_PARAMETER;
    } else if (!any && connections.count(h) == 0) {
      result = ras::kErrorInvalidHandle;
    } else if (!DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &own, 0, FALSE,
                                DUPLICATE_SAME_ACCESS)) {
      result = ERROR_INVALID_HANDLE;
    } else {
      registrations.push_back({any ? 0 : h, flags, own});
    }
  }
  Journal("RasConnectionNotificationA",
          "handle=" + HandleText(h) + " flags=" + Num(flags) + " result=" + Num(result));
  return result;
}

// Counters that grow with the time the line has been up: [service] bytes_sent_per_s
// (default 1500) and bytes_received_per_s (default 20000).
DWORD WINAPI RasGetConnectionStatistics(HRASCONN handle, RAS_STATS* stats) {
  const auto sc = Scenario();
  const auto h = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
  DWORD result = Forced(sc, "RasGetConnectionStatistics");
  std::string answer;
  if (result == 0) {
    std::lock_guard<std::mutex> lock(conn_mutex);
    ExpireLocked(sc);
    const auto it = connections.find(h);
    if (stats == nullptr) {
      result = ERROR_INVALID_PARAMETER;
    } else if (stats->dwSize != sizeof(ras::RasStats)) {
      result = ras::kErrorInvalidSize;
    } else if (it == connections.end() || it->second->connected_at == 0 || it->second->hung_up) {
      result = ras::kErrorInvalidHandle;
    } else {
      const ULONGLONG ms = GetTickCount64() - it->second->connected_at;
      const auto rate = [&](const char* key, std::int64_t fallback) {
        return static_cast<ULONGLONG>(
            std::max<std::int64_t>(0, IniNumber(sc, "service", key, fallback)));
      };
      const ULONGLONG sent = rate("bytes_sent_per_s", 1500) * ms / 1000;
      const ULONGLONG received = rate("bytes_received_per_s", 20000) * ms / 1000;
      std::memset(reinterpret_cast<char*>(stats) + 4, 0, sizeof(ras::RasStats) - 4);
      stats->dwBytesXmited = static_cast<DWORD>(sent);
      stats->dwBytesRcved = static_cast<DWORD>(received);
      stats->dwFramesXmited = static_cast<DWORD>(sent / 1400);
      stats->dwFramesRcved = static_cast<DWORD>(received / 1400);
      stats->dwBps = 10000000;
      stats->dwConnectDuration = static_cast<DWORD>(ms);
      answer = " duration=" + Num(ms) + " sent=" + Num(stats->dwBytesXmited) +
               " received=" + Num(stats->dwBytesRcved);
    }
  }
  Journal("RasGetConnectionStatistics",
          "handle=" + HandleText(h) + " result=" + Num(result) + answer);
  return result;
}

}  // extern "C"
