// TDialUp: the dial-up component. It dials a phonebook entry through the remote-access
// service, hangs it up, edits the user name and password saved with the entry, reports
// dial progress and reads the connection statistics.
//
// In asynchronous mode the service reports each dial state on a thread of its own; the
// component hands every notification over to the GUI thread through a one-slot hand-over
// (EventPending plus the three pending values) and a 1 ms timer, and fires OnAsyncEvent
// there with a text from the status table that Language selects.
#pragma once

#include <windows.h>

#include <any>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ras/records.h"
#include "core/ras/status_text.h"
#include "dialup/Ras.h"
#include "dialup/Statistics.h"
#include "framework/Classes.h"

class TTimer;

enum TDialMode : std::uint8_t { dmAsync, dmSync };
enum TLanguage : std::uint8_t { English, Czech, Portuguese };

using TStandartEv = std::function<void(TObject* Sender)>;
using TOnNotConn =
    std::function<void(TObject* Sender, std::int32_t ErrorCode, const std::string& ErrorMessage)>;
using TOnAsyncEvent = std::function<void(TObject* Sender, std::int32_t State, std::int32_t Error,
                                         const std::string& MessageText)>;
using TOnError =
    std::function<void(TObject* Sender, std::int32_t ErrorCode, const std::string& ErrorMessage)>;

class TDialUp : public TComponent {
 public:
  explicit TDialUp(TComponent* AOwner);
  ~TDialUp() override;

  // Published properties.
  TDialMode DialMode() const { return FDialMode; }
  void SetDialMode(TDialMode Value) { FDialMode = Value; }
  const std::string& Entry() const { return FEntry; }
  void SetEntry(const std::string& Value) { FEntry = Value; }
  TLanguage Language() const { return FLanguage; }
  void SetLanguage(TLanguage Value) { FLanguage = Value; }
  const std::vector<std::string>& DUNA() const { return FStats.DUNA; }
  const std::string& DUNA_Key() const { return FStats.DUNA_Key; }
  void SetDUNA_Key(const std::string& Value) { FStats.DUNA_Key = Value; }
  std::uint32_t BytesXmit() const { return FStats.BytesXmit; }
  std::uint32_t BytesRecv() const { return FStats.BytesRecv; }
  std::uint32_t ConnectionSpeed() const { return FStats.ConnectionSpeed; }

  TStandartEv OnDialing;
  TStandartEv OnConnect;
  TOnNotConn OnNotConnected;
  TOnAsyncEvent OnAsyncEvent;
  TOnError OnError;

  // Operations; results are remote-access result codes, 0 for success.
  DWORD Dial();
  DWORD HangUp();
  DWORD HangUpConnection(HRASCONN Handle);
  void DeleteEntry();
  DWORD SetEntryUserName(const std::string& Value);
  DWORD SetEntryPassword(const std::string& Value);
  // Both in one read and one write of the entry's saved account; a text longer than its
  // field is refused and nothing is saved.
  DWORD SetEntryAccount(const std::string& UserName, const std::string& Password);
  std::string StatusText(std::int32_t State, std::int32_t Error) const;

  bool CollectAdapters();
  bool ControlStatistics(bool Start, bool Refresh);
  bool ReadStatistics();
  void ResetStatistics();

  virtual void EventTimerTick(TObject* Sender);

  // Settings and handlers from a window layout.
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;

  // How long HangUpConnection waits for the line to go before it gives up with
  // ERROR_TIMEOUT (a service that never reports the line gone must not freeze the
  // program).
  DWORD HangUpTimeoutMs = 30000;

  // State for the tests and the main window's checks.
  HRASCONN ConnHandle() const { return FConnHandle; }
  bool EventPending() const { return FEventPending.load(std::memory_order_acquire); }
  TTimer* EventTimer() const { return FEventTimer; }

  // The notifier handed to the service (kind 0: message, state, error).
  static void WINAPI DialNotify(UINT Msg, DWORD State, DWORD Error);

 private:
  // The fields given (null: kept as saved) in one read and one write of the entry's account.
  DWORD SetEntryFields(const std::string* UserName, const std::string* Password);
  std::string ErrorText(DWORD Code) const;

  TDialMode FDialMode = dmAsync;
  std::string FEntry;
  TLanguage FLanguage = English;
  HRASCONN FConnHandle = nullptr;

  // The notification slot: the values are written before EventPending is set (release)
  // and read only after it was seen set (acquire).
  std::atomic<bool> FEventPending{false};
  UINT FPendingMessage = 0;
  std::int32_t FPendingState = 0;
  std::int32_t FPendingError = 0;
  TTimer* FEventTimer = nullptr;

  dialup::TRasStatistics FStats;
};

// The component that started the last asynchronous dial; the service's notifier finds
// its component through it (it carries no context of its own).
extern std::atomic<TDialUp*> ActiveDialer;
