// rassim: a simulated remote-access service, built as rasapi32.dll (and rnaph.dll) for
// the 64-bit Windows build. Wine's own rasapi32.dll dials nothing; with rassim beside a
// program and WINEDLLOVERRIDES="rasapi32=n" the program's remote-access calls reach
// this simulation instead, which keeps a phonebook in a file, dials through the states
// of a real VPN dial, answers from a scenario file and writes a journal of every call.
//
// Files (each path can be set by an environment variable; the default lies beside the
// DLL):
//   RASSIM_SCENARIO   rassim.ini              what the service does (read on every call)
//   RASSIM_JOURNAL    rassim-journal.txt      one line per call and notification
//   RASSIM_PHONEBOOK  rassim-phonebook.txt    entries, credentials, saved dial params
//
// Scenario (INI; blanks around names and values are dropped; ';' and '#' start comments):
//   [service]
//   state_delay_ms=50        pause before each dial state (sync and async dials)
//   hangup_delay_ms=100      after RasHangUpA the line goes away after this long; until
//                            then RasGetConnectStatusA answers state 8193, afterwards 6
//   never_drop=0             1: hung-up lines never go away while this is set
//   servers=*                comma-separated servers that answer; empty or * = any
//   unreachable_error=800    the error of a dial to any other server (at state 2)
//   fail_state=              the dial fails when it reaches this state ...
//   fail_error=              ... with this error code
//   dial_start_error=0       not 0: RasDialA returns this at once, no dial starts
//   other_connection=        an entry name: a connected line of another program, listed
//                            before the caller's own lines (journal: other-connection)
//   drop_after_ms=0          not 0: a line that connects drops this long after (journal:
//                            dropped); registered events are set (journal: signalled)
//   bytes_sent_per_s=1500    growth of the counters of RasGetConnectionStatistics
//   bytes_received_per_s=20000
//   pre_shared_key=          the server's L2TP/IPsec key: an L2TP/IPsec dial whose entry
//                            was handed another key (or none) fails with 789 at state 2
//   [tunnels]                tunnel types the server refuses: TYPE=ERROR (IKEv2, SSTP,
//                            L2TP/IPsec, L2TP, PPTP) fails a dial of that type at state 2
//   [account NAME]           one section per user name (exact bytes, GBK allowed)
//   password=SECRET          a wrong password fails the dial with 691 at state 6
//   [errors]
//   RasSetEntryPropertiesA=5 any exported function listed returns that code at once
//                            (after its journal line), without doing anything else
//
// A dial goes through the states 0 OpenPort, 1 PortOpened, 2 ConnectDevice,
// 3 DeviceConnected, 4 AllDevicesConnected, 5 Authenticate, 6 AuthNotify, 10 AuthProject,
// 14 Authenticated, 8192 Connected; a failure ends it at the failing state with the
// error. An asynchronous dial (notifier kind 0) calls the notifier from a thread of its
// own with (0xCCCD, state, error) for each state, in order, one after the other.
// Connections live in the process that dialed them; handles are above 2^32.
//
// Journal: one line per event, fields separated by single blanks:
//   EVENT pid=N tid=N t=MS key=value ...
// EVENT is the function name (RasDialA, RasSetCredentialsA, ...) or, for the dial's own
// thread, "notify" (before the notifier is called) and "notified" (after it returned),
// and "dial-stopped" when a hang-up ended an asynchronous dial early. Values: numbers in
// decimal, handles as 0x..., texts escaped (bytes outside '!'..'~', '%' and '=' as %XX,
// the empty text as %), and record=HEX with the exact bytes of the record received
// (as many bytes as its size field says, when that size is one the function accepts;
// otherwise the first 4). result= is the code returned. RasGetConnectStatusA is written
// only when its answer for a handle changes (the hang-up wait asks in a tight loop).
// RasSetEntryPropertiesA adds the fields that tell the tunnel type (tunnel=, strategy=,
// options=, options2=, eap=, custom_auth_key=, encryption=, psk_option=) and RasDialA the
// tunnel= it dials. A pre-shared key handed to RasSetCredentialsA never reaches the
// journal: psk= says "expected" (the scenario's key), "other" or "none", psk_length= its
// length, and the record is written with the key's field zeroed.
//
// Phonebook: INI, one section per entry named by the hexadecimal bytes of the entry
// name, with name= (escaped), record= (hex of the entry record as written), user=,
// password=, domain=, psk= (hex) and saved_password=0/1.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "core/rassim/sim_text.h"

namespace rassim {

// A file beside this DLL unless the environment variable names another one.
std::wstring FilePath(const wchar_t* env_name, const wchar_t* default_name);

// The whole file as bytes (empty when it does not exist).
std::string ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

vpn::rassim::Ini Scenario();

// Appends one journal line: the event, the caller's pid/tid/time and the fields.
void Journal(const std::string& event, const std::string& fields);

struct Entry {
  std::string record;  // the entry record's bytes as written
  std::string user, password, domain;
  std::string psk;  // the IPsec pre-shared key handed over with the credentials
  bool saved_password = false;
};
using Phonebook = std::map<std::string, Entry>;

// Holds the cross-process phonebook lock for its lifetime.
class PhonebookLock {
 public:
  PhonebookLock();
  ~PhonebookLock();
  PhonebookLock(const PhonebookLock&) = delete;
  PhonebookLock& operator=(const PhonebookLock&) = delete;

 private:
  HANDLE mutex_;
};

Phonebook LoadPhonebook();
void SavePhonebook(const Phonebook& book);

// The system's English text of a remote-access error code, or nullptr.
const char* ErrorText(std::uint32_t code);

}  // namespace rassim
